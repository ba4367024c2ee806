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
    // The radio buttons follow the timed archive alone; the fields below them
    // also need their own bit and monitoring.
    auto timedOnly = GeneralEnabling(kGeneralTimed | kGeneralSpecificTime | kGeneralEveryHours);
    CHECK(timedOnly.at(IDC_GEN_SPECIFIC_TIME));
    CHECK(timedOnly.at(IDC_GEN_HOURS_LABEL));
    CHECK_FALSE(timedOnly.at(IDC_GEN_TIME));
    CHECK_FALSE(timedOnly.at(IDC_GEN_INTERVAL));
    CHECK_FALSE(timedOnly.at(IDC_GEN_TIMED));

    auto monitored = GeneralEnabling(kGeneralMonitor | kGeneralSpecificTime | kGeneralEveryHours);
    CHECK(monitored.at(IDC_GEN_TIMED));
    CHECK(monitored.at(IDC_GEN_ARCHIVE_AT_SHUTDOWN));
    CHECK_FALSE(monitored.at(IDC_GEN_SPECIFIC_TIME));
    CHECK_FALSE(monitored.at(IDC_GEN_TIME));

    auto all = GeneralEnabling(kGeneralMonitor | kGeneralTimed | kGeneralSpecificTime | kGeneralSizeLimit);
    CHECK(all.at(IDC_GEN_TIME));
    CHECK_FALSE(all.at(IDC_GEN_INTERVAL));
    CHECK(all.at(IDC_GEN_SIZE));
    CHECK_FALSE(all.at(IDC_GEN_LET_ME_CHOOSE));
    CHECK(GeneralEnabling(kGeneralLearnMode).at(IDC_GEN_ADD_ALL));
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

    // Only whole entries leave the other list, and every copy of them.
    record.ExcludeTypes = ".TAR.GZ;.TMP;";
    SetMonitoredTypes(record, ".GZ;");
    CHECK(record.ExcludeTypes == ".TAR.GZ;.TMP;");
    record.FileTypes = ".GZ;.TXT;.GZ;.OLD.TXT;";
    SetExcludedTypes(record, ".TAR.GZ;.TMP;.GZ;");
    CHECK(record.FileTypes == ".TXT;.OLD.TXT;");
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
}

TEST_CASE("UnZip bits the page does not show are kept") {
    int flags = 0x1000 | kUnZipUseTemp;
    CheckStates boxes = UnZipBoxesFromBits(flags);
    boxes[IDC_UZ_MY_DOCUMENTS] = true;
    boxes[IDC_UZ_USE_TEMP] = false;
    UnZipBitsFromBoxes(boxes, flags);
    CHECK(flags == (0x1000 | kUnZipMyDocuments));
}
