#include "autoarchive/ProgramArchiveHost.h"

#include <windows.h>

#include "autoarchive/AutoArchiveController.h"
#include "autoarchive/FileSizeLimitDlg.h"
#include "autoarchive/PendingArchiveDlg.h"
#include "common/Clock.h"
#include "framework/Application.h"
#include "framework/Path.h"
#include "framework/Window.h"
#include "monitor/FileTypes.h"
#include "zip/ZipEngine.h"

namespace tb {

namespace {

// Less free space than this on the archive's disk after a failed write: full.
constexpr unsigned long long kFullDiskBytes = 1024 * 1024;

// Why the archive could not be written, in the user's words.
std::string WriteProblem(const std::string& archive, int result) {
    ULARGE_INTEGER free{};
    const size_t cut = archive.find_last_of('\\');
    const std::string folder = cut == std::string::npos ? std::string(".") : archive.substr(0, cut + 1);
    if (::GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr) &&
        free.QuadPart < kFullDiskBytes)
        return "the disk is full";
    if (result == kZipResultCannotOpen) return "the archive could not be opened or made";
    if (result == kZipResultBadArchive) return "the archive is damaged";
    return "the archive could not be written";
}

}  // namespace

time_t CProgramArchiveHost::Now() { return CurrentTime(); }

unsigned long long CProgramArchiveHost::NowTicks() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    // Never earlier than the clock the rest of the run uses (tests may set it).
    const FileTicks clock = TicksFromTime(CurrentTime());
    const FileTicks precise = TicksOf(now);
    return precise > clock && precise - clock < 10000000ULL ? precise : clock;
}

bool CProgramArchiveHost::PauseMonitor() { return m_controller.PauseMonitor(); }
void CProgramArchiveHost::ResumeMonitor() { m_controller.ResumeMonitor(); }

BuiltChangeList CProgramArchiveHost::BuildChangeList() {
    CChangeListBuilder& builder = m_controller.ChangeList();
    builder.SetDueRule(m_controller.DueRuleNow());
    builder.BuildChangeList();
    builder.SetDueRule(nullptr);  // the archive editor's own builds list by time alone
    return BuiltChangeList{builder.PendingList(), builder.CoveredDirectories(), builder.ListedSince()};
}

void CProgramArchiveHost::ReconcileBeforeList() { m_controller.ReconcileBeforeList(); }

void CProgramArchiveHost::DeclineFiles(const std::vector<std::string>& paths) { CDeclinedFiles().Decline(paths); }

bool CProgramArchiveHost::DirectoryChanged() { return m_controller.ChangeList().DirectoryChanged() != 0; }
void CProgramArchiveHost::ClearDirectoryChanged() { m_controller.ChangeList().ClearDirectoryChanged(); }
void CProgramArchiveHost::RequestRebuildAndRestart() { m_controller.RequestRebuildAndRestart(); }
void CProgramArchiveHost::OpenSettings() { m_controller.OpenSettingsInRun(); }

int CProgramArchiveHost::LearnNewFileTypes(const std::vector<std::string>& newTypes, SettingsRecord& settings) {
    // A full type list is told once in a session, in a run that shows dialogs
    // (never in one that runs silently, at shut-down inside Windows' question).
    const bool prompting = (settings.Prompts & (kPromptPending | kPromptNewTypes | kPromptSizeLimit)) != 0;
    return tb::LearnNewFileTypes(newTypes, settings, AskWithNewFileTypeDialog, [this, prompting](const std::string& text) {
        if (!prompting || m_controller.TypeListFullTold()) return;
        m_controller.NoteTypeListFullTold();
        ShowMessage(m_controller.Owner(), text);
    });
}

OversizeAnswer CProgramArchiveHost::AskOversize(const std::string& path, unsigned long long size) {
    CFileSizeLimitDlg dialog(path, static_cast<long long>(size));
    OversizeAnswer answer;
    const INT_PTR result = dialog.DoModal(m_controller.Owner());
    // The close box and Escape count as "Skip File".
    answer.result = result == IDCANCEL ? kSizeSkipFile : SizeLimitAnswer(result);
    answer.dontShowAgain = dialog.DontShow() != 0;
    return answer;
}

PendingAnswer CProgramArchiveHost::ShowPendingDialog(const std::vector<std::string>& archive,
                                                     const std::vector<std::string>& skipped, int modeFlags) {
    CPendingArchiveDlg dialog;
    dialog.Set(archive, skipped, modeFlags, m_controller.CancelShutdownFlag());
    return PendingAnswer(dialog.DoModal(m_controller.Owner()));
}

void CProgramArchiveHost::OpenEditorWithPending() { m_controller.View().OpenEditorWithPending(); }

void CProgramArchiveHost::ShowMainWindow() {
    HWND frame = CApplication::MainWindowHandle();
    if (!frame) return;
    ::ShowWindow(frame, SW_SHOW);
    ::ShowWindow(frame, SW_RESTORE);
}

void CProgramArchiveHost::ShowError(const std::string& text) { ShowMessage(m_controller.Owner(), text); }

unsigned long long CProgramArchiveHost::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool CProgramArchiveHost::MakeFolder(const std::string& folder) { return MakeFolderTree(folder); }

ZipOutcome CProgramArchiveHost::ZipFiles(const std::string& archive, const std::string& fileList, int operation) {
    CZipEngine engine(m_controller.ViewWindow());
    ZipOutcome outcome;
    engine.ZipFiles(archive, fileList, operation);
    // Done, or done with some files that could not be read: the archive holds the others.
    outcome.written = engine.LastResult() == kZipResultOk || engine.LastResult() == kZipResultIncomplete;
    outcome.notArchived = engine.UnreadableFiles();
    outcome.stopped = engine.LastResult() == kZipResultAborted || engine.AbortRequested();
    if (!outcome.written) outcome.problem = WriteProblem(archive, engine.LastResult());
    return outcome;
}

void CProgramArchiveHost::ShowArchive(const std::string& archive) { m_controller.View().ShowArchive(archive); }

}  // namespace tb
