#pragma once
// CArchiveContentsPane: the child dialog (162) that covers the main view. The
// known archives on the left (list 1047, its lines written by the view), the
// entries of the selected archive on the right (list 1048), eight column header
// buttons, a divider and column edges to drag, the popup menus, and opening an
// entry with its associated program.

#include <string>
#include <vector>

#include "browser/ContentsPaneHost.h"
#include "browser/DirectoryPrefetch.h"
#include "browser/FileList.h"
#include "framework/Dialog.h"
#include "res/resource.h"

namespace tb {

// Extracts the entry into a fresh folder under the temporary folder and opens
// it with its application ("Unable to open file." when that fails).
void OpenArchiveEntry(HWND owner, const std::string& archive, const std::string& fullPath,
                      const std::string& password);

class CArchiveContentsPane : public CDialog {
public:
    explicit CArchiveContentsPane(IContentsPaneHost& host);

    // Lists the archive selected in list 1047: 1 listed (or empty), 0 nothing
    // to list or the listing was overtaken by another.
    int ListSelectedArchive();
    // direction 1 ascending, 0 descending, -1 toggle (a header click).
    void SortFileList(int column, int direction);
    int FillFileList();
    void OpenSelectedFile();
    // The selection handler's timer step; the view calls it with -1 after the
    // archive editor closed.
    void OnListingTimer(int id);
    // The empty file list shows whether automatic archiving is on: after the
    // settings changed it paints again.
    void RefreshEmptyListHint();

    HWND ArchiveList() const { return Item(IDC_ARCHIVE_LIST); }
    HWND FileList() const { return Item(IDC_FILE_LIST); }
    // The entries of the selected archive, in display order: line i of the
    // file list shows record i.
    const std::vector<FileListRecord>& Records() const { return m_files; }
    // The records of the selected lines of the file list, at most `limit`.
    std::vector<FileListRecord> SelectedRecords(int limit) const;
    // Selects the line of the entry stored as `fullPath` ('/' or '\', letters
    // in any case) alone and scrolls it into view; false when the listing has
    // no such entry.
    bool SelectEntry(const std::string& fullPath);

    int m_stop = 0;
    int m_sortMode = 1;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    void OnArchiveSelected();
    int ListArchiveEntries();
    void DrawItem(const DRAWITEMSTRUCT& item);
    void ShowLines(HWND list, const char* line);
    void SetStatus(const std::string& text);

    // Divider and column edges.
    int EdgeAt(int x, int y) const;
    void OnButtonDown(int x, int y);
    void OnMouseMove(int x, int y);
    void OnButtonUp();
    // The popup menu of the file list (over it) or of the archive list.
    enum class Menu { Archives, Files };
    void OnContextMenu(int x, int y, Menu menu);

    LRESULT HeaderProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT ArchiveListProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT FileListProc(HWND, UINT, WPARAM, LPARAM);
    bool ForwardListInput(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    LPARAM ToPane(HWND child, LPARAM position, bool zeroY) const;

    IContentsPaneHost& m_host;
    std::vector<FileListRecord> m_files;
    // Listings running (one inside another when a pumped message starts one).
    int m_listings = 0;
    CDirectoryPrefetch m_prefetch;
    int m_drag = 0;
    int m_dragTarget = -1;  // -1 none, 0 divider, 1 archive name edge, 2..6 file column edges
    int m_lastHeaderX = 0;  // where the pointer last moved over a header button

public:
    // The line last selected in the archive list; -1 after the list was rebuilt.
    int m_lastSelected = -1;
};

// The status text "Number of Files:  %i  (%s)" cut to 99 characters by
// shortening the path in its middle.
std::string ListingStatusText(int count, const std::string& archive);

}  // namespace tb
