#include "autoarchive/ArchiveRun.h"

#include <windows.h>

#include <algorithm>

#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/PendingArchiveDlg.h"
#include "common/NumberedList.h"
#include "common/Profile.h"
#include "framework/DirectoryWalker.h"
#include "framework/Text.h"
#include "monitor/ChangeRecords.h"
#include "ziplib/dll/ZipRecords.h"

namespace tb {

namespace {

constexpr int kMaxChangeRecords = 5000;
constexpr char kRunError[] = "An error occured during this operation.";

// Anything in `folder` (and, with `subtree`, below it) written after `since`?
bool ChangedSince(const std::string& folder, FileTicks since, bool subtree) {
    CDirectoryWalker walk(folder, {subtree ? CDirectoryWalker::kWholeTree : 0});
    for (WalkEntry entry; walk.Next(entry);)
        if (TicksOf(entry.lastWrite) > since) return true;
    return false;
}

// The last archive time that keeps the files of `retry` that still exist due:
// a second before the oldest of them was written, or `listTaken`.
time_t EarliestRetry(const std::vector<std::string>& retry, time_t listTaken) {
    time_t earliest = listTaken;
    for (const std::string& path : retry) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) continue;  // gone: nothing to keep
        FILETIME local{};
        SYSTEMTIME parts{};
        if (!::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !::FileTimeToSystemTime(&local, &parts))
            continue;
        std::tm t{};
        t.tm_year = parts.wYear - 1900;
        t.tm_mon = parts.wMonth - 1;
        t.tm_mday = parts.wDay;
        t.tm_hour = parts.wHour;
        t.tm_min = parts.wMinute;
        t.tm_sec = parts.wSecond;
        t.tm_isdst = -1;
        const time_t written = std::mktime(&t);
        if (written != time_t(-1) && written - 1 < earliest) earliest = written - 1;
    }
    return earliest;
}

}  // namespace

std::string QuotedFileList(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) list += "\"" + path + "\" ";
    if (!list.empty()) list.pop_back();
    return list;
}

std::vector<std::string> ReadChangeRecordList() { return ReadDirList(kChangesSection, kMaxChangeRecords); }

void PruneChangeRecords(const std::vector<std::string>& done, unsigned long long sinceTicks,
                        const std::vector<std::string>& retry) {
    std::lock_guard<std::mutex> guard(ChangeRecordLock());
    std::vector<std::string> keep;
    for (const std::string& directory : ReadChangeRecordList()) {
        bool wasScanned = false;
        for (const std::string& s : done) wasScanned = wasScanned || s == directory;
        // A second-level directory stands for its whole subtree.
        const bool subtree = std::count(directory.begin(), directory.end(), '\\') >= 2 && directory.back() != '\\';
        std::string prefix = directory;
        if (prefix.back() != '\\') prefix += '\\';
        bool holdsRetry = false;
        for (const std::string& path : retry) {
            if (!StartsWithNoCase(path, prefix)) continue;
            const bool directChild = path.find('\\', prefix.size()) == std::string::npos;
            holdsRetry = holdsRetry || subtree || directChild;
        }
        if (!wasScanned || holdsRetry || ChangedSince(directory, sinceTicks, subtree)) keep.push_back(directory);
    }
    std::vector<std::pair<std::string, std::string>> assignments;
    int n = 1;
    for (const std::string& directory : keep) assignments.emplace_back(DirKey(n++), directory);
    assignments.emplace_back(DirKey(n), "");
    CIniSection(kChangesSection).Write(assignments);
}

CAutoArchiveRun::ListCoverage CAutoArchiveRun::Coverage(const std::vector<std::string>& recorded,
                                                       const BuiltChangeList& built, time_t listTaken) const {
    ListCoverage coverage;
    for (const std::string& directory : recorded)
        if (std::find(built.covered.begin(), built.covered.end(), directory) != built.covered.end())
            coverage.done.push_back(directory);
    // A recorded directory the build did not scan in full (aborted, or cut at
    // its entry limit) still holds changes since the time the list started
    // from: the last archive time stays there, so they are listed next time.
    coverage.upTo = coverage.done.size() == recorded.size() ? listTaken : TimeFromTicks(built.since);
    return coverage;
}

void CAutoArchiveRun::NoteChoice(const SettingsRecord& settings) {
    m_summary.untyped = int(m_pass.m_untyped.size());
    m_summary.untypedTypes = m_pass.m_newTypes;
    m_summary.excluded = int(m_pass.m_skipped.size());
    m_summary.noTypesChosen = settings.FileTypes.empty();
}

void CAutoArchiveRun::PruneWhilePaused(const std::vector<std::string>& done, FileTicks sinceTicks,
                                       const std::vector<std::string>& retry) {
    // A monitor that did not stop may be writing the records: they stay as they are.
    if (m_host.PauseMonitor()) PruneChangeRecords(done, sinceTicks, retry);
    m_host.ResumeMonitor();
}

int CAutoArchiveRun::Run(ArchiveTrigger trigger, SettingsRecord& settings) {
    m_writtenArchive.clear();
    m_failed = false;
    m_summary = RunSummary{};
    m_summary.trigger = trigger;
    m_summary.when = m_host.Now();
    const bool automatic = trigger != ArchiveTrigger::Command;
    const bool atShutdown = trigger == ArchiveTrigger::Shutdown;
    if (automatic && !(settings.General & kGeneralMonitor)) return 1;
    m_summary.ran = true;

    // Every change seen so far goes into the change records; what they hold
    // now is what this run scans. The moment is taken before the list is
    // built: a file saved while the run lists or archives is newer than it and
    // is offered again next time.
    m_host.ReconcileBeforeList();
    m_host.PauseMonitor();
    const time_t listTaken = m_host.Now();
    const unsigned long long listTakenTicks = m_host.NowTicks();
    const std::vector<std::string> recorded = ReadChangeRecordList();
    m_host.ResumeMonitor();
    const BuiltChangeList built = m_host.BuildChangeList();
    const std::vector<std::string>& pending = built.pending;
    const ListCoverage coverage = Coverage(recorded, built, listTaken);

    m_pass.StartRun();
    const auto sizeOf = [this](const std::string& path) { return m_host.FileSize(path); };
    const auto askOversize = [this](const std::string& path, unsigned long long size) {
        return m_host.AskOversize(path, size);
    };
    int saveFolderNames = 1;
    for (;;) {
        if (!m_pass.Run(pending, settings, sizeOf, askOversize)) {
            m_host.OpenSettings();
            continue;
        }
        if (m_host.LearnNewFileTypes(m_pass.m_newTypes, settings)) continue;
        WriteSettings(settings);

        NoteChoice(settings);
        if (!(settings.Prompts & kPromptPending)) break;
        const int mode = atShutdown ? CPendingArchiveDlg::kShutdownMode : 0;
        const PendingAnswer answer = m_host.ShowPendingDialog(m_pass.m_archive, m_pass.m_skipped, mode);
        if (answer == kPendingEditSettings) {
            m_host.OpenSettings();
            continue;
        }
        m_summary.postponed = answer != kPendingArchiveNow;
        if (answer == kPendingCustomArchive) {
            m_host.OpenEditorWithPending();
            return 0;
        }
        if (answer == kPendingRunArchiver) {
            m_host.ShowMainWindow();
            return 0;
        }
        if (answer == kPendingLater) return 0;
        if (answer == kPendingShutdownWithoutArchiving) return 1;
        if (answer == kPendingExitAndReset) {
            m_summary.reset = true;
            // The files listed are not offered again; what changed since the
            // list was taken, and what the list did not cover, still is.
            std::vector<std::string> declined = m_pass.m_archive;
            declined.insert(declined.end(), m_pass.m_untyped.begin(), m_pass.m_untyped.end());
            m_host.DeclineFiles(declined);
            PruneWhilePaused(coverage.done, listTakenTicks, {});
            WriteLastArchiveTime(coverage.upTo);
            return 0;
        }
        m_summary.postponed = false;
        break;  // "Archive Now"
    }
    saveFolderNames = ReadIniInt(kSettingsSection, "PendSaveFolderNames", 1);

    const std::string fileList = QuotedFileList(m_pass.m_archive);
    const time_t now = m_host.Now();
    std::tm local{};
    if (const std::tm* converted = std::localtime(&now)) local = *converted;
    const std::string name = DatedArchiveName(local);
    const std::string primary = ArchivePath(settings.LocationDir, name);
    const std::string alternate = ArchivePath(settings.LocationDirAlt, name);
    int options = 0;
    if (saveFolderNames != 0) options |= kZipOptKeepFolders;
    if (!(settings.Prompts & kPromptPending)) options |= kZipOptQuiet;
    options |= kZipOpAdd;

    // The location is made when it is missing; only when that fails, or the
    // archive cannot be written there, does the alternate take the files.
    const auto zipInto = [&](const std::string& folder, const std::string& archive) {
        if (!folder.empty() && !m_host.MakeFolder(folder)) {
            ZipOutcome unmade;
            unmade.problem = folder + ": the folder could not be made";
            return unmade;
        }
        ZipOutcome outcome = m_host.ZipFiles(archive, fileList, options);
        if (!outcome.written && !outcome.problem.empty()) outcome.problem = archive + ": " + outcome.problem;
        return outcome;
    };
    bool written = true;  // nothing to write counts as done
    std::string shown = primary;
    ZipOutcome outcome;
    if (!fileList.empty()) {
        outcome = zipInto(settings.LocationDir, primary);
        written = outcome.written;
        m_summary.stopped = outcome.stopped;
        if (!written && !outcome.stopped) {
            m_summary.failed = true;
            m_summary.failure =
                outcome.problem.empty() ? primary + ": the archive could not be written" : outcome.problem;
        }
        if (!written) {
            m_failed = true;
            if (!settings.LocationDirAlt.empty()) {
                outcome = zipInto(settings.LocationDirAlt, alternate);
                written = outcome.written;
                if (written) shown = alternate;
            }
        }
        if (written) {
            m_writtenArchive = shown;
            m_summary.archive = shown;
            m_summary.stopped = false;  // the alternate took it after all
            m_summary.inUse = int(outcome.notArchived.size());
            m_summary.taken = std::max(0, int(m_pass.m_archive.size()) - m_summary.inUse);
        } else {
            m_summary.taken = int(m_pass.m_archive.size());  // they wait for the next archive
        }
        if ((!written || !outcome.notArchived.empty() || m_failed) && (settings.Prompts & kPromptPending))
            m_host.ShowError(kRunError);
    }
    m_host.ShowArchive(shown);

    // Only an archive that was written moves the last archive time; when no
    // location could be written, the files stay due for the next run. A file
    // that could not be read (locked by its program) stays due too: the time
    // goes no later than just before it was last written.
    // A run that took nothing while files of types in neither list changed
    // (no type chosen yet, or a new type the user let pass this time) keeps
    // them due: once their type is chosen, the next run takes them.
    const bool keepDue = fileList.empty() && !m_pass.m_untyped.empty();
    if (written && !keepDue) WriteLastArchiveTime(EarliestRetry(outcome.notArchived, coverage.upTo));
    if (!m_failed && !keepDue) PruneWhilePaused(coverage.done, listTakenTicks, outcome.notArchived);
    WriteSettings(settings);
    if (m_host.DirectoryChanged() || !atShutdown) {
        m_host.ClearDirectoryChanged();
        m_host.RequestRebuildAndRestart();
    }
    return 1;
}

}  // namespace tb
