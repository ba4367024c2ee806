// The numbered lists: whole-section reads and writes give what key-by-key
// reads and writes give; recording a changed directory.

#include <string>

#include "common/NumberedList.h"
#include "doctest/doctest.h"
#include "monitor/ChangeMonitor.h"
#include "tests/unit/ListReader.h"
#include "tests/unit/TestIni.h"

using namespace tb;

TEST_CASE("a section read at once answers like the system's key reader") {
    const std::string longValue(2500, 'L');
    TestIni ini("[Directories]\r\n"
                "Dir1=C:\\\r\n"
                "dir2=C:\\lower key\r\n"
                "Dir3=\"C:\\quoted\"\r\n"
                "Dir4=C:\\first\r\n"
                "Dir4=C:\\second of the same name\r\n"
                "Dir5=" + longValue + "\r\n"
                "Dir6=  C:\\spaces around  \r\n"
                "Other=x=y\r\n"
                "[Changes]\r\nDir1=elsewhere\r\n");
    CIniSection section(kDirectoriesSection);
    for (const char* key : {"Dir1", "DIR2", "Dir3", "Dir4", "Dir5", "Dir6", "Other", "Dir7", "Missing"}) {
        for (unsigned size : {2000u, 5000u, 6u}) {
            std::vector<char> buffer(size + 1, '\0');
            ::GetPrivateProfileStringA(kDirectoriesSection, key, "", buffer.data(), size, kSettingsFile);
            CHECK_MESSAGE(section.Value(key, size) == std::string(buffer.data()), key << " with buffer " << size);
        }
    }
    CHECK(section.Value("Dir5").size() == 1999);
}

TEST_CASE("a section written at once leaves the file as single writes would") {
    TestIni ini("[Settings]\r\nGeneral=1\r\n[Directories]\r\nDir1=old 1\r\nExtra=kept\r\nDir2=old 2\r\n");
    CIniSection section(kDirectoriesSection);
    section.Write({{"DIR1", "new 1"}, {"Dir3", "new 3"}, {"Dir2", ""}});
    CHECK(ini.Value("Directories", "Dir1") == "new 1");
    CHECK(ini.Value("Directories", "Dir3") == "new 3");
    CHECK(HasEmptyKey(ini, "Directories", "Dir2"));
    CHECK(ini.Value("Directories", "Extra") == "kept");
    CHECK(ini.Value("Settings", "General") == "1");
    // An existing key keeps its place; a new one goes to the end.
    const std::string text = ini.Text();
    CHECK(text.find("Dir1=new 1") < text.find("Extra=kept"));
    CHECK(text.find("Dir2=") < text.find("Dir3=new 3"));
}

TEST_CASE("a numbered list ends at the first missing or empty key, or at its limit") {
    const std::vector<std::string> ab = {"A", "B"}, abc = {"A", "B", "C"};
    TestIni empty("[Directories]\r\nDir1=A\r\nDir2=B\r\nDir3=\r\nDir4=D\r\n");
    CHECK(ReadDirList(kDirectoriesSection, 100) == ab);
    TestIni missing("[Directories]\r\nDir1=A\r\nDir2=B\r\nDir4=D\r\n");
    CHECK(ReadDirList(kDirectoriesSection, 100) == ab);
    TestIni whole("[Directories]\r\nDir1=A\r\nDir2=B\r\nDir3=C\r\n");
    CHECK(ReadDirList(kDirectoriesSection, 100) == abc);
    CHECK(ReadDirList(kDirectoriesSection, 2) == ab);
    TestIni none;
    CHECK(ReadDirList(kDirectoriesSection, 100).empty());
}

TEST_CASE("a fired directory is recorded once, with an end mark") {
    TestIni ini;
    CHECK(RecordChangedDirectory("C:\\DOCS\\REPORT") == 1);
    CHECK(ini.Value("Changes", "Dir1") == "C:\\DOCS\\REPORT");
    CHECK(HasEmptyKey(ini, "Changes", "Dir2"));

    CHECK(RecordChangedDirectory("C:\\DOCS\\REPORT") == 0);  // already there
    CHECK(RecordChangedDirectory("C:\\") == 2);
    CHECK(RecordChangedDirectory("c:\\docs\\report") == 3);  // exact comparison: another entry
    CHECK(ReadListKeyByKey(ini, "Changes") ==
          std::vector<std::string>{"C:\\DOCS\\REPORT", "C:\\", "c:\\docs\\report"});
    CHECK(HasEmptyKey(ini, "Changes", "Dir4"));
}

TEST_CASE("after a reset the list is written again from Dir1 over the old keys") {
    TestIni ini("[Changes]\r\nDir1=\r\nDir2=C:\\OLD\r\nDir3=C:\\OLDER\r\n");
    CHECK(RecordChangedDirectory("C:\\OLD") == 1);  // the old Dir2 is past the end: not a duplicate
    CHECK(ReadListKeyByKey(ini, "Changes") == std::vector<std::string>{"C:\\OLD"});
    CHECK(ini.Value("Changes", "Dir3") == "C:\\OLDER");  // beyond the end mark, untouched
}

TEST_CASE("the change record list takes at most 5000 entries") {
    std::string text = "[Changes]\r\n";
    for (int n = 1; n <= 4999; ++n) text += "Dir" + std::to_string(n) + "=C:\\D" + std::to_string(n) + "\r\n";
    SUBCASE("the 5000th entry is still written") {
        TestIni ini(text);
        CHECK(RecordChangedDirectory("C:\\NEW") == 5000);
        CHECK(ini.Value("Changes", "Dir5000") == "C:\\NEW");
        CHECK(HasEmptyKey(ini, "Changes", "Dir5001"));
    }
    SUBCASE("a full list takes nothing more") {
        TestIni ini(text + "Dir5000=C:\\D5000\r\n");
        CHECK(RecordChangedDirectory("C:\\NEW") == 0);
        CHECK(ini.Value("Changes", "Dir5001").empty());
        CHECK(ini.Text().find("C:\\NEW") == std::string::npos);
    }
}
