#include "history/Consolidation.h"

#include <memory>
#include <set>

#include "common/Settings.h"
#include "history/DatedArchives.h"
#include "history/MonthFold.h"
#include "ziplib/core/MergeJob.h"

namespace tb {

namespace {

// The merge job's events: nobody watches, but a stop is honoured.
class CStopEvents : public zl::IJobEvents {
public:
    explicit CStopEvents(const std::atomic<bool>& stop) : m_stop(stop) {}
    bool Progress(const std::string&, int) override { return !m_stop; }
    bool ItemStatus(const std::string&, int) override { return !m_stop; }
    zl::Answer Message(const zl::ZipError&, bool question) override { return question ? zl::Answer::No : zl::Answer::Ok; }
    void Rename(std::string&) override {}

private:
    const std::atomic<bool>& m_stop;
};

bool SameFile(const zl::FileInfo& a, const zl::FileInfo& b) {
    return a.size == b.size && a.writeTime == b.writeTime && a.fileId == b.fileId;
}

// An archive whose directory and every entry's record can be read; its
// entries as the plan needs them.
bool ReadWhole(zl::IFileSystem& fs, const std::string& path, std::vector<FoldEntry>& entries, std::string& why) {
    std::unique_ptr<zl::IReadFile> file = fs.OpenRead(path);
    if (!file) {
        why = "it cannot be opened";
        return false;
    }
    zl::ZipDirectory dir;
    if (!zl::ReadDirectory(*file, dir, why)) return false;
    entries.clear();
    for (size_t i = 0; i < dir.entries.size(); ++i) {
        zl::LocalSpan span;
        if (!zl::ReadLocalSpan(*file, dir, i, span, why)) {
            why = dir.entries[i].name + ": " + why;
            return false;
        }
        const zl::ZipEntry& e = dir.entries[i];
        entries.push_back({e.name, e.dosTime, e.haveUnixTime, e.unixTime});
    }
    return true;
}

class CMonthFolding {
public:
    CMonthFolding(const std::string& folder, const MonthToFold& month, const std::atomic<bool>& stop,
                  ConsolidationResult& result)
        : m_folder(folder), m_month(month), m_stop(stop), m_result(result), m_fs(zl::PlatformFileSystem()) {}

    void Fold() {
        m_target = m_month.monthArchive.empty() ? ArchivePath(m_folder, MonthArchiveName(m_month.year, m_month.month))
                                                : m_month.monthArchive;
        if (!m_month.monthArchive.empty() && !AddSource(m_target, ArchiveDate::MonthOf(m_month.year, m_month.month))) {
            // A month archive we cannot read whole is never written over.
            return;
        }
        for (const DatedArchive& day : m_month.days) AddSource(day.path, day.date);
        if (m_days == 0) return;

        zl::MergeOptions options;
        options.target = m_target;
        for (const Source& source : m_sources) options.sources.push_back(source.path);
        options.choose = [this](const std::vector<zl::ZipDirectory>& dirs) { return Choose(dirs); };
        CStopEvents events(m_stop);
        zl::CMergeJob job(m_fs, events);
        const zl::ZipResult r = job.Run(options);
        if (r == zl::kZipNothingToDo) return;
        if (r != zl::kZipOk) {
            if (r != zl::kZipAborted) Note(m_target + ": not written (" + job.FirstProblem().text + "); the day archives stay");
            return;
        }
        m_result.written.push_back(m_target);
        std::set<std::string> kept;
        for (const zl::ZipEntry& e : job.Written().entries) kept.insert(FoldKey(e.name));
        for (const Source& source : m_sources)
            if (source.isDay) RemoveIfFolded(source, kept);
    }

private:
    struct Source {
        std::string path;
        ArchiveDate date;
        bool isDay = false;
        zl::FileInfo seen;  // as it was when it was read
    };

    bool AddSource(const std::string& path, const ArchiveDate& date) {
        Source source;
        source.path = path;
        source.date = date;
        source.isDay = date.IsDay();
        std::vector<FoldEntry> entries;
        std::string why;
        if (!m_fs.Stat(path, source.seen) || !ReadWhole(m_fs, path, entries, why)) {
            Note(path + ": left alone (" + (why.empty() ? "it cannot be read" : why) + ")");
            return false;
        }
        m_sources.push_back(source);
        if (source.isDay) ++m_days;
        return true;
    }

    std::vector<zl::MergePick> Choose(const std::vector<zl::ZipDirectory>& dirs) {
        std::vector<FoldSource> sources;
        for (size_t s = 0; s < dirs.size(); ++s) {
            FoldSource source;
            source.date = m_sources[s].date;
            for (const zl::ZipEntry& e : dirs[s].entries)
                source.entries.push_back({e.name, e.dosTime, e.haveUnixTime, e.unixTime});
            sources.push_back(std::move(source));
        }
        std::vector<zl::MergePick> picks;
        for (const FoldPick& pick : PlanMonthFold(sources)) picks.push_back({pick.source, pick.entry});
        return picks;
    }

    // A day archive goes only when it is the file that was folded and each of
    // its names is in the month archive.
    void RemoveIfFolded(const Source& source, const std::set<std::string>& kept) {
        zl::FileInfo now;
        std::vector<FoldEntry> entries;
        std::string why;
        if (!m_fs.Stat(source.path, now) || !SameFile(now, source.seen) || !ReadWhole(m_fs, source.path, entries, why)) {
            Note(source.path + ": kept (it changed while it was folded)");
            return;
        }
        for (const FoldEntry& e : entries) {
            if (!kept.count(FoldKey(e.name))) {
                Note(source.path + ": kept (" + e.name + " is not in the month archive)");
                return;
            }
        }
        if (!m_fs.Remove(source.path)) {
            Note(source.path + ": folded, but it cannot be removed (" + m_fs.LastErrorText() + ")");
            return;
        }
        m_result.removed.push_back(source.path);
    }

    void Note(const std::string& text) { m_result.problems.push_back(text); }

    const std::string& m_folder;
    const MonthToFold& m_month;
    const std::atomic<bool>& m_stop;
    ConsolidationResult& m_result;
    zl::IFileSystem& m_fs;
    std::string m_target;
    std::vector<Source> m_sources;
    int m_days = 0;
};

}  // namespace

void ConsolidateFolder(const std::string& folder, const std::tm& today, int days, const std::atomic<bool>& stop,
                       ConsolidationResult& result) {
    if (folder.empty() || days < kMinConsolidateDays) return;
    for (const MonthToFold& month : MonthsDueForFolding(ListDatedArchives(folder), today, days)) {
        if (stop) return;
        CMonthFolding(folder, month, stop, result).Fold();
    }
}

}  // namespace tb
