#pragma once
// The parts of backing up archives that need no window: the list line of an
// archive, and a copy that never destroys an existing backup. The copy goes to
// a temporary file in the backup folder, is checked (its size, and that its
// central directory reads like the original's), and only then takes the
// backup's name; a copy that fails half-way (a full disk, a stick pulled out)
// leaves the old backup as it was and no stray file behind.

#include <array>
#include <string>

namespace tb {

// An archive name longer than 24 characters: its first 9 characters, " ... "
// and its last 9 (characters, not bytes: a name is never cut inside one).
std::string ShortArchiveName(const std::string& name);

// The list line of a known archive: its (shortened) name, a tab and its folder.
std::string BackupListLine(const std::string& path);

// The 20 tab stops of the list, in dialog units.
const std::array<int, 20>& BackupTabStops();

enum class BackupCopy {
    Copied,        // the backup is in place and checked
    TargetExists,  // not copied: a file of that name is there and was to be kept
    Failed,        // not copied; an existing backup is unchanged
};

// Copies `source` to `target`. With `failIfExists` an existing target is kept
// (TargetExists); otherwise it is replaced once the new copy has been checked.
BackupCopy CopyArchiveChecked(const std::string& source, const std::string& target, bool failIfExists);

// True when `copy` is a faithful copy of `source` as far as can be seen without
// reading it all: the same size and, when the source's central directory can
// be read, a readable one with the same number of entries.
bool CopyLooksWhole(const std::string& source, const std::string& copy);

}  // namespace tb
