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

constexpr size_t kOutputSize = 256 * 1024;
constexpr uint64_t kParallelLimit = 4 * 1024 * 1024;   // larger entries are extracted on the calling thread
constexpr size_t kMaxInFlight = 32;

int Percent(uint64_t done, uint64_t total) {
    if (total == 0) return 100;
    return int(done * 100 / total);
}

std::string TempNameFor(IFileSystem& fs, const std::string& path) {
    FileInfo info;
    for (int n = 0; n < 1000; ++n) {
        std::string candidate = path + ".tbx" + std::to_string(n) + "~";
        if (!fs.Stat(candidate, info)) return candidate;
    }
    return path + ".tbx~";
}

}  // namespace

void CExtractJob::Report(MessageCode code, const std::string& text, const std::string& file) {
    m_events.Message(code, text, file, false);
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
    if (!m_fs.MakeDirectory(folder)) return false;
    m_lastFolder = folder;
    return true;
}

ZipResult CExtractJob::Decode(IReadFile& file, const ZipDirectory& dir, size_t index, const std::string& path,
                              const ExtractOptions& options, std::vector<uint8_t>& buffer,
                              const std::function<bool(uint64_t)>& progress, Problem& problem) {
    const ZipEntry& entry = dir.entries[index];
    CEntryReader reader(file, dir, index, m_crypto);
    ZipResult r = reader.Open(options.havePassword ? &options.password : nullptr);
    if (r != kZipOk) {
        problem.code = r == kZipWrongPassword ? (options.havePassword ? kMsgWrongPassword : kMsgPasswordNeeded)
                     : r == kZipUnsupported ? kMsgUnsupported : kMsgDamagedEntry;
        problem.text = entry.name + ": " + reader.Why();
        problem.file = entry.name;
        return r;
    }
    // A file that is replaced is written beside it first, so a failure keeps the
    // old one; a new file is written in place and removed on failure.
    FileInfo existing;
    const bool replacing = m_fs.Stat(path, existing);
    std::string temp = replacing ? TempNameFor(m_fs, path) : path;
    std::unique_ptr<IWriteFile> out = m_fs.CreateNew(temp);
    auto writeProblem = [&](const char* what) {
        problem.code = kMsgCannotWrite;
        problem.text = std::string(what) + path + ": " + m_fs.LastErrorText();
        problem.file = path;
        return kZipWriteError;
    };
    if (!out) return writeProblem("Cannot create ");
    const size_t want = size_t(std::min<uint64_t>(kOutputSize, entry.size + 1));
    if (buffer.size() < want) buffer.resize(want);
    for (;;) {
        size_t got = 0;
        r = reader.Read(buffer.data(), buffer.size(), got);
        if (r != kZipOk || got == 0) break;
        if (!out->Write(buffer.data(), got)) {
            r = kZipWriteError;
            break;
        }
        if (!progress(reader.Consumed())) {
            r = kZipAborted;
            break;
        }
    }
    if (r == kZipOk && options.restoreTimes) out->SetTimes(entry.dosTime, entry.unixTime, entry.haveUnixTime);
    if (r == kZipOk && !out->Commit(false)) r = kZipWriteError;
    if (r == kZipWriteError) writeProblem("Cannot write ");
    out.reset();
    if (r != kZipOk) {
        m_fs.Remove(temp);
        if (r != kZipWriteError && r != kZipAborted) {
            problem.code = r == kZipCrcError ? kMsgCrcError : r == kZipWrongPassword ? kMsgWrongPassword : kMsgDamagedEntry;
            problem.text = entry.name + ": " + reader.Why();
            problem.file = entry.name;
        }
        return r;
    }
    if (replacing && !m_fs.Replace(temp, path, false)) {
        writeProblem("Cannot write ");
        m_fs.Remove(temp);
        return kZipWriteError;
    }
    return kZipOk;
}

ZipResult CExtractJob::ExtractEntry(IReadFile& file, const ZipDirectory& dir, size_t index, const std::string& path,
                                    const ExtractOptions& options, uint64_t doneBefore, uint64_t total) {
    const ZipEntry& entry = dir.entries[index];
    int lastPercent = -1;
    auto progress = [&](uint64_t consumed) {
        int itemPercent = Percent(consumed, entry.compressedSize);
        if (itemPercent == lastPercent) return true;
        lastPercent = itemPercent;
        return m_events.ItemStatus(entry.name, itemPercent) && m_events.Progress(entry.name, Percent(doneBefore + consumed, total));
    };
    Problem problem;
    ZipResult r = Decode(file, dir, index, path, options, m_buffer, progress, problem);
    if (r == kZipOk) ++m_written;
    else if (problem.code != 0) Report(problem.code, problem.text, problem.file);
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
        Problem problem;
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
        std::vector<uint8_t> buffer;
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
                work.result = m_job.Decode(m_file, m_dir, work.index, work.path, m_options, buffer,
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

ZipResult CExtractJob::Run(const ExtractOptions& options, std::shared_ptr<const ZipDirectory> directory) {
    std::unique_ptr<IReadFile> file = m_fs.OpenRead(options.archive);
    if (!file) {
        Report(kMsgCannotOpenArchive, "Cannot open the archive " + options.archive + ": " + m_fs.LastErrorText(), options.archive);
        return kZipCannotOpen;
    }
    if (!directory) {
        auto parsed = std::make_shared<ZipDirectory>();
        std::string why;
        if (!ReadDirectory(*file, *parsed, why)) {
            Report(kMsgBadArchive, options.archive + ": " + why, options.archive);
            return kZipBadArchive;
        }
        directory = parsed;
    }
    const ZipDirectory& dir = *directory;
    // Choose the entries.
    std::vector<size_t> chosen;
    std::vector<bool> patternUsed(options.patterns.size(), false);
    if (options.index >= 0) {
        if (size_t(options.index) >= dir.entries.size()) return kZipNothingToDo;
        chosen.push_back(size_t(options.index));
    } else {
        for (size_t i = 0; i < dir.entries.size(); ++i) {
            bool match = options.patterns.empty();
            for (size_t p = 0; p < options.patterns.size(); ++p) {
                if (WildcardMatch(options.patterns[p], dir.entries[i].name)) {
                    match = true;
                    patternUsed[p] = true;
                }
            }
            if (match) chosen.push_back(i);
        }
    }
    ZipResult result = kZipOk;
    auto note = [&](ZipResult r) { if (result == kZipOk) result = r; };
    for (size_t p = 0; p < options.patterns.size(); ++p) {
        if (!patternUsed[p] && options.index < 0) {
            Report(kMsgNoMatch, "No entry matches " + options.patterns[p], options.patterns[p]);
            note(kZipIncomplete);
        }
    }
    if (chosen.empty()) return result == kZipOk ? kZipNothingToDo : result;

    const char sep = m_fs.Separator();
    if (!MakeFolders(options.destination.size() > 1 && (options.destination.back() == '\\' || options.destination.back() == '/')
                         ? options.destination.substr(0, options.destination.size() - 1)
                         : options.destination)) {
        Report(kMsgCannotWrite, "Cannot create the folder " + options.destination + ": " + m_fs.LastErrorText(), options.destination);
        return kZipWriteError;
    }
    uint64_t total = 0, done = 0;
    for (size_t i : chosen) total += dir.entries[i].compressedSize;

    // Small entries go to worker threads; their results are reported here.
    unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = std::min(threads, 4u);
    std::unique_ptr<CPool> pool;
    if (threads > 1 && chosen.size() > 1) pool.reset(new CPool(*this, *file, dir, options, threads));
    std::unordered_set<std::string> dispatched;
    bool aborted = false;
    auto finish = [&](bool wait) {
        for (CPool::Work& w : pool->Collect(wait)) {
            const ZipEntry& e = dir.entries[w.index];
            if (w.result == kZipOk) {
                ++m_written;
            } else {
                if (w.problem.code != 0) Report(w.problem.code, w.problem.text, w.problem.file);
                if (w.result == kZipAborted) aborted = true;
                else note(w.result);
            }
            done += e.compressedSize;
            if (!aborted && (!m_events.ItemStatus(e.name, 100) || !m_events.Progress(e.name, Percent(done, total))))
                aborted = true;
        }
        return !aborted;
    };
    auto stop = [&]() {
        if (pool) {
            pool->m_stopping = true;
            pool->Stop();
            // Work that finished before the stop is kept; the rest removed its files.
            for (CPool::Work& w : pool->Collect(false))
                if (w.result == kZipOk) ++m_written;
        }
        return kZipAborted;
    };
    auto drain = [&]() {
        while (pool && pool->InFlight() > 0)
            if (!finish(true)) return false;
        dispatched.clear();
        return true;
    };

    for (size_t i : chosen) {
        const ZipEntry& entry = dir.entries[i];
        if (pool && !finish(false)) return stop();
        if (!m_events.Progress(entry.name, Percent(done, total)) || !m_events.ItemStatus(entry.name, 0))
            return stop();
        std::string relative;
        if (!SafeRelativePath(entry.name, options.keepFolders, sep, relative)) {
            if (!(entry.IsDirectory() && !options.keepFolders)) {
                Report(kMsgUnsafeName, "Skipped " + entry.name + ": the name would leave the destination folder", entry.name);
                note(kZipIncomplete);
            }
            done += entry.compressedSize;
            continue;
        }
        std::string path = JoinPath(options.destination, relative, sep);
        if (entry.IsDirectory()) {
            if (options.keepFolders && options.restoreFolders && !MakeFolders(path)) {
                Report(kMsgCannotWrite, "Cannot create the folder " + path + ": " + m_fs.LastErrorText(), path);
                note(kZipWriteError);
            }
            continue;
        }
        // The caller may rename the file before it is created.
        m_events.Rename(path);
        // The same name twice: let the first one land before looking.
        if (pool && dispatched.count(NameKey(path)) && !drain()) return stop();
        FileInfo existing;
        if (m_fs.Stat(path, existing)) {
            bool replace = options.overwrite;
            if (existing.isDirectory) {
                Report(kMsgCannotWrite, "Cannot write " + path + ": a folder of that name exists", path);
                note(kZipWriteError);
                done += entry.compressedSize;
                continue;
            }
            if (!replace && !options.quiet) {
                Answer a = m_events.Message(kMsgFileExists, "The file " + path + " exists already. Replace it?", path, true);
                if (a == Answer::Cancel) return stop();
                replace = a == Answer::Yes || a == Answer::Ok;
            }
            if (!replace) {
                done += entry.compressedSize;
                continue;
            }
        }
        if (!MakeFolders(ParentPath(path))) {
            Report(kMsgCannotWrite, "Cannot create the folder for " + path + ": " + m_fs.LastErrorText(), path);
            note(kZipWriteError);
            done += entry.compressedSize;
            continue;
        }
        if (pool && entry.compressedSize <= kParallelLimit) {
            while (pool->InFlight() >= kMaxInFlight)
                if (!finish(true)) return stop();
            CPool::Work work;
            work.index = i;
            work.path = path;
            dispatched.insert(NameKey(path));
            pool->Submit(std::move(work));
            continue;
        }
        ZipResult r = ExtractEntry(*file, dir, i, path, options, done, total);
        if (r == kZipAborted) return stop();
        if (r != kZipOk) note(r);
        done += entry.compressedSize;
        if (!m_events.ItemStatus(entry.name, 100)) return stop();
    }
    if (!drain()) return stop();
    if (!m_events.Progress("", 100)) return kZipAborted;
    return result;
}

}  // namespace zl
