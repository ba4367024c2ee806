#include "UpdateJob.h"

#include <algorithm>
#include <thread>
#include <unordered_map>
#include <zlib.h>

#include "ArchiveWriter.h"
#include "CompressPool.h"
#include "Names.h"

namespace zl {

namespace {

constexpr size_t kCopySize = 1024 * 1024;
constexpr uint16_t kVersionMadeBy = 63;          // MS-DOS attributes, format version 6.3

int Percent(uint64_t done, uint64_t total) {
    if (total == 0) return 100;
    return int(std::min<uint64_t>(100, done * 100 / total));
}

// The compression tasks of the new files, in writing order: one per file, or
// one per block of a large file when several threads compress and the entry
// is not encrypted (the cipher runs over the joined stream in order).
std::vector<Task> MakeTasks(const UpdateOptions& options, uint64_t zip64From, const std::vector<CUpdateJob::PlanItem>& plan,
                            const std::vector<NewItem>& items, std::vector<size_t>& taskOf, std::vector<size_t>& taskCount) {
    std::vector<Task> tasks;
    const unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    const bool split = threads > 1 && options.level > 0 && !options.encrypt;
    for (const CUpdateJob::PlanItem& o : plan) {
        if (o.newIndex < 0 || items[size_t(o.newIndex)].info.isDirectory) continue;
        const NewItem& item = items[size_t(o.newIndex)];
        taskOf[size_t(o.newIndex)] = tasks.size();
        if (split && item.info.size > kSplitThreshold) {
            const uint64_t blocks = (item.info.size + kBlockSize - 1) / kBlockSize;
            for (uint64_t b = 0; b < blocks; ++b) {
                Task t;
                t.item = &item;
                t.block = uint32_t(b);
                t.blocks = uint32_t(blocks);
                t.start = b * kBlockSize;
                t.length = std::min<uint64_t>(kBlockSize, item.info.size - t.start);
                t.zip64 = item.info.size >= zip64From;
                tasks.push_back(std::move(t));
            }
            taskCount[size_t(o.newIndex)] = size_t(blocks);
        } else {
            Task t;
            t.item = &item;
            tasks.push_back(std::move(t));
            taskCount[size_t(o.newIndex)] = 1;
        }
    }
    return tasks;
}

// The extra field with the Unix modification time (local and central).
std::string UnixTimeField(int64_t unixTime) {
    CByteWriter ut;
    ut.U16(0x5455);
    ut.U16(5);
    ut.Bytes(std::string(1, '\1'));
    ut.U32(uint32_t(unixTime));
    return ut.Data();
}

// The WinZip AES field of an AE-2, AES-256 entry compressed with `method`.
std::string AesField(uint16_t method) {
    CByteWriter aes;
    aes.U16(0x9901);
    aes.U16(7);
    aes.U16(2);
    aes.Bytes("AE");
    aes.Bytes(std::string(1, '\3'));
    aes.U16(method);
    return aes.Data();
}

// The fields every new entry starts with.
ZipEntry NewEntry(const NewItem& item) {
    ZipEntry e;
    e.name = item.name;   // stored as it is (UTF-8, flagged when not ASCII)
    e.versionMadeBy = kVersionMadeBy;
    e.flags = IsAscii(item.name) ? 0 : kFlagUtf8;
    e.dosTime = item.info.dosTime;
    e.haveUnixTime = true;
    e.unixTime = item.info.unixTime;
    e.externalAttributes = item.info.attributes & 0xFF;
    e.extra = UnixTimeField(item.info.unixTime);
    return e;
}

}  // namespace

void CUpdateJob::Report(const ZipError& problem) {
    if (m_firstProblem.result == kZipOk) m_firstProblem = problem;
    if (problem.result == kZipIncomplete) m_result = kZipIncomplete;
    m_events.Message(problem, false);
}

ZipResult CUpdateJob::Fail(const ZipError& problem) {
    Report(problem);
    return problem.result;
}

void CUpdateJob::AddPath(const UpdateOptions& options, const std::string& path, std::vector<NewItem>& items,
                         const FileInfo* archiveInfo, int depth) {
    FileInfo info;
    if (!m_fs.Stat(path, info)) {
        Report(SystemProblem(m_fs, kZipIncomplete, kMsgCannotReadFile, "Cannot find " + path, path));
        return;
    }
    // Never add the archive to itself.
    if (archiveInfo && info.fileId != 0 && info.fileId == archiveInfo->fileId && info.size == archiveInfo->size) return;
    NewItem item;
    item.path = path;
    item.info = info;
    item.name = StoredName(path, options.keepFolders);
    if (info.isDirectory) {
        if (options.keepFolders && !item.name.empty()) {
            item.name += '/';
            items.push_back(item);
        }
        if (!options.recurse || depth > 64) return;
        std::vector<DirEntry> children;
        if (!m_fs.List(path, children)) {
            Report(SystemProblem(m_fs, kZipIncomplete, kMsgCannotReadFile, "Cannot read the folder " + path, path));
            return;
        }
        std::sort(children.begin(), children.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        for (const DirEntry& child : children) AddPath(options, JoinPath(path, child.name, m_fs.Separator()), items, archiveInfo, depth + 1);
        return;
    }
    if (item.name.empty()) {
        Report(Problem(kZipIncomplete, kMsgCannotReadFile, "Cannot store " + path + " (no name is left)", path));
        return;
    }
    items.push_back(item);
}

void CUpdateJob::Collect(const UpdateOptions& options, std::vector<NewItem>& items, const FileInfo* archiveInfo) {
    for (const std::string& name : options.names) {
        size_t cut = name.find_last_of("/\\");
        std::string last = cut == std::string::npos ? name : name.substr(cut + 1);
        if (!HasWildcards(last)) {
            AddPath(options, name, items, archiveInfo, 0);
            continue;
        }
        std::string folder = cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
        std::vector<DirEntry> children;
        if (!m_fs.List(folder.empty() ? m_fs.CurrentDirectory() : folder, children)) {
            Report(SystemProblem(m_fs, kZipIncomplete, kMsgCannotReadFile, "Cannot read the folder of " + name, name));
            continue;
        }
        std::sort(children.begin(), children.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        bool any = false;
        for (const DirEntry& child : children) {
            if (!WildcardMatch(last, child.name)) continue;
            if (child.isDirectory && !options.recurse) continue;
            any = true;
            AddPath(options, folder + child.name, items, archiveInfo, 0);
        }
        if (!any) {
            Report(Problem(kZipIncomplete, kMsgNoMatch, "No file matches " + name, name));
        }
    }
    // One entry per name: the first file of a name wins.
    std::unordered_map<std::string, size_t> seen;
    std::vector<NewItem> unique;
    for (NewItem& item : items) {
        if (!seen.emplace(NameKey(item.name), unique.size()).second) {
            if (!item.info.isDirectory) {
                Report(Problem(kZipIncomplete, kMsgDuplicateName,
                               "Skipped " + item.path + ": another file is stored as " + item.name, item.path));
            }
            continue;
        }
        unique.push_back(std::move(item));
    }
    items.swap(unique);
}

// What goes into the new archive, in order: kept entries (or their
// replacements) where they were, then new entries. kZipOk when the archive
// changes; otherwise the job's result.
ZipResult CUpdateJob::Plan(const UpdateOptions& options, const ZipDirectory& old, const FileInfo* archiveInfo,
                           std::vector<NewItem>& items, std::vector<PlanItem>& plan) {
    bool changed = false;
    if (options.mode == UpdateMode::Delete) {
        std::vector<bool> used(options.names.size(), false);
        for (size_t i = 0; i < old.entries.size(); ++i) {
            bool drop = false;
            for (size_t p = 0; p < options.names.size(); ++p) {
                const std::string& pattern = options.names[p];
                if (NameSelects(pattern, old.entries[i].name, options.wildcards)) {
                    drop = true;
                    used[p] = true;
                }
            }
            if (drop) changed = true;
            else plan.push_back({long(i), -1});
        }
        for (size_t p = 0; p < options.names.size(); ++p) {
            if (!used[p]) {
                Report(Problem(kZipIncomplete, kMsgNoMatch, "No entry matches " + options.names[p], options.names[p]));
            }
        }
        if (!changed) return m_result == kZipOk ? kZipNothingToDo : kZipIncomplete;
    } else {
        Collect(options, items, archiveInfo);
        std::unordered_map<std::string, size_t> byName;
        for (size_t i = 0; i < old.entries.size(); ++i) byName.emplace(NameKey(old.entries[i].name), i);
        std::vector<long> replacement(old.entries.size(), -1);
        std::vector<long> appended;
        for (size_t n = 0; n < items.size(); ++n) {
            auto it = byName.find(NameKey(items[n].name));
            if (it == byName.end()) {
                if (options.mode == UpdateMode::Add) appended.push_back(long(n));
                continue;
            }
            const ZipEntry& e = old.entries[it->second];
            bool replace = options.mode == UpdateMode::Add ? options.replaceExisting
                                                            : (items[n].info.dosTime > e.dosTime && !e.IsDirectory());
            if (e.IsDirectory() && items[n].info.isDirectory) replace = false;  // nothing to change
            if (replace) replacement[it->second] = long(n);
        }
        for (size_t i = 0; i < old.entries.size(); ++i) plan.push_back({long(i), replacement[i]});
        for (long n : appended) plan.push_back({-1, n});
        changed = !appended.empty() || std::any_of(replacement.begin(), replacement.end(), [](long r) { return r >= 0; });
        if (!changed) return m_result == kZipOk ? kZipNothingToDo : kZipIncomplete;
    }

    return kZipOk;
}


// One run's writing: the old archive open for copying, the new one being
// written, the compression pool, and the progress so far. Each entry of the
// plan is one named step.
class CUpdateJob::CWriteStep {
public:
    CWriteStep(CUpdateJob& job, const UpdateOptions& options, const ZipDirectory& old, std::unique_ptr<IReadFile>& oldFile,
               const std::vector<NewItem>& items, const std::vector<PlanItem>& plan)
        : m_job(job), m_options(options), m_old(old), m_oldFile(oldFile), m_items(items), m_plan(plan),
          m_writer(job.m_fs, options.archive, options.bufferSize, job.m_limits),
          m_taskOf(items.size(), size_t(-1)), m_taskCount(items.size(), 0),
          m_tasks(MakeTasks(options, job.m_limits.newFile, plan, items, m_taskOf, m_taskCount)) {
        for (const PlanItem& o : plan)
            m_total += o.newIndex >= 0 ? items[size_t(o.newIndex)].info.size : old.entries[size_t(o.oldIndex)].compressedSize;
    }

    ZipResult Run() {
        ZipError problem;
        if (!m_writer.Open(problem)) return m_job.Fail(problem);
        CCompressPool pool(m_job.m_fs, m_job.m_crypto, m_options, m_job.m_limits.newFile, m_tasks);
        m_pool = &pool;
        // Data in front of the archive (a self-extractor) stays in front of it.
        ZipResult r = m_old.baseOffset > 0 ? CopyRange(0, m_old.baseOffset, "") : kZipOk;
        for (size_t i = 0; i < m_plan.size() && r == kZipOk; ++i) {
            const PlanItem& o = m_plan[i];
            if (o.newIndex < 0) r = CopyOldEntry(size_t(o.oldIndex));
            else if (m_items[size_t(o.newIndex)].info.isDirectory) r = WriteFolderEntry(m_items[size_t(o.newIndex)]);
            else r = WriteNewEntry(o);
        }
        if (r != kZipOk) return r;
        pool.Stop();
        return WriteCentralDirectory();
    }

private:
    ZipResult WriteFailed() { return m_job.Fail(m_writer.WriteProblem()); }

    bool Progress(const std::string& text) {
        int p = Percent(m_done, m_total);
        if (p == m_lastPercent) return true;
        m_lastPercent = p;
        return m_job.m_events.Progress(text, p);
    }

    // Copies bytes of the old archive as they are.
    ZipResult CopyRange(uint64_t from, uint64_t length, const std::string& text) {
        if (m_copyBuffer.empty()) m_copyBuffer.resize(kCopySize);
        while (length > 0) {
            size_t n = size_t(std::min<uint64_t>(length, m_copyBuffer.size()));
            if (m_oldFile->ReadAt(from, m_copyBuffer.data(), n) != int64_t(n))
                return m_job.Fail(Problem(kZipBadArchive, kMsgBadArchive, m_options.archive + ": the archive cannot be read",
                                          m_options.archive));
            if (!m_writer.Write(m_copyBuffer.data(), n)) return WriteFailed();
            from += n;
            length -= n;
            m_done += n;
            if (!Progress(text)) return kZipAborted;
        }
        return kZipOk;
    }

    // An entry that does not change: its record (local header, data,
    // descriptor) is copied byte for byte.
    ZipResult CopyOldEntry(size_t index) {
        const ZipEntry& e = m_old.entries[index];
        LocalSpan span;
        std::string why;
        if (!ReadLocalSpan(*m_oldFile, m_old, index, span, why))
            return m_job.Fail(Problem(kZipBadArchive, kMsgBadArchive, e.name + ": " + why, e.name));
        m_writer.AddEntry(e, m_writer.Position());
        return CopyRange(e.localOffset, span.end - e.localOffset, e.name);
    }

    ZipResult WriteFolderEntry(const NewItem& item) {
        if (!m_job.m_events.ItemStatus(item.name, 0)) return kZipAborted;
        ZipEntry e = NewEntry(item);
        e.versionNeeded = 20;
        e.externalAttributes |= 0x10;
        const uint64_t at = m_writer.Position();
        if (!m_writer.Write(LocalRecord(e, m_job.m_limits.newFile == 0, e.extra))) return WriteFailed();
        m_writer.AddEntry(e, at);
        return m_job.m_events.ItemStatus(item.name, 100) ? kZipOk : kZipAborted;
    }

    // A new file: its local header, the compressed (and encrypted) data the
    // pool made, then the header again with the sizes and the CRC.
    ZipResult WriteNewEntry(const PlanItem& o) {
        const NewItem& item = m_items[size_t(o.newIndex)];
        if (!m_job.m_events.ItemStatus(item.name, 0)) return kZipAborted;
        const size_t first = m_taskOf[size_t(o.newIndex)], count = m_taskCount[size_t(o.newIndex)];
        Task& t = m_pool->WaitReady(first);
        if (!t.ready) {
            SkipTasks(first, count);
            m_done += item.info.size;
            return DropFailedEntry(o, Problem(kZipIncomplete, kMsgCannotReadFile, "Cannot read " + item.path + ": " + t.why, item.path));
        }
        ZipEntry e = NewEntry(item);
        e.method = m_options.encrypt ? kMethodAes : t.realMethod;
        e.realMethod = t.realMethod;
        e.versionNeeded = t.zip64 ? 45 : t.realMethod == kMethodDeflate ? 20 : 10;
        if (m_options.encrypt) {
            e.flags |= kFlagEncrypted;
            e.versionNeeded = 51;
            e.aesVersion = 2;
            e.aesStrength = 3;
            e.extra += AesField(t.realMethod);
        }
        const uint64_t headerAt = m_writer.Position();
        if (!m_writer.Write(LocalRecord(e, t.zip64, e.extra))) return WriteFailed();
        TaskSums sums;
        ZipResult r = WriteTaskOutput(item, first, count, sums);
        if (r != kZipOk) return r;
        if (sums.error != kZipOk || (!t.zip64 && (sums.size >= 0xFFFFFFFF || sums.packed >= 0xFFFFFFFF))) {
            if (!m_writer.Rewind(headerAt)) return WriteFailed();
            const std::string why = sums.error != kZipOk ? sums.why : std::string("it grew while it was read");
            return DropFailedEntry(o, Problem(kZipIncomplete, kMsgCannotReadFile, "Cannot read " + item.path + ": " + why, item.path));
        }
        e.crc = m_options.encrypt ? 0 : sums.crc;
        e.size = sums.size;
        e.compressedSize = sums.packed;
        e.zip64 = t.zip64;
        if (!m_writer.PatchAt(headerAt, LocalRecord(e, t.zip64, e.extra))) return WriteFailed();
        m_writer.AddEntry(e, headerAt);
        return m_job.m_events.ItemStatus(item.name, 100) ? kZipOk : kZipAborted;
    }

    struct TaskSums {
        uint32_t crc = 0;
        uint64_t size = 0, packed = 0;
        ZipResult error = kZipOk;
        std::string why;
    };

    // The output of the item's tasks (one, or one per block) in order.
    ZipResult WriteTaskOutput(const NewItem& item, size_t first, size_t count, TaskSums& sums) {
        Chunk chunk;
        uint64_t fileDone = 0;
        int lastItemPercent = 0;
        for (size_t k = 0; k < count; ++k) {
            Task& tk = m_pool->WaitReady(first + k);
            while (m_pool->NextChunk(first + k, chunk)) {
                if (!m_writer.Write(chunk.data.data(), chunk.data.size())) return WriteFailed();
                m_pool->Recycle(std::move(chunk.data));
                fileDone += chunk.input;
                m_done += chunk.input;
                int ip = Percent(fileDone, item.info.size);
                if (ip != lastItemPercent) {
                    lastItemPercent = ip;
                    if (!m_job.m_events.ItemStatus(item.name, ip)) return kZipAborted;
                }
                if (!Progress(item.name)) return kZipAborted;
            }
            m_pool->Release(first + k);
            if (tk.error != kZipOk && sums.error == kZipOk) {
                sums.error = tk.error;
                sums.why = tk.why;
            }
            sums.crc = k == 0 ? tk.crc : uint32_t(crc32_combine(sums.crc, tk.crc, z_off_t(tk.size)));
            sums.size += tk.size;
            sums.packed += tk.packed;
        }
        return kZipOk;
    }

    // Lets the pool finish the tasks of a file that is not written.
    void SkipTasks(size_t first, size_t count) {
        Chunk unused;
        m_pool->Release(first);
        for (size_t k = 1; k < count; ++k) {
            m_pool->WaitReady(first + k);
            while (m_pool->NextChunk(first + k, unused)) {}
            m_pool->Release(first + k);
        }
    }

    // A new file that could not be read: reported, and the old entry it was to
    // replace (if any) is kept.
    ZipResult DropFailedEntry(const PlanItem& o, const ZipError& problem) {
        m_job.Report(problem);
        return o.oldIndex >= 0 ? CopyOldEntry(size_t(o.oldIndex)) : kZipOk;
    }

    // The central directory, then the new archive takes the old one's place
    // (which is closed first: Windows replaces no file that is open).
    ZipResult WriteCentralDirectory() {
        if (!m_job.m_events.Progress("", 100)) return kZipAborted;
        m_oldFile.reset();
        ZipError problem;
        return m_writer.Commit(m_old.comment, problem) ? kZipOk : m_job.Fail(problem);
    }

    CUpdateJob& m_job;
    const UpdateOptions& m_options;
    const ZipDirectory& m_old;
    std::unique_ptr<IReadFile>& m_oldFile;
    const std::vector<NewItem>& m_items;
    const std::vector<PlanItem>& m_plan;
    CArchiveWriter m_writer;
    std::vector<size_t> m_taskOf, m_taskCount;
    std::vector<Task> m_tasks;
    CCompressPool* m_pool = nullptr;
    std::vector<uint8_t> m_copyBuffer;
    uint64_t m_total = 0, m_done = 0;
    int m_lastPercent = -1;
};

ZipResult CUpdateJob::Run(const UpdateOptions& options) {
    m_result = kZipOk;
    m_firstProblem = ZipError();
    if (options.encrypt && (options.password.empty() || m_crypto == nullptr))
        return Fail(Problem(kZipWrongPassword, kMsgPasswordNeeded, "A password is needed to encrypt files", options.archive));
    // The archive as it is now.
    ZipDirectory old;
    std::unique_ptr<IReadFile> oldFile;
    FileInfo archiveInfo;
    const bool exists = m_fs.Stat(options.archive, archiveInfo) && !archiveInfo.isDirectory;
    if (exists && archiveInfo.size > 0) {
        oldFile = m_fs.OpenRead(options.archive);
        if (!oldFile)
            return Fail(SystemProblem(m_fs, kZipCannotOpen, kMsgCannotOpenArchive, "Cannot open the archive " + options.archive,
                                      options.archive));
        std::string why;
        if (!ReadDirectory(*oldFile, old, why))
            return Fail(Problem(kZipBadArchive, kMsgBadArchive, options.archive + ": " + why, options.archive));
    }

    std::vector<NewItem> items;
    std::vector<PlanItem> plan;
    ZipResult planned = Plan(options, old, exists ? &archiveInfo : nullptr, items, plan);
    if (planned != kZipOk) return planned;

    // Written beside the old one, which stays open for copying until the new
    // one replaces it.
    ZipResult written;
    {
        CWriteStep step(*this, options, old, oldFile, items, plan);
        written = step.Run();
    }
    return written == kZipOk ? m_result : written;
}

}  // namespace zl
