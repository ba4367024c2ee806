#include <string>

#include "browser/EmptyListHint.h"
#include "doctest/doctest.h"

using namespace tb;

TEST_CASE("the empty file list tells what to do, and says nothing once archives are known") {
    EmptyListFacts off;
    const std::string offHint = EmptyFileListHint(off);
    CHECK(offHint.rfind("Automatic archiving is off.", 0) == 0);
    for (const char* step : {"Monitor File Changes", "Archive at Windows Shut Down", "Drives page", "File Types page",
                             "Location page", "OK"})
        CHECK(offHint.find(step) != std::string::npos);

    EmptyListFacts first;
    first.archivingOn = true;
    first.archiveFolder = "C:\\Auto Archives";
    first.atShutdown = true;
    const std::string firstHint = EmptyFileListHint(first);
    CHECK(firstHint.rfind("No archive yet.", 0) == 0);
    CHECK(firstHint.find("archived into C:\\Auto Archives when Windows shuts down.") != std::string::npos);
    CHECK(firstHint.find("Archive Changed Files Now") != std::string::npos);

    first.atShutdown = false;
    first.archiveFolder = "T:\\Archives";
    CHECK(EmptyFileListHint(first).find("into T:\\Archives at the times set in Archive Settings.") !=
          std::string::npos);

    first.archivesKnown = true;
    CHECK(EmptyFileListHint(first).empty());
}
