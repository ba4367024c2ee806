#pragma once
// Small icons for the entries of an archive, looked up by file type in the
// registry and kept in a cache for the life of the program.

#include <windows.h>

#include <string>

namespace tb {

// The 16x16 icon for an icon key (".txt", ".dirfolder", "" for no extension).
// The icons of the types drawn most recently are kept (a bounded number).
HICON LookupFileIcon(const std::string& key);
// How many types the cache of LookupFileIcon holds now.
size_t CachedFileIcons();
// The icon of archives in the archive list (the program's icon, small).
HICON ArchiveIcon();

// Where an icon comes from, without loading it: the file and icon index, or
// "" when the default icon applies. Exposed for tests of the registry walk.
struct IconSource {
    std::string file;
    int index = 0;
    bool cacheable = true;  // the shortcuts to the default icon are not cached
};
IconSource FindIconSource(const std::string& key);

}  // namespace tb
