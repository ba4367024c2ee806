#include "autoarchive/ChangeListBuilder.h"

#include <algorithm>
#include <vector>

#include "autoarchive/ProgressDlg.h"
#include "common/NumberedList.h"
#include "common/Profile.h"
#include "framework/DirectoryWalker.h"
#include "framework/Shell.h"
#include "framework/Text.h"
#include "monitor/ChangeRecords.h"

namespace tb {

namespace {

constexpr char kLastArchiveTimeKey[] = "LastArchiveTime";
constexpr unsigned kLastArchiveTimeBuffer = 200;
constexpr char kBuildingText[] = "Building List of Files";
constexpr char kBuildingDirectoryText[] = "Building List of Files. Directory: ";
constexpr int kBuildStepLimit = 10000;
constexpr int kEntryLimit = 100000;
constexpr size_t kPendingReserve = 1000;
constexpr DWORD kFinalTextWait = 500;
constexpr time_t kOneDay = 24 * 60 * 60;

// The folder a walked entry was listed in, as the progress text names it.
std::string FolderOf(const WalkEntry& entry) { return entry.path.substr(0, entry.path.find_last_of('\\')); }

// Stores `path` at `index` of the list, which then holds exactly index + 1 entries.
void StoreAt(std::vector<std::string>& list, int index, const std::string& path) {
    list.resize(size_t(index));
    list.push_back(path);
}

bool IsZipPath(const std::string& path) { return ContainsNoCase(path + ";", ".ZIP;"); }

}  // namespace

// ---------------------------------------------------------------------------
// Time

std::string ReadLastArchiveTimeText() {
    return ReadIniString(kSettingsSection, kLastArchiveTimeKey, kLastArchiveTimeBuffer);
}

bool ParseLastArchiveTime(const std::string& text, std::tm& local) {
    const std::vector<std::string> fields = Split(text, ",");
    if (fields.size() < 6) return false;
    local = std::tm{};
    local.tm_mday = LeadingInt(fields[0]);
    local.tm_mon = LeadingInt(fields[1]) - 1;
    local.tm_year = LeadingInt(fields[2]) - 1900;
    local.tm_hour = LeadingInt(fields[3]);
    local.tm_min = LeadingInt(fields[4]);
    local.tm_sec = LeadingInt(fields[5]);
    local.tm_isdst = -1;
    return true;
}

FileTicks ReadLastArchiveTime() {
    const FileTicks fallback = TicksFromTime(CurrentTime() - kOneDay);
    std::tm local{};
    if (!ParseLastArchiveTime(ReadLastArchiveTimeText(), local)) return fallback;
    const time_t when = std::mktime(&local);
    if (when == time_t(-1)) return fallback;
    return TicksFromTime(when);
}

void WriteLastArchiveTime() { WriteLastArchiveTime(CurrentTime()); }

std::string ArchiveTimeText(time_t when) {
    const std::tm* local = std::localtime(&when);
    if (!local) return {};
    char text[64] = {};
    std::strftime(text, sizeof text, "%d,%m,%Y,%H,%M,%S", local);
    return text;
}

void WriteLastArchiveTime(time_t when) {
    const std::string text = ArchiveTimeText(when);
    if (!text.empty()) WriteIniString(kSettingsSection, kLastArchiveTimeKey, text);
}

void ResetChangeRecords() {
    std::lock_guard<std::mutex> guard(ChangeRecordLock());
    WriteIniString(kChangesSection, "Dir1", "");
}

int BuildProgressPosition(int step) {
    int position = 5 * step;
    if (position > 90) position = 90 + 5 * step / 500;
    return position;
}

int SearchProgressPosition(int found) {
    int position = found / 362;
    if (position > 95) position = found / 1000;
    return position;
}

// ---------------------------------------------------------------------------
// The builder

CChangeListBuilder::CChangeListBuilder(IKnownArchiveSink& archives, const SettingsRecord& settings, HWND progressParent)
    : m_archives(archives), m_settings(settings), m_progressParent(progressParent) {}

CChangeListBuilder::~CChangeListBuilder() { CloseProgress(); }

HWND CChangeListBuilder::ProgressWindow() const { return m_progress ? m_progress->Handle() : nullptr; }

void CChangeListBuilder::OpenProgress() {
    CloseProgress();
    m_progress = std::make_unique<CProgressDlg>();
    if (!m_progress->Create(m_progressParent)) m_progress.reset();  // the work goes on without it
}

void CChangeListBuilder::CloseProgress() {
    if (m_progress) m_progress->DestroyModeless();
    m_progress.reset();
}

int CChangeListBuilder::ShowProgress(const std::string& text, int position) {
    return m_progress ? m_progress->Update(text, position) : 1;
}

void CChangeListBuilder::WaitShowingProgress(DWORD milliseconds) {
    // The dialog's own messages go through meanwhile, so the last text is painted.
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND dialog = ProgressWindow();
        MSG message;
        while (dialog && ::IsWindow(dialog) && ::PeekMessageA(&message, dialog, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= milliseconds) return;
        if (dialog)
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
        else
            ::Sleep(milliseconds - spent);
    }
}

void CChangeListBuilder::OfferArchive(const std::string& path) {
    if (IsZipPath(path)) m_archives.AddArchive(path);
}

int CChangeListBuilder::BuildChangeList() {
    const bool silent = (m_settings.Prompts & kPromptSilent) != 0;
    if (!silent) OpenProgress();

    m_pending.clear();
    m_pending.reserve(kPendingReserve);
    m_listed.clear();
    m_covered.clear();
    ScanChangedDirectory("");
    m_found = 0;
    // The last archive time does not change while the list is built: it is read
    // once here rather than for every directory (under Wine each read of the
    // settings file costs about half a millisecond).
    m_buildingSince = true;

    // The read starts at Dir0, which is never written: its "" scans nothing.
    std::string directory = ReadChangeRecord(kResetReadCounter);
    for (int step = 0; step < kBuildStepLimit; ++step) {
        if (!silent && !ShowProgress(kBuildingDirectoryText + directory, BuildProgressPosition(step))) break;
        ScanChangedDirectory(directory);
        if (!directory.empty() && m_lastScanWhole) m_covered.push_back(directory);
        directory = ReadChangeRecord(0);
        if (directory.empty()) {
            if (!silent) ShowProgress(kBuildingText, 100);
            WaitShowingProgress(kFinalTextWait);
            break;
        }
    }

    m_buildingSince = false;
    CloseProgress();
    if (m_archives.ArchiveListChanged()) m_archives.RefreshArchiveList();
    return m_found;
}

std::string CChangeListBuilder::ReadChangeRecord(int flags) {
    if (flags & kResetReadCounter) m_readCounter = 0;
    std::string value = ReadIniString(kChangesSection, DirKey(m_readCounter).c_str(), kStringBuffer);
    ++m_readCounter;
    return value;
}

int CChangeListBuilder::ScanChangedDirectory(const std::string& directory) {
    if (!m_buildingSince) m_lastArchive = ReadLastArchiveTime();
    if (directory.empty()) {
        m_lastScanned.clear();
        m_lastScanWhole = true;
        m_listed.clear();
        return 0;
    }
    if (directory == m_lastScanned) return m_found;  // met twice in a row: already scanned
    m_lastScanWhole = true;  // a directory that cannot be listed has nothing to find

    // The monitor records the first two levels by themselves; from the third
    // level down, a directory is part of its recorded ancestor, so a recorded
    // second-level directory stands for its whole tree. A directory's contents
    // come before the directory itself.
    const std::string child = JoinPath(directory, "x");
    const bool wholeTree = std::count(child.begin(), child.end(), '\\') > 2;
    CDirectoryWalker walk(directory, {wholeTree ? CDirectoryWalker::kWholeTree : 0,
                                      CDirectoryWalker::Order::ContentsFirst, kEntryLimit, nullptr});
    if (!walk.Opened()) return 0;
    m_lastScanned = directory;
    std::vector<std::string> newFolders;
    for (WalkEntry entry; walk.Next(entry);)
        if (ListIfDue(entry) && !wholeTree && !entry.IsLink()) newFolders.push_back(entry.path);
    m_lastScanWhole = !walk.Cut();
    // A folder made or moved in below a recorded root or first-level folder:
    // nothing below it was watched before, so all of it is looked at.
    for (const std::string& folder : newFolders) {
        CDirectoryWalker tree(folder, {CDirectoryWalker::kWholeTree, CDirectoryWalker::Order::ContentsFirst,
                                       kEntryLimit, nullptr});
        for (WalkEntry entry; tree.Next(entry);) ListIfDue(entry);
        if (tree.Cut()) m_lastScanWhole = false;
    }
    return m_found;
}

bool CChangeListBuilder::ListIfDue(const WalkEntry& entry) {
    const FileTicks written = TicksOf(entry.lastWrite);
    const bool newer = written > m_lastArchive;
    bool due = newer;
    if (!due && m_rule && !entry.IsDirectory()) due = m_rule->NotArchived(FileState{entry.path, entry.size, written});
    if (!due) return false;
    if (!m_listed.insert(ToUpper(entry.path)).second) return false;  // met already in this build
    if (entry.IsDirectory()) m_directoryChanged = 1;
    AddChangedFile(entry.path);
    return entry.IsDirectory();
}

void CChangeListBuilder::AddChangedFile(const std::string& path) {
    StoreAt(m_pending, m_found, path);
    ++m_found;
    OfferArchive(path);
}

int CChangeListBuilder::SearchChangedFiles(const std::string& folder, FileTicks since, int withSubfolders) {
    if (withSubfolders) {
        OpenProgress();
        ShowProgress(kBuildingDirectoryText + folder, 0);
    }
    const int result = SearchFolder(folder, since, withSubfolders);
    const bool aborted = m_progress && m_progress->Aborted();
    CloseProgress();
    if (m_archives.ArchiveListChanged()) m_archives.RefreshArchiveList();
    return aborted ? -1 : result;
}

int CChangeListBuilder::SearchFolder(const std::string& folder, FileTicks since, int withSubfolders) {
    if (folder.empty()) {
        m_found = 0;
        m_searchResults.clear();
        return 1;
    }
    // That tree is never searched.
    const std::string javaPackages = WindowsFolder(200) + "\\Java\\Packages";
    if (ContainsNoCase(folder, javaPackages)) return 1;

    // A folder's contents come before the folder itself.
    CDirectoryWalker walk(folder, {withSubfolders ? CDirectoryWalker::kWholeTree : 0,
                                   CDirectoryWalker::Order::ContentsFirst, kEntryLimit,
                                   [&](const WalkEntry& directory) { return !ContainsNoCase(directory.path, javaPackages); }});
    if (!walk.Opened()) return 0;
    for (WalkEntry entry; walk.Next(entry);) {
        if (TicksOf(entry.lastWrite) <= since) continue;
        if (withSubfolders && !ShowProgress(kBuildingDirectoryText + FolderOf(entry), SearchProgressPosition(m_found)))
            return m_found;  // "Abort Operation"
        StoreAt(m_searchResults, m_found, entry.path);
        ++m_found;
        OfferArchive(entry.path);
    }
    return m_found;
}

}  // namespace tb
