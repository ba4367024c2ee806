#include "browser/ViewEditorHost.h"

#include "app/Globals.h"
#include "browser/TallyboxView.h"
#include "framework/Window.h"
#include "res/resource.h"

namespace tb {

const SettingsRecord& CViewEditorHost::Settings() const { return gSettings; }

PendingFiles CViewEditorHost::TakePendingFiles() {
    // After the pause every change seen so far is in the change records.
    m_view.PauseMonitor();
    m_view.ResumeMonitor();
    PendingFiles pending;
    pending.taken = CurrentTime();
    const int count = m_view.ChangeList().BuildChangeList();
    pending.paths.assign(gPendingList.begin(), gPendingList.begin() + std::min<size_t>(size_t(count), gPendingList.size()));
    return pending;
}

int CViewEditorHost::SearchChangedFiles(const std::string& folder, FileTicks since, int withSubfolders) {
    return m_view.ChangeList().SearchChangedFiles(folder, since, withSubfolders);
}

const std::vector<std::string>& CViewEditorHost::SearchResults() const { return gSearchResults; }

void CViewEditorHost::KnowArchive(const std::string& path) {
    if (m_view.AddArchive(path)) m_view.RefreshArchiveList();
}

void CViewEditorHost::ShowArchive(const std::string& path) {
    KnowArchive(path);
    m_view.SelectArchive(path);
    // The archive has changed: the pane lists it again, as after a click on it.
    m_view.Pane().m_lastSelected = -1;
    HWND archives = m_view.Pane().ArchiveList();
    ::SendMessageA(m_view.Pane().Handle(), WM_COMMAND, MAKEWPARAM(IDC_ARCHIVE_LIST, LBN_SELCHANGE), LPARAM(archives));
}

void CViewEditorHost::OpenSettings(HWND owner) { m_view.OpenSettings(owner); }

void CViewEditorHost::EditorOpen(bool open) { m_view.m_editorOpen = open ? 1 : 0; }

}  // namespace tb
