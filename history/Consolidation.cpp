#include "history/Consolidation.h"

#include <algorithm>
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

// The names of an archive's entries and its comment, from its central directory.
bool ReadNames(zl::IFileSystem& fs, const std::string& path, std::vector<std::string>& names, std::string& why,
               std::string* comment = nullptr) {
    std::unique_ptr<zl::IReadFile> file = fs.OpenRead(path);
    if (!file) {
        why = "it cannot be opened";
        return false;
    }
    zl::ZipDirectory dir;
    if (!zl::ReadDirectory(*file, dir, why)) return false;
    names.clear();
    for (const zl::ZipEntry& e : dir.entries) names.push_back(e.name);
    if (comment) *comment = dir.comment;
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

        // A day whose chosen entry turns out damaged (its record, or its data
        // against its CRC) is left out and the month written again from the others.
        zl::ZipResult r = zl::kZipNothingToDo;
        std::string problem;
        while (m_days > 0) {
            zl::MergeOptions options;
            options.target = m_target;
            for (const Source& source : m_sources) options.sources.push_back(source.path);
            options.choose = [this](const std::vector<zl::ZipDirectory>& dirs) { return Choose(dirs); };
            options.comment = FoldedUpToComment(LastDay());
            options.testData = true;
            CStopEvents events(m_stop);
            zl::CMergeJob job(m_fs, events);
            r = job.Run(options);
            problem = job.FirstProblem().text;
            if (r == zl::kZipOk) {
                for (const zl::ZipEntry& e : job.Written().entries) m_kept.insert(FoldKey(e.name));
                break;
            }
            if (r != zl::kZipBadArchive || !LeaveOut(job.FirstProblem().file, problem)) break;
        }
        if (r == zl::kZipNothingToDo || m_days == 0) return;
        if (r != zl::kZipOk) {
            if (r != zl::kZipAborted) Note(m_target + ": not written (" + problem + "); the day archives stay");
            return;
        }
        m_result.written.push_back(m_target);
        for (const Source& source : m_sources)
            if (source.isDay) RemoveIfFolded(source);
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
        std::vector<std::string> names;
        std::string why, comment;
        if (!m_fs.Stat(path, source.seen) || !ReadNames(m_fs, path, names, why, &comment)) {
            Note(path + ": left alone (" + (why.empty() ? "it cannot be read" : why) + ")");
            return false;
        }
        // A month archive stands for the last day folded into it.
        const ArchiveDate upTo = FoldedUpTo(comment);
        if (date.IsMonth() && upTo.year == date.year && upTo.month == date.month) source.date = upTo;
        m_sources.push_back(source);
        if (source.isDay) ++m_days;
        return true;
    }

    // The latest day among the sources: the month archive records it.
    ArchiveDate LastDay() const {
        ArchiveDate last;
        for (const Source& source : m_sources)
            if (source.date.IsDay() && source.date.SortKey() > last.SortKey()) last = source.date;
        return last;
    }

    // Leaves out the day archive the failed job named; false when it named
    // none (or the month archive, which is never written over then).
    bool LeaveOut(const std::string& path, const std::string& problem) {
        for (size_t i = 0; i < m_sources.size(); ++i) {
            if (m_sources[i].path != path || !m_sources[i].isDay) continue;
            Note(path + ": left alone (" + problem + ")");
            m_sources.erase(m_sources.begin() + long(i));
            --m_days;
            return true;
        }
        return false;
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
        // In the order the records lie in the sources: each is read forward once.
        std::sort(picks.begin(), picks.end(), [&](const zl::MergePick& a, const zl::MergePick& b) {
            if (a.source != b.source) return a.source < b.source;
            return dirs[a.source].entries[a.entry].localOffset < dirs[b.source].entries[b.entry].localOffset;
        });
        return picks;
    }

    // A day archive goes only when it is the file that was folded and each of
    // its names is in the month archive.
    void RemoveIfFolded(const Source& source) {
        zl::FileInfo now;
        std::vector<std::string> names;
        std::string why;
        if (!m_fs.Stat(source.path, now) || !SameFile(now, source.seen) || !ReadNames(m_fs, source.path, names, why)) {
            Note(source.path + ": kept (it changed while it was folded)");
            return;
        }
        for (const std::string& name : names) {
            if (!m_kept.count(FoldKey(name))) {
                Note(source.path + ": kept (" + name + " is not in the month archive)");
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
    std::set<std::string> m_kept;  // the month archive's names, as FoldKey gives them
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
