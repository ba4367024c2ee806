#pragma once
// CTallyboxView: the single view of the main frame. It owns the known-archive
// list and its persistence, the geometry of the two lists and their column
// headers, the contents pane that covers it, the two background objects of
// change tracking, and the automatic archive run with its schedule.

#include <memory>
#include <string>

#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/Schedule.h"
#include "browser/ArchiveContentsPane.h"
#include "browser/KnownArchiveList.h"
#include "browser/KnownArchiveSink.h"
#include "browser/PaneLayout.h"
#include "editor/EditorOperations.h"
#include "framework/View.h"

namespace tb {

class CChangeMonitor;
class CDirectoryListWorker;

class CTallyboxView : public CView, public IKnownArchiveSink {
public:
    CTallyboxView();
    ~CTallyboxView() override;

    void OnInitialUpdate() override;

    // The known-archive list.
    int AddArchive(const std::string& path) override;
    bool ArchiveListChanged() const override { return m_archives.m_listChanged != 0; }
    int RefreshArchiveList() override;
    int SelectArchive(const std::string& path);
    CKnownArchiveList& KnownArchives() { return m_archives; }
    // The archive of the selected line of the archive list, "" when none.
    std::string SelectedArchive() const;
    void SortArchivesByName();
    void SortArchivesByDate();
    void SortArchivesByLocation();
    void RemoveSelectedFromList();

    // A ZIP named on the command line or handed over: added when missing,
    // selected and listed.
    void ShowNamedArchive(const std::string& path);
    // Lists the selected archive again at once (after the editor closed).
    void RelistSelectedArchive();

    // Geometry.
    void LayoutPanes(int cx, int cy);
    void MarkResized() { m_resized = 1; }
    LayoutValues& Layout() { return m_layout; }
    const TabStops& ArchiveTabStops() const { return m_archiveTabs; }
    const TabStops& FileTabStops() const { return m_fileTabs; }
    CArchiveContentsPane& Pane() { return m_pane; }

    // The automatic archive run; 1 = finished (or nothing to do), 0 = postponed.
    int RunArchive(int automatic, int reason);
    // The settings sheet over `owner` (null: the main window); after OK the
    // settings are written and monitoring restarts.
    void OpenSettings(HWND owner = nullptr);
    // The archive editor, modal.
    void OpenEditor(const EditorRequest& request);

    // Change tracking.
    CChangeListBuilder& ChangeList() { return m_changeList; }
    void PauseMonitor();
    void ResumeMonitor();
    // Has the directory list rebuilt and the monitor restarted 10 s later.
    void RequestRebuildAndRestart();

    // Windows is ending the session: keep what would be lost.
    void SaveAtSessionEnd();

    int m_cancelShutdown = 0;
    int m_editorOpen = 0;
    int m_monitorRestart = 0;

protected:
    void OnFinalMessage() override { delete this; }

private:
    void OnDestroy();
    void OnScheduleTick(UINT_PTR timer);
    void EditSelectedArchive();
    void ExtractSelected();
    void OpenNewArchiveEditor();
    void ShowHelp();
    void ShowSorting();

    CKnownArchiveList m_archives;
    LayoutValues m_layout;
    TabStops m_archiveTabs;
    TabStops m_fileTabs;
    CArchiveContentsPane m_pane;
    std::unique_ptr<CDirectoryListWorker> m_worker;
    std::unique_ptr<CChangeMonitor> m_monitor;
    CChangeListBuilder m_changeList;
    ScheduleState m_schedule;
    int m_resized = 0;
    int m_deferredLayout = 0;
    int m_scrollBarWidth = 0;
};

}  // namespace tb
