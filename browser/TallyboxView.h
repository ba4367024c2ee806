#pragma once
// CTallyboxView: the single view of the main frame. It shows the known-archive
// list and keeps it (with its persistence and sorts), lays out the two lists
// and their column headers, and hosts the contents pane that covers it. Its
// commands go to named operations; the archive run, the settings sheet and
// the view's timers go to automatic archiving through IArchiveControl.

#include <string>

#include "autoarchive/ArchiveControl.h"
#include "browser/ArchiveContentsPane.h"
#include "browser/ContentsPaneHost.h"
#include "browser/FindArchivesDlg.h"
#include "browser/KnownArchiveList.h"
#include "browser/PaneLayout.h"
#include "editor/EditorOperations.h"
#include "framework/View.h"
#include "history/FileHistoryHost.h"

namespace tb {

class CTallyboxView : public CView,
                      public IArchiveViewHost,
                      private IContentsPaneHost,
                      private IArchiveFinder,
                      private IFileHistoryHost {
public:
    // `settings`: the live Settings record (the extraction defaults, the drives
    // to search for archives).
    explicit CTallyboxView(const SettingsRecord& settings);
    ~CTallyboxView() override;

    // Automatic archiving, before the view's window is made.
    void SetArchiveControl(IArchiveControl* control) { m_archiving = control; }
    // What the archive editor needs of the program, before the view's window is made.
    void SetEditorHost(IArchiveEditorHost* host) { m_editorHost = host; }
    // The archive editor, modal (nothing without an editor host).
    void OpenEditor(const EditorRequest& request);
    void OnInitialUpdate() override;

    // The known-archive list.
    int AddArchive(const std::string& path) override;
    bool ArchiveListChanged() const override { return m_archives.m_listChanged != 0; }
    int RefreshArchiveList() override;
    int SelectArchive(const std::string& path);
    CKnownArchiveList& KnownArchives() { return m_archives; }
    // The archive of the selected line of the archive list, "" when none.
    std::string SelectedArchive() const;
    void SortArchivesByName() override;
    void SortArchivesByDate();
    void SortArchivesByLocation() override;
    void RemoveSelectedFromList();

    // A ZIP named on the command line or handed over: added when missing,
    // selected and listed.
    void ShowNamedArchive(const std::string& path);
    // Lists the selected archive again at once (after the editor closed).
    void RelistSelectedArchive();

    // IArchiveViewHost: after an archive run.
    void ShowArchive(const std::string& archive) override;
    void OpenEditorWithPending() override;
    void ArchivesFolded(const std::vector<std::string>& removed, const std::vector<std::string>& written) override;
    void SettingsChanged() override { m_pane.RefreshEmptyListHint(); }

    // Geometry.
    void LayoutPanes(int cx, int cy);
    void MarkResized() { m_resized = 1; }
    LayoutValues& Layout() override { return m_layout; }
    const TabStops& ArchiveTabStops() const override { return m_archiveTabs; }
    const TabStops& FileTabStops() const override { return m_fileTabs; }
    CArchiveContentsPane& Pane() { return m_pane; }

    // Windows is ending the session: keep what would be lost.
    void SaveAtSessionEnd();

protected:
    void OnFinalMessage() override { delete this; }

private:
    // IContentsPaneHost
    std::string KnownArchiveAt(int line) const override;
    void LayoutPanes() override { LayoutPanes(-1, -1); }
    void SetStatusText(const std::string& text) override;
    bool AutomaticArchivingOn() const override { return (m_settings.General & kGeneralMonitor) != 0; }
    std::string AutomaticArchiveFolder() const override { return m_settings.LocationDir; }
    bool ArchivesAtShutdown() const override { return (m_settings.General & kGeneralArchiveAtShutdown) != 0; }

    // IArchiveFinder: the find-archives dialog's way to the list and the search.
    void ClearKnownArchives() override;
    int SearchChangedFiles(const std::string& folder, time_t since, int withSubfolders) override;

    // IFileHistoryHost: the File History window's way to the archives.
    HistoryPlaces Places() override;
    std::string CustomDrives() override { return m_settings.CustomDriveList; }
    HistoryIndexStore& IndexStore() override { return m_historyIndex; }
    std::optional<std::string> AskPassword(HWND owner, const std::string& prompt) override;
    HICON FileIcon(const std::string& storedName) override;
    void OpenEntry(HWND owner, const std::string& archive, const std::string& entryName,
                   const std::string& password) override;
    UserPrompts Prompts() override;

    HWND DialogOwner() const;
    // The File History window, for a typed name or for the selected entry;
    // afterwards the version the user asked to see is selected here.
    void OpenFileHistory(bool forSelectedEntry);
    void EditSelectedArchive();
    void ExtractSelected();
    void FindArchives();
    void BackupArchives();
    void OpenNewArchiveEditor();
    void ShowHelp();
    void ShowSorting();

    const SettingsRecord& m_settings;
    IArchiveControl* m_archiving = nullptr;
    IArchiveEditorHost* m_editorHost = nullptr;
    CKnownArchiveList m_archives;
    LayoutValues m_layout;
    TabStops m_archiveTabs;
    TabStops m_fileTabs;
    CArchiveContentsPane m_pane;
    HistoryIndexStore m_historyIndex;
    int m_resized = 0;
    int m_deferredLayout = 0;
    int m_scrollBarWidth = 0;
};

}  // namespace tb
