#include "ExtractJob.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

#include "EntryReader.h"
#include "Names.h"

#include <algorithm>

namespace zl {

namespace {

// Entries larger than this, stored or decoded, are extracted on the calling
// thread: only one entry at a time then takes up to the decoding budget (an
// LZMA dictionary is never larger than its entry).
constexpr uint64_t kParallelLimit = 4 * 1024 * 1024;
constexpr size_t kMaxInFlight = 32;

int Percent(uint64_t done, uint64_t total) {
    if (total == 0) return 100;
    return int(done * 100 / total);
}

// A new file beside `path` under our temporary name "<path>.tbx<n>~"; one a
// killed job left there (and no job holds) is removed and its name taken.
std::unique_ptr<IWriteFile> CreateTempFor(IFileSystem& fs, const std::string& path, std::string& temp) {
    for (int n = 0; n < 100; ++n) {
        temp = path + ".tbx" + std::to_string(n) + "~";
        if (auto file = fs.CreateNew(temp)) return file;
        FileInfo info;
        if (!fs.Stat(temp, info)) return nullptr;   // not there, yet not created: the folder refuses
        if (!info.isDirectory && fs.RemoveIfUnused(temp))
            if (auto file = fs.CreateNew(temp)) return file;
    }
    return nullptr;
}

// The message of an entry that could not be read: an entry the reader does not
// read (its method, its encryption, or more memory than it allows) is
// skipped as unsupported.
MessageCode EntryMessage(ZipResult r, bool havePassword) {
    switch (r) {
    case kZipWrongPassword: return havePassword ? kMsgWrongPassword : kMsgPasswordNeeded;
    case kZipUnsupported: return kMsgUnsupported;
    case kZipCrcError: return kMsgCrcError;
    default: return kMsgDamagedEntry;
    }
}

}  // namespace

void CExtractJob::Report(const ZipError& problem) {
    if (m_firstProblem.result == kZipOk) m_firstProblem = problem;
    m_events.Message(problem, false);
}

bool CExtractJob::MakeFolders(const std::string& folder) {
    if (folder.empty() || folder == m_lastFolder) return true;
    FileInfo info;
    if (m_fs.Stat(folder, info)) {
        if (info.isDirectory) m_lastFolder = folder;
        return info.isDirectory;
    }
    std::string parent = ParentPath(folder);
    if (!parent.empty() && parent != folder && !(parent.size() == 2 && parent[1] == ':')) {
        if (!MakeFolders(parent)) return false;
    }
    if (!MakeFolderLevel(folder)) return false;
    m_lastFolder = folder;
    return true;
}

bool CExtractJob::MakeFolderLevel(const std::string& folder) {
    const FolderMade made = m_fs.MakeFolder(folder);
    if (made == FolderMade::kMade) m_madeFolders.insert(NameKey(folder));
    return made != FolderMade::kFailed;
}

bool CExtractJob::MakeFoldersBelow(const std::string& base, const std::string& folder) {
    if (folder == m_lastFolder || folder == base) return true;
    // Start below the folder made last when it is on the way, else below the base.
    std::string path = base;
    const std::string& last = m_lastFolder;
    if (last.size() > base.size() && folder.size() > last.size() && folder.compare(0, last.size(), last) == 0 &&
        (folder[last.size()] == '/' || folder[last.size()] == '\\'))
        path = last;
    // One walk down: each level once, one growing path, no recursion.
    size_t at = path.size();
    while (at < folder.size()) {
        const size_t next = folder.find_first_of("/\\", at + 1);
        path.append(folder, at, (next == std::string::npos ? folder.size() : next) - at);
        at = next == std::string::npos ? folder.size() : next;
        if (!MakeFolderLevel(path)) return false;
    }
    m_lastFolder = folder;
    return true;
}

ZipResult CExtractJob::WriteEntryFile(IReadFile& file, const ZipDirectory& dir, size_t index, const std::string& path,
                                      const ExtractOptions& options, ReadBuffers& buffers,
                                      const std::function<bool(uint64_t)>& progress, ZipError& problem) {
    const ZipEntry& entry = dir.entries[index];
    CEntryReader reader(file, dir, index, m_crypto);
    ZipResult r = reader.Open(options.havePassword ? &options.password : nullptr);
    if (r != kZipOk) {
        problem = Problem(r, EntryMessage(r, options.havePassword), entry.name + ": " + reader.Why(), entry.name);
        return r;
    }
    // Written beside its final name and renamed when complete: a failure, or a
    // killed process, never leaves a partial file (or a replaced one) under it.
    std::string temp;
    std::unique_ptr<IWriteFile> out = CreateTempFor(m_fs, path, temp);
    auto writeProblem = [&](const char* what) {
        problem = SystemProblem(m_fs, kZipWriteError, kMsgCannotWrite, what + path, path);
        return kZipWriteError;
    };
    if (!out) return writeProblem("Cannot create ");
    r = reader.Pump(
        [&](const uint8_t* data, size_t size) {
            if (!out->Write(data, size)) return kZipWriteError;
            return progress(reader.Consumed()) ? kZipOk : kZipAborted;
        },
        buffers);
    if (r == kZipOk && options.restoreTimes) out->SetTimes(entry.dosTime, entry.unixTime, entry.haveUnixTime);
    if (r == kZipOk && !out->CommitAs(m_fs, temp, path)) r = kZipWriteError;
    if (r == kZipWriteError) writeProblem("Cannot write ");
    out.reset();
    if (r != kZipOk) {
        m_fs.Remove(temp);
        if (r != kZipWriteError && r != kZipAborted)
            problem = Problem(r, EntryMessage(r, options.havePassword), entry.name + ": " + reader.Why(), entry.name);
    }
    return r;
}

// Extracts small entries on worker threads while the calling thread decides
// about the next ones; creating files is slow on some systems (Wine), and this
// overlaps it. Callbacks stay on the calling thread.
class CExtractJob::CPool {
public:
    struct Work {
        size_t index = 0;
        std::string path;
        ZipResult result = kZipOk;
        ZipError problem;
    };

    CPool(CExtractJob& job, IReadFile& file, const ZipDirectory& dir, const ExtractOptions& options, unsigned threads)
        : m_job(job), m_file(file), m_dir(dir), m_options(options) {
        for (unsigned i = 0; i < threads; ++i) m_threads.emplace_back([this] { Loop(); });
    }
    ~CPool() { Stop(); }
    void Stop() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_cv.notify_all();
        for (auto& t : m_threads) t.join();
        m_threads.clear();
    }
    void Submit(Work work) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(work));
        ++m_inFlight;
        m_cv.notify_one();
    }
    size_t InFlight() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_inFlight;
    }
    // Takes finished work; waits for some when `wait` is set and work is in flight.
    std::vector<Work> Collect(bool wait) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (wait && m_done.empty() && m_inFlight > 0) m_doneCv.wait(lock, [&] { return !m_done.empty(); });
        std::vector<Work> out;
        out.swap(m_done);
        m_inFlight -= out.size();
        return out;
    }

private:
    void Loop() {
        ReadBuffers buffers;
        for (;;) {
            Work work;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_cv.wait(lock, [&] { return m_stop || !m_queue.empty(); });
                if (m_stop) return;
                work = std::move(m_queue.front());
                m_queue.pop_front();
            }
            try {
                work.result = m_job.WriteEntryFile(m_file, m_dir, work.index, work.path, m_options, buffers,
                                                   [this](uint64_t) { return !m_stopping.load(); }, work.problem);
            } catch (...) {
                work.result = kZipInternal;
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_done.push_back(std::move(work));
            }
            m_doneCv.notify_one();
        }
    }

    CExtractJob& m_job;
    IReadFile& m_file;
    const ZipDirectory& m_dir;
    const ExtractOptions& m_options;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_cv, m_doneCv;
    std::deque<Work> m_queue;
    std::vector<Work> m_done;
    size_t m_inFlight = 0;
    bool m_stop = false;

public:
    std::atomic<bool> m_stopping{false};
};

// One run of the job: the entries chosen, the progress, the worker pool and
// what it has in flight. Each entry goes through named steps.
class CExtractJob::CRun {
public:
    CRun(CExtractJob& job, const ExtractOptions& options, IReadFile& file, const ZipDirectory& dir)
        : m_job(job), m_options(options), m_file(file), m_dir(dir), m_sep(job.m_fs.Separator()) {}

    ZipResult Run() {
        std::vector<size_t> chosen = ChooseEntries();
        if (chosen.empty()) return m_result == kZipOk ? kZipNothingToDo : m_result;
        if (!PrepareDestination()) return kZipWriteError;
        for (size_t i : chosen) m_total += m_dir.entries[i].compressedSize;
        // Small entries go to worker threads; their results are reported here.
        unsigned threads = m_options.threads ? m_options.threads : std::max(1u, std::thread::hardware_concurrency());
        threads = std::min(threads, 4u);
        if (threads > 1 && chosen.size() > 1) m_pool.reset(new CPool(m_job, m_file, m_dir, m_options, threads));
        for (size_t i : chosen)
            if (!ExtractOne(i)) return Stop();
        if (!Drain()) return Stop();
        if (!m_job.m_events.Progress("", 100)) return kZipAborted;
        return m_result;
    }

private:
    void Note(ZipResult r) {
        if (m_result == kZipOk) m_result = r;
    }
    void Fail(const ZipError& problem) {
        m_job.Report(problem);
        Note(problem.result);
    }

    // The entries named by index or by the patterns, in archive order; a
    // pattern that matches nothing is reported.
    std::vector<size_t> ChooseEntries() {
        std::vector<size_t> chosen;
        if (m_options.index >= 0) {
            if (size_t(m_options.index) < m_dir.entries.size()) chosen.push_back(size_t(m_options.index));
            return chosen;
        }
        std::vector<bool> used(m_options.patterns.size(), false);
        for (size_t i = 0; i < m_dir.entries.size(); ++i) {
            bool match = m_options.patterns.empty();
            for (size_t p = 0; p < m_options.patterns.size(); ++p) {
                if (NameSelects(m_options.patterns[p], m_dir.entries[i].name, m_options.wildcards)) {
                    match = true;
                    used[p] = true;
                }
            }
            if (match) chosen.push_back(i);
        }
        for (size_t p = 0; p < m_options.patterns.size(); ++p)
            if (!used[p])
                Fail(Problem(kZipIncomplete, kMsgNoMatch, "No entry matches " + m_options.patterns[p], m_options.patterns[p]));
        return chosen;
    }

    bool PrepareDestination() {
        const std::string& d = m_options.destination;
        const bool trailing = d.size() > 1 && (d.back() == '\\' || d.back() == '/');
        m_base = trailing ? d.substr(0, d.size() - 1) : d;
        if (m_job.MakeFolders(m_base)) return true;
        m_job.Report(SystemProblem(m_job.m_fs, kZipWriteError, kMsgCannotWrite, "Cannot create the folder " + d, d));
        return false;
    }

    // One entry; false when the job is to stop.
    bool ExtractOne(size_t index) {
        const ZipEntry& entry = m_dir.entries[index];
        if (m_pool && !Collect(false)) return false;
        if (!m_job.m_events.Progress(entry.name, Percent(m_done, m_total)) || !m_job.m_events.ItemStatus(entry.name, 0))
            return false;
        std::string relative;
        if (!SafeRelativePath(entry.name, m_options.keepFolders, m_sep, relative)) {
            if (!(entry.IsDirectory() && !m_options.keepFolders))
                Fail(Problem(kZipIncomplete, kMsgUnsafeName, "Skipped " + entry.name + ": the name would leave the destination folder",
                             entry.name));
            m_done += entry.compressedSize;
            return true;
        }
        std::string path = JoinPath(m_options.destination, relative, m_sep);
        // A name the system cannot hold is refused before any folder is made.
        if (!m_job.m_fs.CanHold(path)) {
            Fail(Problem(kZipIncomplete, kMsgUnsafeName, "Skipped " + entry.name.substr(0, 200) +
                                                             (entry.name.size() > 200 ? "...: " : ": ") +
                                                             "the name is too long for this system", entry.name));
            m_done += entry.compressedSize;
            return true;
        }
        if (entry.IsDirectory()) return ExtractFolderEntry(path);
        Target target = ResolveTarget(path);
        if (target == Target::Stop) return false;
        if (target == Target::Skip) {
            m_done += entry.compressedSize;
            return true;
        }
        if (!LetFolderWorkLand(ParentPath(path))) return false;
        if (!m_job.MakeFoldersBelow(m_base, ParentPath(path))) {
            Fail(SystemProblem(m_job.m_fs, kZipWriteError, kMsgCannotWrite, "Cannot create the folder for " + path, path));
            m_done += entry.compressedSize;
            return true;
        }
        if (m_pool && entry.compressedSize <= kParallelLimit && entry.size <= kParallelLimit) return Dispatch(index, path);
        return ExtractHere(index, path);
    }

    // A folder entry makes its (maybe empty) folder when folder names are kept.
    bool ExtractFolderEntry(const std::string& path) {
        if (!m_options.keepFolders || !m_options.restoreFolders) return true;
        if (!LetFolderWorkLand(path)) return false;
        if (!m_job.MakeFoldersBelow(m_base, path))
            Fail(SystemProblem(m_job.m_fs, kZipWriteError, kMsgCannotWrite, "Cannot create the folder " + path, path));
        return true;
    }

    // Whether a file of an earlier entry is still being written to `path`.
    bool InFlight(const std::string& path) const { return m_pool && m_dispatched.count(NameKey(path)) != 0; }

    // A folder about to be made where an earlier entry's file is still in
    // flight (a file "a/b" before a folder "a/b/"): that file lands first, so
    // archive order decides, as on one thread. False when the job is to stop.
    bool LetFolderWorkLand(const std::string& folder) {
        if (!m_pool || m_dispatched.empty()) return true;
        for (std::string p = folder; p.size() > m_options.destination.size(); p = ParentPath(p))
            if (InFlight(p)) return Drain();
        return true;
    }

    enum class Target { Write, Skip, Stop };

    // Where the file goes: the caller may rename it first; an existing file
    // is replaced, kept, or asked about.
    Target ResolveTarget(std::string& path) {
        // The caller's renaming (numbering) looks at the files on disk: the
        // files of earlier entries still in flight must land first, so that
        // every collision is seen as on one thread.
        const std::string wanted = path;
        if (InFlight(path) && !Drain()) return Target::Stop;
        m_job.m_events.Rename(path);
        if (path != wanted && InFlight(path)) {
            if (!Drain()) return Target::Stop;
            path = wanted;
            m_job.m_events.Rename(path);
        }
        // A name no earlier entry took, in a folder this run made, is free
        // without a look (under Wine a look for a missing name reads the
        // whole folder).
        const std::string key = NameKey(path);
        const bool free = m_job.m_madeFolders.count(NameKey(ParentPath(path))) != 0 && m_job.m_targets.count(key) == 0;
        FileInfo existing;
        if (free || !m_job.m_fs.Stat(path, existing)) {
            m_job.m_targets.insert(key);
            return Target::Write;
        }
        if (existing.isDirectory) {
            Fail(Problem(kZipWriteError, kMsgCannotWrite, "Cannot write " + path + ": a folder of that name exists", path));
            return Target::Skip;
        }
        bool replace = m_options.overwrite;
        if (!replace && !m_options.quiet) {
            Answer a = m_job.m_events.Message(
                Problem(kZipOk, kMsgFileExists, "The file " + path + " exists already. Replace it?", path), true);
            if (a == Answer::Cancel) return Target::Stop;
            replace = a == Answer::Yes || a == Answer::Ok;
        }
        if (!replace) return Target::Skip;
        m_job.m_targets.insert(key);
        return Target::Write;
    }

    // A small entry goes to the pool.
    bool Dispatch(size_t index, const std::string& path) {
        while (m_pool->InFlight() >= kMaxInFlight)
            if (!Collect(true)) return false;
        CPool::Work work;
        work.index = index;
        work.path = path;
        m_dispatched.insert(NameKey(path));
        m_pool->Submit(std::move(work));
        return true;
    }

    // A large entry (or any without a pool) is written on this thread.
    bool ExtractHere(size_t index, const std::string& path) {
        const ZipEntry& entry = m_dir.entries[index];
        int lastPercent = -1;
        const uint64_t doneBefore = m_done;
        auto progress = [&](uint64_t consumed) {
            int itemPercent = Percent(consumed, entry.compressedSize);
            if (itemPercent == lastPercent) return true;
            lastPercent = itemPercent;
            return m_job.m_events.ItemStatus(entry.name, itemPercent) &&
                   m_job.m_events.Progress(entry.name, Percent(doneBefore + consumed, m_total));
        };
        ZipError problem;
        ZipResult r = m_job.WriteEntryFile(m_file, m_dir, index, path, m_options, m_job.m_buffers, progress, problem);
        if (r == kZipOk) ++m_job.m_written;
        else if (problem.code != 0) m_job.Report(problem);
        if (r == kZipAborted) return false;
        if (r != kZipOk) Note(r);
        m_done += entry.compressedSize;
        return m_job.m_events.ItemStatus(entry.name, 100);
    }

    // Reports the work the pool finished; waits for some when `wait` is set.
    bool Collect(bool wait) {
        for (CPool::Work& w : m_pool->Collect(wait)) {
            const ZipEntry& e = m_dir.entries[w.index];
            m_dispatched.erase(NameKey(w.path));
            if (w.result == kZipOk) {
                ++m_job.m_written;
            } else {
                if (w.problem.code != 0) m_job.Report(w.problem);
                if (w.result == kZipAborted) m_aborted = true;
                else Note(w.result);
            }
            m_done += e.compressedSize;
            if (!m_aborted && (!m_job.m_events.ItemStatus(e.name, 100) || !m_job.m_events.Progress(e.name, Percent(m_done, m_total))))
                m_aborted = true;
        }
        return !m_aborted;
    }

    // Waits until everything in flight has landed.
    bool Drain() {
        while (m_pool && m_pool->InFlight() > 0)
            if (!Collect(true)) return false;
        m_dispatched.clear();
        return true;
    }

    ZipResult Stop() {
        if (m_pool) {
            m_pool->m_stopping = true;
            m_pool->Stop();
            // Work that finished before the stop is kept; the rest removed its files.
            for (CPool::Work& w : m_pool->Collect(false))
                if (w.result == kZipOk) ++m_job.m_written;
        }
        return kZipAborted;
    }

    CExtractJob& m_job;
    const ExtractOptions& m_options;
    IReadFile& m_file;
    const ZipDirectory& m_dir;
    const char m_sep;
    std::string m_base;   // the destination folder without a trailing separator
    ZipResult m_result = kZipOk;
    uint64_t m_total = 0, m_done = 0;
    std::unique_ptr<CPool> m_pool;
    std::unordered_set<std::string> m_dispatched;
    bool m_aborted = false;
};

ZipResult CExtractJob::Run(const ExtractOptions& options, std::shared_ptr<const ZipDirectory> directory) {
    m_firstProblem = ZipError();
    m_lastFolder.clear();
    m_madeFolders.clear();
    m_targets.clear();
    std::unique_ptr<IReadFile> file = m_fs.OpenRead(options.archive);
    if (!file) {
        Report(SystemProblem(m_fs, kZipCannotOpen, kMsgCannotOpenArchive, "Cannot open the archive " + options.archive,
                             options.archive));
        return kZipCannotOpen;
    }
    if (!directory) {
        auto parsed = std::make_shared<ZipDirectory>();
        std::string why;
        if (!ReadDirectory(*file, *parsed, why)) {
            Report(Problem(kZipBadArchive, kMsgBadArchive, options.archive + ": " + why, options.archive));
            return kZipBadArchive;
        }
        directory = parsed;
    }
    CRun run(*this, options, *file, *directory);
    return run.Run();
}

}  // namespace zl
