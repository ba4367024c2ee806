#include <windows.h>

#include <memory>
#include <string>

#include "common/Profile.h"
#include "common/Settings.h"
#include "common/StarterProfile.h"
#include "doctest/doctest.h"
#include "tests/unit/TestIni.h"

using namespace tb;

TEST_CASE("a missing settings file gives the defaults") {
    TestIni ini;  // starts without Vaultly.ini
    SettingsRecord record;
    record.General = 7;
    record.Time = "leftover";
    ReadSettings(record);
    CHECK(record == SettingsRecord{});
    CHECK(ReadIniInt(kSettingsSection, "FrameTop", 50) == 50);
    CHECK(ReadIniString(kSettingsSection, "LastArchiveTime", 200).empty());
}

TEST_CASE("an empty settings file gives the defaults") {
    TestIni ini("");
    SettingsRecord record;
    ReadSettings(record);
    CHECK(record == SettingsRecord{});
}

TEST_CASE("the record survives a write and a read, apart from upper-cased type lists") {
    TestIni ini;
    SettingsRecord written;
    written.General = 0x1 | 0x2 | 0x400;
    written.Time = "09:30:PM";
    written.Interval = 3;
    written.Sizelimit = 100;
    written.Method = 5;
    written.CustomStore = "store";
    written.CustomRetrieve = "retrieve";
    written.LocationDir = "C:\\Auto Archives";
    written.LocationDirAlt = "D:\\Alt";
    written.LocationFlags = 9;
    written.Drives = 0x04 | 0x10;
    written.CustomDriveList = "cd";
    written.ExcludeDirList = "C:\\DATA2;;C:\\DATA";
    written.FileTypes = ".doc;.Txt;";
    written.ExcludeTypes = ".tmp;";
    written.ExcludeFiles = "notes.txt;";
    written.Prompts = 0x01 | 0x02;
    written.UnZipFlags = 0x001 | 0x080;
    written.DefUnZipPath = "C:\\Unzipped";
    written.Edit = 1;
    SettingsRecord original = written;

    WriteSettings(written);
    CHECK(written.FileTypes == ".DOC;.TXT;");  // upper-cased in the record as well
    CHECK(written.ExcludeTypes == ".TMP;");

    SettingsRecord read;
    ReadSettings(read);
    original.FileTypes = ".DOC;.TXT;";
    original.ExcludeTypes = ".TMP;";
    CHECK(read == original);
    CHECK(ini.Value("Settings", "General") == "1027");
    CHECK(ini.Value("Settings", "Edit") == "1");
}

TEST_CASE("the keys are written in record order") {
    TestIni ini;
    SettingsRecord record;
    WriteSettings(record);
    const char* order[] = {"General", "Time", "Interval", "Sizelimit", "Method", "CustomStore",
                           "CustomRetrieve", "LocationDir", "LocationDirAlt", "LocationFlags", "Drives",
                           "CustomDriveList", "ExcludeDirList", "FileTypes", "ExcludeTypes", "ExcludeFiles",
                           "Prompts", "UnZipFlags", "DefUnZipPath", "Edit"};
    std::string text = ini.Text();
    size_t last = 0;
    for (const char* key : order) {
        size_t at = text.find(std::string("\n") + key + "=");
        CAPTURE(key);
        REQUIRE(at != std::string::npos);
        CHECK(at >= last);
        last = at;
    }
}

TEST_CASE("a long string value is cut to the buffer, never overrun") {
    TestIni ini;
    const std::string longValue(6000, 'x');
    WriteIniString(kSettingsSection, "ExcludeDirList", longValue);
    SettingsRecord record;
    ReadSettings(record);
    CHECK(record.ExcludeDirList.size() == 4999);
    CHECK(record.ExcludeDirList == longValue.substr(0, 4999));
    CHECK(ReadIniString(kSettingsSection, "ExcludeDirList", 200).size() == 199);
}

TEST_CASE("integer keys are written as decimal text and read by their leading digits") {
    TestIni ini;
    WriteIntKey(kSettingsSection, "DivPoint", 275);
    CHECK(ini.Value("Settings", "DivPoint") == "275");
    WriteIniString(kSettingsSection, "Interval", "12hours");
    SettingsRecord record;
    ReadSettings(record);
    CHECK(record.Interval == 12);
}

TEST_CASE("with no settings at all a first start writes the starter profile") {
    for (const char* text : {static_cast<const char*>(nullptr), "", "[Zips]\r\nZip1=C:\\a.zip\r\n"}) {
        CAPTURE(text ? text : "(no file)");
        std::unique_ptr<TestIni> ini = text ? std::make_unique<TestIni>(text) : std::make_unique<TestIni>();
        SettingsRecord record;
        CHECK(ReadOrStartSettings(record));
        CHECK(record.General == (kGeneralMonitor | kGeneralArchiveAtShutdown | kGeneralLearnMode | kGeneralLetMeChoose));
        CHECK(record.Prompts == kPromptNewTypes);
        CHECK((record.Drives & kDrivesCustom) != 0);
        CHECK(record.CustomDriveList == std::string(1, DocumentsDrive()));
        CHECK(record.LocationDir == "C:\\Auto Archives");
        for (const char* type : {".DOC;", ".DOCX;", ".XLSX;", ".PPTX;", ".ODT;", ".TXT;", ".PDF;", ".JPG;", ".PNG;"})
            CHECK(record.FileTypes.find(type) != std::string::npos);
        // The program's own archives never come up as a new type.
        CHECK(record.ExcludeTypes.find(".ZIP;") != std::string::npos);
        // It is in the file: the next start reads it as it is.
        CHECK(ini->Value("Settings", "General") == std::to_string(record.General));
        CHECK(ini->Value("Settings", "FileTypes") == record.FileTypes);
        if (text && *text) CHECK(ini->Value("Zips", "Zip1") == "C:\\a.zip");
        SettingsRecord again;
        CHECK_FALSE(ReadOrStartSettings(again));
        CHECK(again == record);
    }
}

TEST_CASE("a settings file that exists is read as it is, however little it holds") {
    TestIni ini("[Settings]\r\nFrameTop=20\r\n");
    SettingsRecord record;
    CHECK_FALSE(ReadOrStartSettings(record));
    CHECK(record == SettingsRecord{});
    CHECK(ini.Value("Settings", "General").empty());
}

TEST_CASE("the starter profile watches the drive of the documents") {
    CHECK(StarterProfile('D').CustomDriveList == "d");
    CHECK(StarterProfile('c').CustomDriveList == "c");
    const char drive = DocumentsDrive();
    CHECK(drive >= 'a');
    CHECK(drive <= 'z');
}
