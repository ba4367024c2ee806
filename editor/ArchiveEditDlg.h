#pragma once
// CArchiveEditDlg (dialog 145, "Edit/Create Archive/Zip"): creates a ZIP
// archive or edits one. Its list shows the archive's items and the changes
// asked for (the edit list); files come from the pending list, from a search
// of drives for files changed since a day, and from the add-files dialog;
// "Archive" writes the changes and stays, "Archive_Files" writes and closes.

#include <ctime>
#include <string>
#include <vector>

#include "editor/EditList.h"
#include "editor/EditWrite.h"
#include "framework/BitmapButton.h"
#include "framework/Dialog.h"
#include "zip/ZipEngine.h"

namespace tb {

class IArchiveEditorHost;

// How a write ended.
enum WriteResult : int {
    kWriteDone = 0,       // written (or nothing to write)
    kWriteCancelled = 2,  // the name or the password was not given: nothing changed
    kWriteFailed = 3,     // a job failed: what was not written is still listed
};

class CArchiveEditDlg : public CDialog, private IEditRows {
public:
    explicit CArchiveEditDlg(IArchiveEditorHost& host);
    ~CArchiveEditDlg() override;

    // Before showing: the archive to edit (isNew: the file is an empty
    // placeholder, nothing to list, deleted by the first write).
    void SetArchive(const std::string& path, int isNew);
    // Before showing: take the pending files when the dialog starts.
    void SetTakePending(int flag) { m_takePending = flag; }

    // Lists an archive into the edit list; 1 when listed (or a placeholder).
    int LoadArchive(const std::string& path);
    // "Save changes to this archive?" when there are changes: Yes writes them
    // first. 1 to go on (No, or written), 0 when the write did not finish.
    int AskSaveChanges();
    // Writes the changes into the archive.
    int WriteArchive();
    // The file-save dialog for a new archive's name; IDOK or IDCANCEL.
    int ChooseArchiveName();
    // Stores "PassProtect" and "SaveFolders" and makes the archive known.
    void SaveEditorOptions();
    // Rebuilds every row of the list box from the edit list.
    void RefillList();

    const CEditList& List() const { return m_list; }
    const std::string& ArchivePath() const { return m_archivePath; }
    int ChangesMade() const { return m_changesMade; }

private:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void DeferredStart();
    void LoadButtons();
    void PlaceColumnButtons();
    void SubclassList();
    void UpdateSourceControls();
    void FillSourceLists();
    void AddFilesToList();
    void AddPendingFiles();
    void AddChangedFiles();
    void RemoveSelected();
    void OpenExistingArchive();
    void ExtractSelected();
    void LocateFiles();
    void SortColumn(int column);
    void Close();
    void DrawItem(const DRAWITEMSTRUCT& item);
    void SetTitleArchive(const std::string& path);
    void SetProgress(int percent);
    void ResetProgressTexts();
    void ClearList();
    int WriteJobs(const std::string& password);

    // IEditRows
    void RowChanged(int index) override;
    void RowRemoved(int index) override;

    IArchiveEditorHost& m_host;
    int m_sizeMode = kShowCompressedSizes;
    int m_exitAfterWrite = 0;
    int m_isNew = 0;
    int m_busy = 0;
    int m_tabStops[10] = {20, 92, 130, 187, 285, 335, 4000, 4000, 4000, 4000};
    CZipEngine m_engine;
    int m_takePending = 0;
    int m_pendingTaken = 0;
    time_t m_pendingTakenAt = 0;
    std::string m_archivePath;
    CBitmapButton m_buttons[6];
    int m_changesMade = 0;
    int m_progressShown = -1;
    CEditList m_list;
};

}  // namespace tb
