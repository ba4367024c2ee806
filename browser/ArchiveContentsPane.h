#pragma once
// CArchiveContentsPane: the child dialog (162) that covers the main view. The
// known archives on the left (list 1047, its lines written by the view), the
// entries of the selected archive on the right (list 1048), eight column header
// buttons, a divider and column edges to drag, the popup menus, and opening an
// entry with its associated program.

#include <string>
#include <vector>

#include "browser/FileList.h"
#include "framework/Dialog.h"

namespace tb {

class CTallyboxView;

// The entries of the selected archive, in display order.
extern std::vector<FileListRecord> gFileList;

class CArchiveContentsPane : public CDialog {
public:
    CArchiveContentsPane();

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

    HWND ArchiveList() const { return Item(1047); }
    HWND FileList() const { return Item(1048); }
    // The records of the selected lines of the file list, at most `limit`.
    std::vector<FileListRecord> SelectedRecords(int limit) const;

    int m_stop = 0;
    int m_sortMode = 1;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    void OnArchiveSelected();
    void DrawItem(const DRAWITEMSTRUCT& item);
    void ShowLines(HWND list, const char* line);
    void SetStatus(const std::string& text);

    // Divider and column edges.
    int EdgeAt(int x, int y) const;
    void OnButtonDown(int x, int y);
    void OnMouseMove(int x, int y);
    void OnButtonUp();
    void OnContextMenu(int x, int y);

    LRESULT HeaderProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT ArchiveListProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT FileListProc(HWND, UINT, WPARAM, LPARAM);
    bool ForwardListInput(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    LPARAM ToPane(HWND child, LPARAM position, bool zeroY) const;

    int m_drag = 0;

public:
    // The line last selected in the archive list; -1 after the list was rebuilt.
    int m_lastSelected = -1;
};

// The pane's process-wide drag and menu state.
extern int gDragTarget;       // -1 none, 0 divider, 1 archive name edge, 2..6 file column edges
extern int gFileMenuFlag;
extern int gLastHeaderX;

// The status text "Number of Files:  %i  (%s)" cut to 99 characters by
// shortening the path in its middle.
std::string ListingStatusText(int count, const std::string& archive);

}  // namespace tb
