#pragma once
// CFileDialog: the common file-open or file-save dialog (explorer style).
//
//     CFileDialog dialog(CFileDialog::kOpen, "*.zip", "Zip files (*.zip)|*.zip|All Files (*.*)|*.*||");
//     dialog.SetInitialFolder(folder);
//     if (dialog.DoModal(owner) == IDOK) Open(dialog.Path());
//     Remember(dialog.Folder());
//
// With multiple selection the names come back as a list (Paths). A panel of
// our own (a child dialog template) may sit in the dialog: it is a
// CFileDialogPanel whose messages go through its own map, and it may end the
// whole dialog with a command of its own, which DoModal then returns.

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace tb {

// What the dialog's file name buffer holds after OK: one full path; or, when
// several files were chosen in a dialog that allows it, the folder followed by
// the names. Each text ends with a NUL and the list with an empty text.
struct FileSelection {
    std::string folder;
    std::vector<std::string> names;

    std::vector<std::string> Paths() const;
};
// Reads a selection from `buffer` (at most `size` characters; a list cut short
// by the end of the buffer ends there).
FileSelection ParseFileSelection(const char* buffer, size_t size);

// "Text (*.x)|*.x|All Files (*.*)|*.*||" in the dialog's own form: the bars
// become NULs, and the list ends with two NULs.
std::string FilterFromBars(const std::string& bars);

class CFileDialog;

// A panel in the file dialog, from a child dialog template (style WS_CHILD |
// DS_CONTROL | DS_3DLOOK | WS_CLIPSIBLINGS).
class CFileDialogPanel : public CDialog {
public:
    explicit CFileDialogPanel(UINT templateId) : CDialog(templateId) {}

    // The file dialog around the panel.
    HWND FileDialog() const { return ::GetParent(m_hwnd); }
    // What the file name field holds now (while the dialog closes: what it
    // held when the closing began).
    std::string FileNameText() const;
    // The folder the dialog shows now.
    std::string ShownFolder() const;
    // Ends the whole file dialog; its DoModal returns `command` and nothing is
    // selected.
    void EndFileDialog(INT_PTR command);

protected:
    // Enter and Escape belong to the file dialog, not to the panel.
    void OnOK() override {}
    void OnCancel() override {}

private:
    friend class CFileDialog;
    CFileDialog* m_fileDialog = nullptr;
};

class CFileDialog {
public:
    enum Mode { kOpen, kSave };

    // `initialName` is the file name field's first text; `filterBars` as
    // FilterFromBars takes it (empty: no filter).
    CFileDialog(Mode mode, std::string initialName, const std::string& filterBars);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    void SetTitle(std::string title) { m_title = std::move(title); }
    void SetInitialFolder(std::string folder) { m_initialFolder = std::move(folder); }
    void SetDefaultExtension(std::string extension) { m_defaultExtension = std::move(extension); }
    // Lets the user choose several files; the file name buffer then holds
    // `bufferChars` characters.
    void AllowMultipleSelection(size_t bufferChars);
    void SetBufferSize(size_t chars) { m_bufferChars = chars; }
    // More OFN_ flags (OFN_HIDEREADONLY, OFN_FILEMUSTEXIST, OFN_NOCHANGEDIR, ...).
    void AddFlags(DWORD flags) { m_flags |= flags; }
    void SetPanel(CFileDialogPanel& panel) { m_panel = &panel; }

    // IDOK when files were chosen, IDCANCEL when the dialog was cancelled or
    // failed (see Error), or the command a panel ended it with.
    INT_PTR DoModal(HWND owner = kMainWindowOwner);

    const FileSelection& Selection() const { return m_selection; }
    std::vector<std::string> Paths() const { return m_selection.Paths(); }
    // The first chosen path; empty when none.
    std::string Path() const;
    // The folder the dialog showed when it ended, however it ended; the
    // initial folder when it never showed one.
    const std::string& Folder() const { return m_folder; }
    // CommDlgExtendedError of a failed dialog (FNERR_BUFFERTOOSMALL when the
    // chosen names did not fit the buffer); 0 after OK or a plain cancel.
    DWORD Error() const { return m_error; }
    // What the file name field held when the dialog ended.
    const std::string& FileNameText() const { return m_fileNameText; }

private:
    friend class CFileDialogPanel;
    static UINT_PTR CALLBACK Hook(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WatchClosing(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    void NoteFolder(HWND dialog);
    void NoteClosing(HWND dialog);

    Mode m_mode;
    std::string m_initialName;
    std::string m_filter;
    std::string m_title;
    std::string m_initialFolder;
    std::string m_defaultExtension;
    size_t m_bufferChars = MAX_PATH;
    DWORD m_flags = 0;
    CFileDialogPanel* m_panel = nullptr;

    FileSelection m_selection;
    std::string m_folder;
    INT_PTR m_endCommand = 0;
    DWORD m_error = 0;
    std::string m_fileNameText;
    bool m_closing = false;
};

}  // namespace tb
