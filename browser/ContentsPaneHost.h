#pragma once
// What the contents pane needs of the view it covers: the known archives
// behind the lines of the archive list, their sorts, the layout values that a
// drag of the divider or a column edge changes, the tab stops its lines are
// drawn with, and the frame's status bar.

#include <string>

#include "browser/PaneLayout.h"

namespace tb {

class IContentsPaneHost {
public:
    virtual ~IContentsPaneHost() = default;
    // The archive shown on that line of the archive list; "" when the line
    // lies beyond the list or holds no archive.
    virtual std::string KnownArchiveAt(int line) const = 0;
    virtual void SortArchivesByName() = 0;
    virtual void SortArchivesByLocation() = 0;
    // The divider and column widths; a drag changes them, then lays the panes out again.
    virtual LayoutValues& Layout() = 0;
    virtual void LayoutPanes() = 0;
    virtual const TabStops& ArchiveTabStops() const = 0;
    virtual const TabStops& FileTabStops() const = 0;
    // The second pane of the frame's status bar.
    virtual void SetStatusText(const std::string& text) = 0;
    // Whether automatic archiving is on: the empty file list says when it is not.
    virtual bool AutomaticArchivingOn() const = 0;
    // Where and when automatic archives are made, for the empty list to say.
    virtual std::string AutomaticArchiveFolder() const = 0;
    virtual bool ArchivesAtShutdown() const = 0;
};

}  // namespace tb
