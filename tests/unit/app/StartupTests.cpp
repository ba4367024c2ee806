#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/OpenNamedArchive.h"
#include "app/TallyboxApp.h"
#include "common/Settings.h"
#include "doctest/doctest.h"

using namespace tb;

namespace {
CTallyboxCommandLineInfo Parse(std::vector<std::string> arguments) {
    CTallyboxCommandLineInfo info;
    info.Parse(arguments);
    return info;
}
}  // namespace

TEST_CASE("command line switches are exact and case-sensitive") {
    CHECK(Parse({"/hide"}).m_hide == 1);
    CHECK(Parse({"-hide"}).m_hide == 1);
    CHECK(Parse({"-exit"}).m_exit == 1);
    CHECK(Parse({"/Hide"}).m_hide == 0);
    CHECK(Parse({"/HIDE"}).m_hide == 0);
    CHECK(Parse({"/hidden"}).m_hide == 0);
    auto ignored = Parse({"/Hide", "/unknown", "-e"});
    CHECK(ignored.m_hide == 0);
    CHECK(ignored.m_exit == 0);
    CHECK(ignored.m_fileName.empty());  // switches never become the file name
}

TEST_CASE("the last plain argument is the file name") {
    auto info = Parse({"C:\\a.zip", "/hide", "D:\\b.zip"});
    CHECK(info.m_fileName == "D:\\b.zip");
    CHECK(info.m_hide == 1);
    CHECK(Parse({}).m_fileName.empty());
}

TEST_CASE("an empty, missing or BLANK.ZIP name opens the editor") {
    SUBCASE("empty file: editor with the name and the empty flag") {
        auto plan = PlanOpenNamed("C:\\Zips\\new.zip", 0, 0, false);
        CHECK(plan.openEditor);
        CHECK(plan.presetArchive);
        CHECK(plan.empty == 1);
        CHECK(plan.archive == "C:\\Zips\\new.zip");
    }
    SUBCASE("handed over by a second start, the editor gets the upper-cased name") {
        auto plan = PlanOpenNamed("C:\\Zips\\new.zip", 0, 0, true);
        CHECK(plan.archive == "C:\\ZIPS\\NEW.ZIP");
    }
    SUBCASE("BLANK.ZIP opens an empty editor with nothing preset") {
        auto plan = PlanOpenNamed("blank.zip", 1234, 0, false);
        CHECK(plan.openEditor);
        CHECK_FALSE(plan.presetArchive);
        CHECK(plan.empty == 0);
        CHECK(PlanOpenNamed("BLANK.ZIPPED", 10, 0, false).openEditor);
    }
    SUBCASE("a full path ending in BLANK.ZIP with content goes to the view") {
        auto plan = PlanOpenNamed("C:\\x\\BLANK.ZIP", 10, 0, false);
        CHECK_FALSE(plan.openEditor);
        CHECK(plan.archive == "C:\\x\\BLANK.ZIP");
    }
    SUBCASE("the Edit setting sends every archive to the editor") {
        auto plan = PlanOpenNamed("C:\\Zips\\full.zip", 500, kEditOpenInEditor, false);
        CHECK(plan.openEditor);
        CHECK(plan.presetArchive);
        CHECK(plan.empty == 0);
    }
    SUBCASE("an archive with content goes to the view unchanged") {
        auto plan = PlanOpenNamed("C:\\Zips\\Full.zip", 500, 0, true);
        CHECK_FALSE(plan.openEditor);
        CHECK(plan.archive == "C:\\Zips\\Full.zip");
    }
}

TEST_CASE("a missing file has size 0") {
    CHECK(FindFileSize("C:\\no such folder\\no such file.zip") == 0);
}

TEST_CASE("names handed over through an atom are cut without splitting a character") {
    CHECK(CutUtf8("short", 255) == "short");
    std::string long300(300, 'a');
    CHECK(CutUtf8(long300, 255).size() == 255);
    // "é" is two bytes; cutting at 4 bytes of "aaaé" keeps it whole, at 4 of "aaaaé" drops it.
    CHECK(CutUtf8("aa\xC3\xA9z", 4) == "aa\xC3\xA9");
    CHECK(CutUtf8("aaa\xC3\xA9z", 4) == "aaa");
}
