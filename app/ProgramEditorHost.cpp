#include "app/ProgramEditorHost.h"

#include "autoarchive/AutoArchiveController.h"
#include "browser/BrowserOperations.h"
#include "browser/FileIcons.h"
#include "browser/FileList.h"
#include "browser/TallyboxView.h"
#include "res/resource.h"

namespace tb {

const SettingsRecord& CProgramEditorHost::Settings() const { return m_archiving.Settings(); }

PendingFiles CProgramEditorHost::TakePendingFiles() {
    // After the pause every change seen so far is in the change records.
    m_archiving.PauseMonitor();
    m_archiving.ResumeMonitor();
    PendingFiles pending;
    pending.taken = CurrentTime();
    m_archiving.ChangeList().BuildChangeList();
    pending.paths = m_archiving.ChangeList().PendingList();
    return pending;
}

int CProgramEditorHost::SearchChangedFiles(const std::string& folder, FileTicks since, int withSubfolders) {
    return m_archiving.ChangeList().SearchChangedFiles(folder, since, withSubfolders);
}

const std::vector<std::string>& CProgramEditorHost::SearchResults() const {
    return m_archiving.ChangeList().SearchResults();
}

void CProgramEditorHost::KnowArchive(const std::string& path) {
    if (m_view.AddArchive(path)) m_view.RefreshArchiveList();
}

void CProgramEditorHost::ShowArchive(const std::string& path) {
    KnowArchive(path);
    m_view.SelectArchive(path);
    // The archive has changed: the pane lists it again, as after a click on it.
    m_view.Pane().m_lastSelected = -1;
    ::SendMessageA(m_view.Pane().Handle(), WM_COMMAND, MAKEWPARAM(IDC_ARCHIVE_LIST, LBN_SELCHANGE),
                   LPARAM(m_view.Pane().ArchiveList()));
}

HICON CProgramEditorHost::FileIcon(const std::string& path, const std::string& name) {
    return LookupFileIcon(IconKeyOf(path, name));
}

void CProgramEditorHost::ExtractItems(HWND owner, const std::string& archive, const std::vector<ArchiveItem>& items,
                                      int mode) {
    std::vector<FileListRecord> records;
    for (const ArchiveItem& item : items)
        records.push_back(MakeFileListRecord(item.storedName, item.dateText, 0, unsigned(item.size),
                                             unsigned(item.compressedSize), unsigned(item.flags)));
    OpenExtractDialog(owner, m_archiving.Settings(), archive, records, mode);
}

void CProgramEditorHost::OpenSettings(HWND owner) { m_archiving.OpenSettingsOver(owner); }

void CProgramEditorHost::EditorOpen(bool open) { m_archiving.SetEditorOpen(open); }

}  // namespace tb
