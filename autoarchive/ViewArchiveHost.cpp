#include "autoarchive/ViewArchiveHost.h"

#include <windows.h>

#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/FileSizeLimitDlg.h"
#include "autoarchive/PendingArchiveDlg.h"
#include "browser/TallyboxView.h"
#include "editor/EditorOperations.h"
#include "framework/Application.h"
#include "framework/Window.h"
#include "monitor/FileTypes.h"
#include "zip/ZipEngine.h"

namespace tb {

namespace {
constexpr DWORD kReselectDelayMs = 300;
}

HWND CViewArchiveHost::Owner() const {
    HWND frame = CApplication::MainWindowHandle();
    return frame ? frame : m_view.Handle();
}

time_t CViewArchiveHost::Now() { return CurrentTime(); }

unsigned long long CViewArchiveHost::NowTicks() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    // Never earlier than the clock the rest of the run uses (tests may set it).
    const FileTicks clock = TicksFromTime(CurrentTime());
    const FileTicks precise = TicksOf(now);
    return precise > clock && precise - clock < 10000000ULL ? precise : clock;
}
void CViewArchiveHost::PauseMonitor() { m_view.PauseMonitor(); }
void CViewArchiveHost::ResumeMonitor() { m_view.ResumeMonitor(); }
int CViewArchiveHost::BuildChangeList() { return m_view.ChangeList().BuildChangeList(); }
bool CViewArchiveHost::DirectoryChanged() { return m_view.ChangeList().DirectoryChanged() != 0; }
void CViewArchiveHost::ClearDirectoryChanged() { m_view.ChangeList().ClearDirectoryChanged(); }
void CViewArchiveHost::RequestRebuildAndRestart() { m_view.RequestRebuildAndRestart(); }
void CViewArchiveHost::OpenSettings() { m_view.OpenSettings(); }

int CViewArchiveHost::LearnNewFileTypes(const std::vector<std::string>& newTypes, SettingsRecord& settings) {
    return tb::LearnNewFileTypes(newTypes, settings);
}

OversizeAnswer CViewArchiveHost::AskOversize(const std::string& path, unsigned long long size) {
    CFileSizeLimitDlg dialog(path, static_cast<long long>(size));
    OversizeAnswer answer;
    INT_PTR result = dialog.DoModal(Owner());
    answer.result = result == IDCANCEL ? kSizeSkipFile : int(result);
    answer.dontShowAgain = dialog.DontShow() != 0;
    return answer;
}

int CViewArchiveHost::ShowPendingDialog(const std::vector<std::string>& archive,
                                        const std::vector<std::string>& skipped, int modeFlags) {
    CPendingArchiveDlg dialog;
    dialog.Set(archive, skipped, modeFlags, &m_view.m_cancelShutdown);
    return int(dialog.DoModal(Owner()));
}

void CViewArchiveHost::OpenEditorWithPending() {
    EditorRequest request;
    request.takePending = 1;
    m_view.OpenEditor(request);
}

void CViewArchiveHost::ShowMainWindow() {
    HWND frame = CApplication::MainWindowHandle();
    if (!frame) return;
    ::ShowWindow(frame, SW_SHOW);
    ::ShowWindow(frame, SW_RESTORE);
}

void CViewArchiveHost::ShowError(const std::string& text) { ShowMessage(Owner(), text); }

unsigned long long CViewArchiveHost::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

ZipOutcome CViewArchiveHost::ZipFiles(const std::string& archive, const std::string& fileList, int operation) {
    CZipEngine engine(m_view.Handle());
    ZipOutcome outcome;
    engine.ZipFiles(archive, fileList, operation);
    // Done, or done with some files that could not be read: the archive holds the others.
    outcome.written = engine.LastResult() == kZipResultOk || engine.LastResult() == kZipResultIncomplete;
    outcome.notArchived = gZipShared.unreadableFiles;
    return outcome;
}

void CViewArchiveHost::ShowArchive(const std::string& archive) {
    if (m_view.AddArchive(archive)) m_view.RefreshArchiveList();
    m_view.SelectArchive("");
    m_view.Pane().ListSelectedArchive();
    ::Sleep(kReselectDelayMs);
    m_view.SelectArchive(archive);
    m_view.Pane().m_lastSelected = -1;
    m_view.Pane().ListSelectedArchive();
}

}  // namespace tb
