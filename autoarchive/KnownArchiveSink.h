#pragma once
// What the change list building and the folder search need of the view's
// known-archive list: a path ending in .zip that they meet is offered to it.

#include <string>

namespace tb {

class IKnownArchiveSink {
public:
    virtual ~IKnownArchiveSink() = default;
    // Adds the archive when no known path contains it and the file exists; 1 when added.
    virtual int AddArchive(const std::string& path) = 0;
    // The list-changed flag: set by an add, cleared by RefreshArchiveList.
    virtual bool ArchiveListChanged() const = 0;
    // Rebuilds the archive list box; returns the number of lines.
    virtual int RefreshArchiveList() = 0;
};

}  // namespace tb
