#include <windows.h>

#include <fstream>
#include <string>

#include "browser/KnownArchiveList.h"
#include "doctest/doctest.h"
#include "framework/Shell.h"
#include "framework/Text.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/TestIni.h"

using namespace tb;

TEST_CASE("an archive is known when a known path contains it, ignoring case") {
    TestFolder folder("known");
    const std::string a = folder.File("a.zip", "x");
    const std::string bak = folder.File("a.zip.bak", "x");
    CKnownArchiveList list;
    CHECK(list.AddArchive(bak) == 1);
    // c:\...\a.zip is contained in the known c:\...\a.zip.bak: not added.
    CHECK(list.AddArchive(ToUpper(a)) == 0);
    CHECK(list.Count() == 1);
    CHECK(list.Find(a) == 0);
    CHECK(list.AddArchive("") == 0);
    CHECK(list.AddArchive(folder.Path("missing.zip")) == 0);
    CHECK(list.AddArchive(folder.Path("")) == 0);  // a folder is not an archive
}

TEST_CASE("new archives go to the top and set the list-changed flag") {
    TestFolder folder("order");
    CKnownArchiveList list;
    list.m_listChanged = 0;
    list.AddArchive(folder.File("x.zip", "1"));
    CHECK(list.m_listChanged == 1);
    list.AddArchive(folder.File("y.zip", "2"));
    REQUIRE(list.Count() == 2);
    CHECK(CKnownArchiveList::NameOf(list.At(0).path) == "y.zip");
    CHECK(CKnownArchiveList::FolderOf(list.At(0).path) + "\\" == folder.Path(""));
}

TEST_CASE("the stored list comes back in reverse order without missing files") {
    TestIni ini;
    TestFolder folder("zips");
    const std::string x = folder.File("x.zip", "1");
    const std::string y = folder.File("y.zip", "2");
    WriteIniString("Zips", "Zip1", x);
    WriteIniString("Zips", "Zip2", folder.Path("gone.zip"));
    WriteIniString("Zips", "Zip3", y);
    CKnownArchiveList list;
    list.ReadArchiveList();
    REQUIRE(list.Count() == 2);
    CHECK(list.At(0).path == y);
    CHECK(list.At(1).path == x);

    list.WriteArchiveList();
    CHECK(ini.Value("Zips", "Zip1") == y);
    CHECK(ini.Value("Zips", "Zip2") == x);
    CHECK(ini.Value("Zips", "Zip3").empty());
}

TEST_CASE("a shorter list leaves older keys behind an empty end key") {
    TestIni ini;
    TestFolder folder("shorter");
    for (int i = 1; i <= 10; ++i) WriteIniString("Zips", ("Zip" + std::to_string(i)).c_str(), "C:\\old.zip");
    CKnownArchiveList list;
    list.AddArchive(folder.File("a.zip", "1"));
    list.AddArchive(folder.File("b.zip", "1"));
    list.AddArchive(folder.File("c.zip", "1"));
    list.WriteArchiveList();
    CHECK(ini.Value("Zips", "Zip4").empty());
    CHECK(ini.Value("Zips", "Zip5") == "C:\\old.zip");
    CHECK(ini.Value("Zips", "Zip10") == "C:\\old.zip");
    CKnownArchiveList again;
    again.ReadArchiveList();
    CHECK(again.Count() == 3);
}

TEST_CASE("the three sorts and their directions") {
    TestFolder folder("sorts");
    CKnownArchiveList list;
    const std::string b = folder.File("B\\beta.zip", "1", 2000);
    const std::string a = folder.File("C\\alpha.zip", "1", 2010);
    const std::string c = folder.File("A\\gamma.zip", "1", 2005);
    list.AddArchive(b);
    list.AddArchive(a);
    list.AddArchive(c);
    auto names = [&] {
        std::string out;
        for (const auto& e : list.Entries()) out += CKnownArchiveList::NameOf(e.path).substr(0, 1);
        return out;
    };
    list.SortByName();
    CHECK(names() == "abg");  // first by name: ascending
    list.SortByName();
    CHECK(names() == "gba");
    list.SortByDate();
    CHECK(names() == "agb");  // first by date: newest first
    list.SortByDate();
    CHECK(names() == "bga");
    list.SortByLocation();
    CHECK(names() == "gba");  // first by location: folders ascending (A, B, C)
    list.SortByLocation();
    CHECK(names() == "abg");
}
