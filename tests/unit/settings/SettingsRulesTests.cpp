// The store and load rules of the settings pages, without windows.
#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "res/resource.h"
#include "settings/SettingsDrivesPP.h"
#include "settings/SettingsFilesPP.h"
#include "settings/SettingsGeneralPP.h"
#include "settings/SettingsLocationPP.h"
#include "settings/SettingsPromptsPP.h"
#include "settings/SettingsUnZipPP.h"

using namespace tb;

TEST_CASE("time texts: the first failing check names the problem") {
    const std::string tooShort = "Time field incomplete, too short.";
    const std::string noAmPm = "Time field missing AM/PM    (HH:MM:PM).";
    const std::string misplaced = "Missing or missplaced\":\" in time field.";
    CHECK(TimeTextProblem("") == tooShort);
    CHECK(TimeTextProblem("9:30:AM") == tooShort);   // colon at position 1
    CHECK(TimeTextProblem("0930") == tooShort);
    CHECK(TimeTextProblem("09-30:PM") == tooShort);  // position 2 before length
    CHECK(TimeTextProblem("09:30") == noAmPm);
    CHECK(TimeTextProblem("09:30:P") == noAmPm);
    CHECK(TimeTextProblem("09:30 PM") == misplaced);
    CHECK_FALSE(TimeTextProblem("09:30:PM"));
    CHECK_FALSE(TimeTextProblem("12:00:AM"));
}

TEST_CASE("number fields hold whole numbers an int can carry") {
    CHECK(ParseCount("") == 0);
    CHECK(ParseCount("   ") == 0);
    CHECK(ParseCount("12") == 12);
    CHECK(ParseCount(" 12 ") == 12);
    CHECK(ParseCount("2147483647") == 2147483647);
    CHECK_FALSE(ParseCount("2147483648"));
    CHECK_FALSE(ParseCount("12abc"));
    CHECK_FALSE(ParseCount("-1"));
    CHECK_FALSE(ParseCount("1 2"));
}

TEST_CASE("General page enabling rules") {
    SUBCASE("everything off: only the top boxes stay usable") {
        auto on = GeneralEnabling(0);
        for (int id : {IDC_GEN_TIMED, IDC_GEN_ARCHIVE_AT_SHUTDOWN, IDC_GEN_SPECIFIC_TIME, IDC_GEN_EVERY, IDC_GEN_TIME,
                       IDC_GEN_INTERVAL, IDC_GEN_TIME_LABEL, IDC_GEN_HOURS_LABEL, IDC_GEN_SIZE, IDC_GEN_ADD_ALL,
                       IDC_GEN_ADD_RECOMMENDED, IDC_GEN_LET_ME_CHOOSE}) {
            CAPTURE(id);
            CHECK_FALSE(on.at(id));
        }
    }
    SUBCASE("monitoring with a timed archive at a specific time") {
        auto on = GeneralEnabling(kGeneralMonitor | kGeneralTimed | kGeneralSpecificTime);
        CHECK(on.at(IDC_GEN_TIMED));
        CHECK(on.at(IDC_GEN_ARCHIVE_AT_SHUTDOWN));
        CHECK(on.at(IDC_GEN_SPECIFIC_TIME));
        CHECK(on.at(IDC_GEN_EVERY));
        CHECK(on.at(IDC_GEN_TIME));
        CHECK_FALSE(on.at(IDC_GEN_INTERVAL));
    }
    SUBCASE("the time and hour fields need monitoring and the timed archive") {
        const int every = kGeneralEveryHours | kGeneralSpecificTime;
        CHECK_FALSE(GeneralEnabling(every | kGeneralTimed).at(IDC_GEN_TIME));
        CHECK_FALSE(GeneralEnabling(every | kGeneralMonitor).at(IDC_GEN_INTERVAL));
        CHECK(GeneralEnabling(every | kGeneralMonitor | kGeneralTimed).at(IDC_GEN_INTERVAL));
        // The two radio buttons follow the timed archive alone.
        CHECK(GeneralEnabling(kGeneralTimed).at(IDC_GEN_EVERY));
    }
    SUBCASE("size field and policy buttons") {
        CHECK(GeneralEnabling(kGeneralSizeLimit).at(IDC_GEN_SIZE));
        auto learning = GeneralEnabling(kGeneralLearnMode);
        CHECK(learning.at(IDC_GEN_ADD_ALL));
        CHECK(learning.at(IDC_GEN_ADD_RECOMMENDED));
        CHECK(learning.at(IDC_GEN_LET_ME_CHOOSE));
    }
}

TEST_CASE("locations: the default, and the characters that are refused") {
    SettingsRecord record;
    record.LocationDir = "D:\\Old";
    record.LocationDirAlt = "E:\\Old";

    CHECK(StoreLocations("", "", record).empty());
    CHECK(record.LocationDir == "C:\\Auto Archives");
    CHECK(record.LocationDirAlt.empty());

    record.LocationDir = "D:\\Old";
    record.LocationDirAlt = "E:\\Old";
    auto messages = StoreLocations("C:\\My.Archives", "E:\\Alt", record);
    REQUIRE(messages.size() == 1);
    CHECK(messages[0] ==
          "Incorrect character found in Automatic Archive location/directory.\n\nDo not use ,.;<>?=+[]{}\n\n"
          "If this is not corrected, automatic archiving may fail.\n\nPlease re-enter archive location.");
    CHECK(record.LocationDir == "D:\\Old");
    CHECK(record.LocationDirAlt == "E:\\Alt");

    messages = StoreLocations("C:\\Zips", "E:\\Alt{1}", record);
    REQUIRE(messages.size() == 1);
    CHECK(messages[0].find("Please re-enter alternate archive location.") != std::string::npos);
    CHECK(record.LocationDir == "C:\\Zips");
    CHECK(record.LocationDirAlt == "E:\\Alt");

    for (char c : std::string(",.;<>?=+[]{}")) {
        CAPTURE(c);
        CHECK(HasForbiddenLocationCharacter(std::string("C:\\a") + c));
    }
    CHECK_FALSE(HasForbiddenLocationCharacter("C:\\Auto Archives\\2001 (old) & more-_!"));
}

TEST_CASE("excluded folders: \";;\" to lines and back") {
    CHECK(ExcludedFoldersAsLines("C:\\One;;C:\\Two") == "C:\\One\r\nC:\\Two");
    CHECK(ExcludedFoldersFromText("C:\\One\r\nC:\\Two") == "C:\\One;;C:\\Two");
    // A folder added by Browse to an empty box comes after an empty line.
    CHECK(ExcludedFoldersFromText("\r\nC:\\Temp") == ";;C:\\Temp");
    CHECK(ExcludedFoldersAsLines(";;C:\\Temp") == "\r\nC:\\Temp");
    // Every line break counts, whatever its form.
    CHECK(ExcludedFoldersFromText("A\nB\rC") == "A;B;C");
    CHECK(ExcludedFoldersFromText("") == "");
}

TEST_CASE("custom drives are the first characters of the chosen lines") {
    CHECK(DriveLettersFromLines({"C:\\ (Local Hard Disk)", "Z:\\ (Remote/Network)"}) == "CZ");
    CHECK(DriveLettersFromLines({}) == "");
    std::vector<std::string> many(30, "X:\\");
    CHECK(DriveLettersFromLines(many).size() == 26);
}

TEST_CASE("a type is never left in both type lists") {
    SettingsRecord record;
    record.FileTypes = ".DOC;";
    record.ExcludeTypes = ".TMP;.TXT;.BAK;";

    SetMonitoredTypes(record, ".DOC;.TXT;.xls;");
    CHECK(record.FileTypes == ".DOC;.TXT;.XLS;");
    CHECK(record.ExcludeTypes == ".TMP;.BAK;");

    SetExcludedTypes(record, ".TMP;.BAK;.doc;");
    CHECK(record.ExcludeTypes == ".TMP;.BAK;.DOC;");
    CHECK(record.FileTypes == ".TXT;.XLS;");

    // The lists' other entries stay in their order.
    SetMonitoredTypes(record, "");
    CHECK(record.FileTypes.empty());
    CHECK(record.ExcludeTypes == ".TMP;.BAK;.DOC;");
}

TEST_CASE("excluded files are rebuilt from the list's lines") {
    CHECK(ExcludedFilesFromLines({"a.txt", "b.txt"}) == "a.txt;b.txt;");
    CHECK(ExcludedFilesFromLines({}) == "");
    std::vector<std::string> many(10005, "f");
    CHECK(ExcludedFilesFromLines(many).size() == 20000);
}

TEST_CASE("Prompts store step: the new-type prompt is the new-type policy") {
    auto boxes = [](bool pending, bool newTypes, bool size, bool silent) {
        return CheckStates{{IDC_PR_PENDING, pending},     {IDC_PR_NEW_TYPES, newTypes},
                           {IDC_PR_SIZE_LIMIT, size},     {IDC_PR_SILENT, silent},
                           {IDC_PR_DISK_SPACE, true},     {IDC_PR_DRIVE_ACCESS, true}};
    };
    SettingsRecord record;
    record.General = kGeneralMonitor | kGeneralAddAll | kGeneralAddRecommended;

    StorePromptsStep(boxes(true, true, false, false), record);
    CHECK(record.Prompts == (kPromptPending | kPromptNewTypes | kPromptDiskSpace | kPromptDriveAccess));
    CHECK(record.General == (kGeneralMonitor | kGeneralLetMeChoose));

    StorePromptsStep(boxes(true, false, true, false), record);
    CHECK(record.Prompts == (kPromptPending | kPromptSizeLimit | kPromptDiskSpace | kPromptDriveAccess));
    CHECK(record.General == (kGeneralMonitor | kGeneralAddRecommended));

    SUBCASE("silent mode clears the first three prompts and the drive prompt") {
        StorePromptsStep(boxes(true, true, true, true), record);
        CHECK(record.Prompts == (kPromptSilent | kPromptDiskSpace));
        CHECK(record.General == (kGeneralMonitor | kGeneralAddRecommended));
        CheckStates shown = PromptsBoxesFromBits(record.Prompts);
        CHECK_FALSE(shown[IDC_PR_PENDING]);
        CHECK_FALSE(shown[IDC_PR_NEW_TYPES]);
        CHECK_FALSE(shown[IDC_PR_SIZE_LIMIT]);
        CHECK(shown[IDC_PR_DISK_SPACE]);
        CHECK_FALSE(shown[IDC_PR_DRIVE_ACCESS]);
        // Leaving silent mode (the boxes as silent mode left them) does not
        // bring the drive prompt back.
        shown[IDC_PR_SILENT] = false;
        shown[IDC_PR_PENDING] = true;
        StorePromptsStep(shown, record);
        CHECK(record.Prompts == (kPromptPending | kPromptDiskSpace));
    }
}

TEST_CASE("UnZip click rules") {
    SUBCASE("choosing to prompt without asking moves Overwrite to Prompt") {
        int flags = kUnZipUseDefault | kUnZipOverwrite | kUnZipUseFolderNames;
        CheckStates boxes = UnZipBoxesFromBits(flags);
        boxes[IDC_UZ_NO_PROMPTING] = true;  // the click ticked it
        boxes = UnZipNoPromptingClicked(boxes, flags);
        CHECK(flags == (kUnZipUseDefault | kUnZipPrompt | kUnZipNoPrompting | kUnZipUseFolderNames));
        CHECK_FALSE(boxes[IDC_UZ_OVERWRITE]);
        CHECK(boxes[IDC_UZ_PROMPT]);
        CHECK(boxes[IDC_UZ_NO_PROMPTING]);

        boxes[IDC_UZ_NO_PROMPTING] = false;  // and untick it again
        boxes = UnZipNoPromptingClicked(boxes, flags);
        CHECK(flags == (kUnZipUseDefault | kUnZipPrompt | kUnZipUseFolderNames));
    }
    SUBCASE("choosing Overwrite ends prompting without asking") {
        int flags = kUnZipUseLast | kUnZipPrompt | kUnZipNoPrompting;
        CheckStates boxes = UnZipBoxesFromBits(flags);
        boxes[IDC_UZ_OVERWRITE] = true;  // the radio group moves the selection
        boxes[IDC_UZ_PROMPT] = false;
        boxes = UnZipOverwriteClicked(boxes, flags);
        CHECK(flags == (kUnZipUseLast | kUnZipOverwrite));
        CHECK_FALSE(boxes[IDC_UZ_NO_PROMPTING]);
        CHECK(boxes[IDC_UZ_OVERWRITE]);
    }
    SUBCASE("bits the page does not show are kept") {
        int flags = 0x1000 | kUnZipUseTemp;
        CheckStates boxes = UnZipBoxesFromBits(flags);
        boxes[IDC_UZ_MY_DOCUMENTS] = true;
        boxes[IDC_UZ_USE_TEMP] = false;
        UnZipBitsFromBoxes(boxes, flags);
        CHECK(flags == (0x1000 | kUnZipMyDocuments));
    }
}
