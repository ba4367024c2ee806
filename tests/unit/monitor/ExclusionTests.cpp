// Which directories of the list the change monitor leaves unwatched.

#include <string>

#include "doctest/doctest.h"
#include "monitor/ChangeMonitor.h"
#include "monitor/DirectoryListWorker.h"

using namespace tb;

TEST_CASE("ExcludeDirList excludes a folder equal to any whole entry, in any case") {
    const std::string list = "C:\\DATA2;;C:\\DATA";
    CHECK(InExcludeDirList("C:\\DATA", list));  // its first occurrence is inside C:\DATA2
    CHECK(InExcludeDirList("C:\\DATA2", list));
    CHECK(InExcludeDirList("c:\\data", list));
    CHECK_FALSE(InExcludeDirList("C:\\DAT", list));
    CHECK_FALSE(InExcludeDirList("C:\\DATA\\OLD", list));
    CHECK_FALSE(InExcludeDirList("C:\\DATA22", list));
    CHECK_FALSE(InExcludeDirList("DATA", list));  // the tail of an entry is no entry
    CHECK_FALSE(InExcludeDirList("C:\\DATA", "C:\\DATA2"));
    CHECK_FALSE(InExcludeDirList("C:\\DATA", ""));
    CHECK_FALSE(InExcludeDirList("", list));
    // Entries written one per line come as ";;"; a lone separator still separates.
    CHECK(InExcludeDirList("D:\\TMP", "C:\\A;;D:\\TMP;;E:\\B;;"));
    CHECK(InExcludeDirList("D:\\TMP", "C:\\A;D:\\TMP"));
}

TEST_CASE("the exclusion tests hold in their order") {
    ChangeTrackingSettings settings;
    const std::string temp = "C:\\WINDOWS\\TEMP\\";
    const std::string cache = "C:\\WINDOWS\\Temporary Internet Files";

    SUBCASE("nothing set: only the recycle bins are left out") {
        CHECK(ExclusionOf("C:\\", settings, temp, cache) == WatchExclusion::None);
        CHECK(ExclusionOf("C:\\WINDOWS\\TEMP", settings, temp, cache) == WatchExclusion::None);
        CHECK(ExclusionOf("C:\\RECYCLED", settings, temp, cache) == WatchExclusion::Recycled);
        CHECK(ExclusionOf("D:\\Recycled\\S-1-5", settings, temp, cache) == WatchExclusion::Recycled);
        CHECK(ExclusionOf("C:\\OLDRECYCLEDSTUFF", settings, temp, cache) == WatchExclusion::Recycled);
    }
    SUBCASE("the list comes first, whatever Drives 0x08 says") {
        settings.ExcludeDirList = "C:\\RECYCLED;;C:\\WINDOWS";
        settings.Drives = kDrivesExcludeTemp;
        CHECK(ExclusionOf("C:\\RECYCLED", settings, temp, cache) == WatchExclusion::ExcludeDirList);
        CHECK(ExclusionOf("C:\\WINDOWS", settings, temp, cache) == WatchExclusion::ExcludeDirList);
        CHECK(ExclusionOf("C:\\WINDOWS\\TEMP", settings, temp, cache) == WatchExclusion::TempFolder);
    }
    SUBCASE("the temporary folder and every listed ancestor but the root") {
        settings.Drives = kDrivesExcludeTemp;
        CHECK(ExclusionOf("C:\\WINDOWS\\TEMP", settings, temp, cache) == WatchExclusion::TempFolder);
        CHECK(ExclusionOf("c:\\windows", settings, temp, cache) == WatchExclusion::TempFolder);
        CHECK(ExclusionOf("C:\\WIN", settings, temp, cache) == WatchExclusion::TempFolder);  // a leading piece
        CHECK(ExclusionOf("C:\\", settings, temp, cache) == WatchExclusion::None);
        CHECK(ExclusionOf("C:\\WINDOWS\\TEMP2", settings, temp, cache) == WatchExclusion::None);
        CHECK(ExclusionOf("C:\\WINDOWS\\SYSTEM", settings, temp, cache) == WatchExclusion::None);
    }
    SUBCASE("the internet cache folder") {
        settings.Drives = kDrivesExcludeInternetCache;
        CHECK(ExclusionOf("C:\\WINDOWS\\Temporary Internet Files", settings, temp, cache) ==
              WatchExclusion::InternetCache);
        CHECK(ExclusionOf("C:\\WINDOWS", settings, temp, cache) == WatchExclusion::InternetCache);
        CHECK(ExclusionOf("C:\\WINDOWS\\SYSTEM", settings, temp, cache) == WatchExclusion::None);
        // A leading piece of the cache folder's path: excluded too.
        CHECK(ExclusionOf("C:\\WINDOWS\\TEMP", settings, temp, cache) == WatchExclusion::InternetCache);
        CHECK(ExclusionOf("C:\\WINDOWS", settings, temp, "") == WatchExclusion::None);
    }
    SUBCASE("the default unzip folder") {
        settings.DefUnZipPath = "D:\\Unzipped\\Here";
        CHECK(ExclusionOf("D:\\UNZIPPED", settings, temp, cache) == WatchExclusion::None);
        settings.Drives = kDrivesExcludeUnZipFolder;
        CHECK(ExclusionOf("D:\\UNZIPPED", settings, temp, cache) == WatchExclusion::UnZipFolder);
        CHECK(ExclusionOf("D:\\Unzipped\\Here", settings, temp, cache) == WatchExclusion::UnZipFolder);
        CHECK(ExclusionOf("D:\\", settings, temp, cache) == WatchExclusion::None);
    }
}

TEST_CASE("second-level directories are watched with their subtree") {
    CHECK_FALSE(WatchesSubtree("C:\\"));
    CHECK_FALSE(WatchesSubtree("C:\\WINDOWS"));
    CHECK(WatchesSubtree("C:\\WINDOWS\\SYSTEM"));
    CHECK(WatchesSubtree("C:\\A\\B\\C"));
}

TEST_CASE("which drives a rebuild walks") {
    ChangeTrackingSettings settings;
    CHECK_FALSE(DriveSelected(settings, "C:\\", DRIVE_FIXED));

    settings.Drives = kDrivesAllLocal;
    CHECK(DriveSelected(settings, "C:\\", DRIVE_FIXED));
    CHECK_FALSE(DriveSelected(settings, "N:\\", DRIVE_REMOTE));
    CHECK_FALSE(DriveSelected(settings, "A:\\", DRIVE_REMOVABLE));

    settings.Drives = kDrivesAllRemote;
    CHECK(DriveSelected(settings, "N:\\", DRIVE_REMOTE));
    CHECK_FALSE(DriveSelected(settings, "C:\\", DRIVE_FIXED));

    // The custom selection takes precedence; a letter matches in either case
    // (the system lists "C:\\", a settings file may say "c").
    settings.Drives = kDrivesCustom | kDrivesAllLocal | kDrivesAllRemote;
    settings.CustomDriveList = "cD";
    CHECK(DriveSelected(settings, "C:\\", DRIVE_FIXED));
    CHECK(DriveSelected(settings, "c:\\", DRIVE_FIXED));
    CHECK(DriveSelected(settings, "D:\\", DRIVE_CDROM));
    CHECK_FALSE(DriveSelected(settings, "N:\\", DRIVE_REMOTE));
}
