#include <string>
#include <vector>

#include "autoarchive/Classification.h"
#include "autoarchive/Schedule.h"
#include "doctest/doctest.h"

using namespace tb;

namespace {
struct Sizes {
    unsigned long long size = 0;
    unsigned long long operator()(const std::string&) const { return size; }
};
SettingsRecord Typed() {
    SettingsRecord s;
    s.FileTypes = ".DOC;.TXT;";
    s.ExcludeTypes = ".TMP;";
    return s;
}
OversizeAnswer Never(const std::string&, unsigned long long) {
    FAIL("the size-limit question must not be asked");
    return {};
}
}  // namespace

TEST_CASE("types: the text after the last dot, at most six characters, no folder") {
    CHECK(ArchiveTypeOf("C:\\a\\report.doc") == ".DOC");
    CHECK(ArchiveTypeOf("C:\\a\\notes.backup").empty());  // seven with the dot
    CHECK(ArchiveTypeOf("C:\\a\\archive.tar.gz") == ".GZ");
    CHECK(ArchiveTypeOf("C:\\a\\README").empty());
    CHECK(ArchiveTypeOf("C:\\v1.2\\README").empty());      // the dot belongs to a folder
    CHECK(ArchiveTypeOf("C:\\a\\x.abcde") == ".ABCDE");
}

TEST_CASE("the pass sorts into archive, skipped, untyped and new types") {
    SettingsRecord s = Typed();
    s.ExcludeFiles = "DATA.DOC;";
    CClassificationPass pass;
    pass.StartRun();
    const std::vector<std::string> pending = {
        "C:\\d\\report.doc", "C:\\d\\notes.backup", "C:\\d\\README",   "C:\\d\\A.DOC",
        "C:\\d\\scratch.tmp", "C:\\d\\pic.xyz",     "C:\\e\\other.XYZ", "C:\\d\\song.mp3",
    };
    CHECK(pass.Run(pending, s, Sizes{}, Never));
    CHECK(pass.m_archive == std::vector<std::string>{"C:\\d\\report.doc"});
    // A.DOC is inside DATA.DOC; of the excluded names: skipped.
    CHECK(pass.m_skipped == std::vector<std::string>{"C:\\d\\A.DOC", "C:\\d\\scratch.tmp"});
    CHECK(pass.m_untyped == std::vector<std::string>{"C:\\d\\pic.xyz", "C:\\e\\other.XYZ", "C:\\d\\song.mp3"});
    CHECK(pass.m_newTypes == std::vector<std::string>{".XYZ", ".MP3"});
}

TEST_CASE("the individual size limit: Sizelimit x 1000 bytes is still allowed") {
    SettingsRecord s = Typed();
    s.General = kGeneralSizeLimit;
    s.Sizelimit = 100;
    s.Prompts = kPromptPending;  // no size prompt: oversize files are skipped
    CClassificationPass pass;
    pass.StartRun();
    CHECK(pass.Run({"C:\\a.doc"}, s, Sizes{100000}, Never));
    CHECK(pass.m_archive.size() == 1);
    CHECK(pass.Run({"C:\\a.doc", "C:\\b.doc"}, s, Sizes{100001}, Never));
    CHECK(pass.m_archive.empty());
    CHECK(pass.m_skipped.size() == 2);
    CHECK(pass.m_skipAll == 1);
    SUBCASE("a limit past 2 GB does not overflow") {
        s.Sizelimit = 5000000;  // 5 GB
        CClassificationPass big;
        big.StartRun();
        CHECK(big.Run({"C:\\a.doc"}, s, Sizes{4000000000ULL}, Never));
        CHECK(big.m_archive.size() == 1);
    }
}

TEST_CASE("the size-limit question and its answers") {
    SettingsRecord s = Typed();
    s.General = kGeneralSizeLimit;
    s.Sizelimit = 1;
    s.Prompts = kPromptPending | kPromptSizeLimit;
    std::vector<int> answers;
    int asked = 0;
    auto ask = [&](const std::string&, unsigned long long) {
        OversizeAnswer a;
        a.result = answers[size_t(asked++)];
        return a;
    };
    CClassificationPass pass;
    pass.StartRun();
    SUBCASE("Include All takes every later oversize file without asking") {
        answers = {kSizeIncludeAll};
        CHECK(pass.Run({"C:\\a.doc", "C:\\b.doc", "C:\\c.doc"}, s, Sizes{5000}, ask));
        CHECK(asked == 1);
        CHECK(pass.m_archive.size() == 3);
        // ... also after the pass starts over.
        CHECK(pass.Run({"C:\\a.doc"}, s, Sizes{5000}, ask));
        CHECK(asked == 1);
    }
    SUBCASE("Skip File leaves one out and asks again") {
        answers = {kSizeSkipFile, kSizeIncludeFile};
        CHECK(pass.Run({"C:\\a.doc", "C:\\b.doc"}, s, Sizes{5000}, ask));
        CHECK(pass.m_skipped == std::vector<std::string>{"C:\\a.doc"});
        CHECK(pass.m_archive == std::vector<std::string>{"C:\\b.doc"});
    }
    SUBCASE("Edit Settings ends the pass") {
        answers = {kSizeEditSettings};
        CHECK_FALSE(pass.Run({"C:\\a.doc", "C:\\b.doc"}, s, Sizes{5000}, ask));
    }
    SUBCASE("Don't show again clears the size prompt: the next file is skipped without asking") {
        int calls = 0;
        auto askOnce = [&](const std::string&, unsigned long long) {
            ++calls;
            OversizeAnswer a;
            a.result = kSizeIncludeFile;
            a.dontShowAgain = true;
            return a;
        };
        CHECK(pass.Run({"C:\\a.doc", "C:\\b.doc"}, s, Sizes{5000}, askOnce));
        CHECK(calls == 1);
        CHECK((s.Prompts & kPromptSizeLimit) == 0);
        CHECK(pass.m_archive == std::vector<std::string>{"C:\\a.doc"});
        CHECK(pass.m_skipped == std::vector<std::string>{"C:\\b.doc"});
    }
}

TEST_CASE("the set time: PM adds twelve, 12 with AM is noon") {
    int hour = 0, minute = 0;
    ParseArchiveTime("01:15:PM", hour, minute);
    CHECK(hour == 13);
    CHECK(minute == 15);
    ParseArchiveTime("12:30:AM", hour, minute);
    CHECK(hour == 12);
    CHECK(minute == 30);
    ParseArchiveTime("12:05:pm", hour, minute);
    CHECK(hour == 12);
    ParseArchiveTime("09:30:AM", hour, minute);
    CHECK(hour == 9);
}

TEST_CASE("the specific-time archive fires once per matching hour") {
    SettingsRecord s;
    s.General = kGeneralTimed | kGeneralSpecificTime;
    s.Time = "12:30:AM";
    ScheduleState state;
    CHECK_FALSE(ScheduleTick(state, s, 12, 25).specificTime);
    CHECK(ScheduleTick(state, s, 12, 30).specificTime);
    CHECK_FALSE(ScheduleTick(state, s, 12, 35).specificTime);  // latched
    CHECK_FALSE(ScheduleTick(state, s, 13, 0).specificTime);   // releases the latch
    CHECK(ScheduleTick(state, s, 12, 40).specificTime);        // next day, a late tick
    s.Time = "01:15:PM";
    ScheduleState afternoon;
    CHECK(ScheduleTick(afternoon, s, 13, 15).specificTime);
    SUBCASE("a late tick of the same hour still fires, once") {
        ScheduleState late;
        CHECK(ScheduleTick(late, s, 13, 55).specificTime);
        CHECK_FALSE(ScheduleTick(late, s, 13, 59).specificTime);
    }
    SUBCASE("needs the timed-archive switch as well") {
        s.General = kGeneralSpecificTime;
        ScheduleState off;
        CHECK_FALSE(ScheduleTick(off, s, 13, 15).specificTime);
    }
}

TEST_CASE("every N hours: Interval 1 fires at the thirteenth five-minute tick") {
    SettingsRecord s;
    s.General = kGeneralTimed | kGeneralEveryHours;
    s.Interval = 1;
    ScheduleState state;
    for (int tick = 1; tick <= 12; ++tick) {
        CAPTURE(tick);
        CHECK_FALSE(ScheduleTick(state, s, 0, 0).interval);
    }
    CHECK(ScheduleTick(state, s, 0, 0).interval);
    CHECK(state.intervalMinutes == 0);

    // Hours whose minutes do not fit in 32 bits are still hours, not every tick.
    for (int hours : {35791395, 100000000, 2147483647}) {
        CAPTURE(hours);
        s.Interval = hours;
        ScheduleState large;
        for (int tick = 1; tick <= 50; ++tick) CHECK_FALSE(ScheduleTick(large, s, 0, 0).interval);
    }
}
