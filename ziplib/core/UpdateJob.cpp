#include "UpdateJob.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <zlib.h>

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

// Buffered sequential output that knows its position and can patch what it wrote.
class COutput {
public:
    COutput(IWriteFile& file, size_t bufferSize) : m_file(file) { m_buffer.reserve(std::max<size_t>(bufferSize, 4096)); }
    uint64_t Position() const { return m_position; }
    bool Write(const void* data, size_t size) {
        m_position += size;
        if (m_buffer.size() + size > m_buffer.capacity()) {
            if (!Flush()) return false;
            if (size >= m_buffer.capacity()) return m_file.Write(data, size);
        }
        m_buffer.insert(m_buffer.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
        return true;
    }
    bool Write(const std::string& s) { return Write(s.data(), s.size()); }
    bool Flush() {
        if (m_buffer.empty()) return true;
        bool ok = m_file.Write(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return ok;
    }
    bool PatchAt(uint64_t offset, const std::string& bytes) {
        return Flush() && m_file.SetPosition(offset) && m_file.Write(bytes.data(), bytes.size()) &&
               m_file.SetPosition(m_position);
    }
    bool Rewind(uint64_t offset) {
        m_buffer.clear();
        m_position = offset;
        return m_file.SetPosition(offset);
    }

private:
    IWriteFile& m_file;
    std::vector<uint8_t> m_buffer;
    uint64_t m_position = 0;
};

std::string TempArchiveName(IFileSystem& fs, const std::string& archive) {
    FileInfo info;
    for (int n = 0; n < 1000; ++n) {
        std::string candidate = archive + ".tbz" + std::to_string(n) + "~";
        if (!fs.Stat(candidate, info)) return candidate;
    }
    return archive + ".tbz~";
}

// Local header and the matching central fields of a new entry.
std::string LocalHeader(const ZipEntry& e, bool zip64, const std::string& localExtra) {
    CByteWriter w;
    w.U32(kLocalSig);
    w.U16(e.versionNeeded);
    w.U16(e.flags);
    w.U16(e.method);
    w.U16(uint16_t(e.dosTime & 0xFFFF));
    w.U16(uint16_t(e.dosTime >> 16));
    w.U32(e.crc);
    w.U32(zip64 ? 0xFFFFFFFF : uint32_t(e.compressedSize));
    w.U32(zip64 ? 0xFFFFFFFF : uint32_t(e.size));
    w.U16(uint16_t(e.rawName.size()));
    std::string extra;
    if (zip64) {
        CByteWriter z;
        z.U16(0x0001);
        z.U16(16);
        z.U64(e.size);
        z.U64(e.compressedSize);
        extra = z.Data();
    }
    extra += localExtra;
    w.U16(uint16_t(extra.size()));
    w.Bytes(e.rawName);
    w.Bytes(extra);
    return std::move(w.Data());
}

// Writes the central directory and the end records (ZIP64 ones when needed).
bool WriteCentralDirectory(COutput& out, std::vector<ZipEntry>& written, const std::vector<uint64_t>& offsets,
                           bool forceZip64, const std::string& comment) {
    const uint64_t cdStart = out.Position();
    for (size_t i = 0; i < written.size(); ++i) {
        ZipEntry& e = written[i];
        std::string record;
        if (forceZip64 && e.size < 0xFFFFFFFF) {
            // Give small entries ZIP64 fields too, as large ones would have.
            ZipEntry big = e;
            CByteWriter z;
            z.U16(0x0001);
            z.U16(24);
            z.U64(e.size);
            z.U64(e.compressedSize);
            z.U64(offsets[i]);
            big.extra = z.Data() + e.extra;
            big.versionNeeded = std::max<uint16_t>(e.versionNeeded, 45);
            record = CentralRecord(big, 0);
            // Mark the three fields as stored in the ZIP64 field.
            uint8_t* p = reinterpret_cast<uint8_t*>(&record[0]);
            Put32(p + 20, 0xFFFFFFFF);
            Put32(p + 24, 0xFFFFFFFF);
            Put32(p + 42, 0xFFFFFFFF);
        } else {
            record = CentralRecord(e, offsets[i]);
        }
        if (!out.Write(record)) return false;
    }
    const uint64_t cdSize = out.Position() - cdStart;
    std::string endRecords = EndRecords(written.size(), cdStart, cdSize, comment);
    if (forceZip64 && endRecords.size() == 22 + comment.substr(0, 0xFFFF).size()) {
        // Force the ZIP64 end records for tests of that layout.
        CByteWriter w;
        w.U32(kZip64EndSig); w.U64(44); w.U16(45); w.U16(45); w.U32(0); w.U32(0);
        w.U64(written.size()); w.U64(written.size()); w.U64(cdSize); w.U64(cdStart);
        w.U32(kZip64LocatorSig); w.U32(0); w.U64(cdStart + cdSize); w.U32(1);
        endRecords = w.Data() + endRecords;
    }
    return out.Write(endRecords);
}

// The compression tasks of the new files, in writing order: one per file, or
// one per block of a large file when several threads compress and the entry
// is not encrypted (the cipher runs over the joined stream in order).
std::vector<Task> MakeTasks(const UpdateOptions& options, const std::vector<CUpdateJob::PlanItem>& plan,
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
                t.zip64 = options.forceZip64 || item.info.size >= kZip64Reserve;
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

}  // namespace

void CUpdateJob::Report(MessageCode code, const std::string& text, const std::string& file) {
    m_events.Message(code, text, file, false);
}

void CUpdateJob::AddPath(const UpdateOptions& options, const std::string& path, std::vector<NewItem>& items,
                         const FileInfo* archiveInfo, int depth) {
    FileInfo info;
    if (!m_fs.Stat(path, info)) {
        Report(kMsgCannotReadFile, "Cannot find " + path, path);
        m_result = kZipIncomplete;
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
            Report(kMsgCannotReadFile, "Cannot read the folder " + path + ": " + m_fs.LastErrorText(), path);
            m_result = kZipIncomplete;
            return;
        }
        std::sort(children.begin(), children.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        for (const DirEntry& child : children) AddPath(options, JoinPath(path, child.name, m_fs.Separator()), items, archiveInfo, depth + 1);
        return;
    }
    if (item.name.empty()) {
        Report(kMsgCannotReadFile, "Cannot store " + path + " (no name is left)", path);
        m_result = kZipIncomplete;
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
            Report(kMsgCannotReadFile, "Cannot read the folder of " + name + ": " + m_fs.LastErrorText(), name);
            m_result = kZipIncomplete;
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
            Report(kMsgNoMatch, "No file matches " + name, name);
            m_result = kZipIncomplete;
        }
    }
    // One entry per name: the first file of a name wins.
    std::unordered_map<std::string, size_t> seen;
    std::vector<NewItem> unique;
    for (NewItem& item : items) {
        if (!seen.emplace(NameKey(item.name), unique.size()).second) {
            if (!item.info.isDirectory) {
                Report(kMsgDuplicateName, "Skipped " + item.path + ": another file is stored as " + item.name, item.path);
                m_result = kZipIncomplete;
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
                if (WildcardMatch(pattern, old.entries[i].name) ||
                    (old.entries[i].IsDirectory() && NameKey(pattern + "/") == NameKey(old.entries[i].name))) {
                    drop = true;
                    used[p] = true;
                }
            }
            if (drop) changed = true;
            else plan.push_back({long(i), -1});
        }
        for (size_t p = 0; p < options.names.size(); ++p) {
            if (!used[p]) {
                Report(kMsgNoMatch, "No entry matches " + options.names[p], options.names[p]);
                m_result = kZipIncomplete;
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

ZipResult CUpdateJob::Run(const UpdateOptions& options) {
    m_result = kZipOk;
    if (options.encrypt && (options.password.empty() || m_crypto == nullptr)) {
        Report(kMsgPasswordNeeded, "A password is needed to encrypt files", options.archive);
        return kZipWrongPassword;
    }
    // The archive as it is now.
    ZipDirectory old;
    std::unique_ptr<IReadFile> oldFile;
    FileInfo archiveInfo;
    const bool exists = m_fs.Stat(options.archive, archiveInfo) && !archiveInfo.isDirectory;
    if (exists && archiveInfo.size > 0) {
        oldFile = m_fs.OpenRead(options.archive);
        if (!oldFile) {
            Report(kMsgCannotOpenArchive, "Cannot open the archive " + options.archive + ": " + m_fs.LastErrorText(), options.archive);
            return kZipCannotOpen;
        }
        std::string why;
        if (!ReadDirectory(*oldFile, old, why)) {
            Report(kMsgBadArchive, options.archive + ": " + why, options.archive);
            return kZipBadArchive;
        }
    }

    std::vector<NewItem> items;
    std::vector<PlanItem> plan;
    ZipResult planned = Plan(options, old, exists ? &archiveInfo : nullptr, items, plan);
    if (planned != kZipOk) return planned;

    // Write the new archive beside the old one.
    const std::string temp = TempArchiveName(m_fs, options.archive);
    std::unique_ptr<IWriteFile> file = m_fs.CreateNew(temp);
    if (!file) {
        Report(kMsgCannotWrite, "Cannot create " + temp + ": " + m_fs.LastErrorText(), temp);
        return kZipWriteError;
    }
    bool committed = false;
    struct TempGuard {
        IFileSystem& fs;
        const std::string& path;
        bool& committed;
        std::unique_ptr<IWriteFile>& file;
        ~TempGuard() {
            if (!committed) {
                file.reset();
                fs.Remove(path);
            }
        }
    } tempGuard{m_fs, temp, committed, file};
    COutput out(*file, options.bufferSize);

    // New files are compressed ahead by the pool, in the order they are written.
    std::vector<size_t> taskOf(items.size(), size_t(-1)), taskCount(items.size(), 0);
    std::vector<Task> tasks = MakeTasks(options, plan, items, taskOf, taskCount);
    uint64_t total = 0, done = 0;
    for (const PlanItem& o : plan) {
        if (o.newIndex >= 0) total += items[size_t(o.newIndex)].info.size;
        else total += old.entries[size_t(o.oldIndex)].compressedSize;
    }
    CCompressPool pool(m_fs, m_crypto, options, tasks);
    int lastPercent = -1;
    auto progress = [&](const std::string& text) -> bool {
        int p = Percent(done, total);
        if (p == lastPercent) return true;
        lastPercent = p;
        return m_events.Progress(text, p);
    };

    std::vector<ZipEntry> written;
    std::vector<uint64_t> offsets;
    written.reserve(plan.size());
    offsets.reserve(plan.size());
    std::vector<uint8_t> copyBuffer;
    auto writeFail = [&]() {
        Report(kMsgCannotWrite, "Cannot write " + temp + ": " + m_fs.LastErrorText(), temp);
        return kZipWriteError;
    };
    // Data in front of the archive (a self-extractor) stays in front of it.
    auto copyRange = [&](uint64_t from, uint64_t length, const std::string& text) -> ZipResult {
        if (copyBuffer.empty()) copyBuffer.resize(kCopySize);
        while (length > 0) {
            size_t n = size_t(std::min<uint64_t>(length, copyBuffer.size()));
            if (oldFile->ReadAt(from, copyBuffer.data(), n) != int64_t(n)) {
                Report(kMsgBadArchive, options.archive + ": the archive cannot be read", options.archive);
                return kZipBadArchive;
            }
            if (!out.Write(copyBuffer.data(), n)) return writeFail();
            from += n;
            length -= n;
            done += n;
            if (!progress(text)) return kZipAborted;
        }
        return kZipOk;
    };
    if (old.baseOffset > 0) {
        ZipResult r = copyRange(0, old.baseOffset, "");
        if (r != kZipOk) return r;
    }

    auto copyEntry = [&](size_t index) -> ZipResult {
        LocalSpan span;
        std::string why;
        if (!ReadLocalSpan(*oldFile, old, index, span, why)) {
            Report(kMsgBadArchive, old.entries[index].name + ": " + why, old.entries[index].name);
            return kZipBadArchive;
        }
        offsets.push_back(out.Position());
        written.push_back(old.entries[index]);
        const uint64_t start = old.entries[index].localOffset;
        return copyRange(start, span.end - start, old.entries[index].name);
    };

    for (const PlanItem& o : plan) {
        if (o.newIndex < 0) {
            ZipResult r = copyEntry(size_t(o.oldIndex));
            if (r != kZipOk) return r;
            continue;
        }
        const NewItem& item = items[size_t(o.newIndex)];
        if (!m_events.ItemStatus(item.name, 0)) return kZipAborted;
        ZipEntry e;
        e.name = item.name;
        e.rawName = item.name;
        e.versionMadeBy = kVersionMadeBy;
        e.flags = IsAscii(item.name) ? 0 : kFlagUtf8;
        e.dosTime = item.info.dosTime;
        e.haveUnixTime = true;
        e.unixTime = item.info.unixTime;
        e.externalAttributes = item.info.attributes & 0xFF;
        CByteWriter ut;
        ut.U16(0x5455);
        ut.U16(5);
        ut.Bytes(std::string(1, '\1'));
        ut.U32(uint32_t(item.info.unixTime));
        std::string localExtra = ut.Data();
        if (item.info.isDirectory) {
            e.versionNeeded = 20;
            e.externalAttributes |= 0x10;
            e.extra = localExtra;
            offsets.push_back(out.Position());
            if (!out.Write(LocalHeader(e, options.forceZip64, localExtra))) return writeFail();
            written.push_back(e);
            if (!m_events.ItemStatus(item.name, 100)) return kZipAborted;
            continue;
        }
        const size_t ti = taskOf[size_t(o.newIndex)], tasksOfItem = taskCount[size_t(o.newIndex)];
        Task& t = pool.WaitReady(ti);
        if (!t.ready) {
            // The file could not be read: tell the user, keep any old entry.
            Report(kMsgCannotReadFile, "Cannot read " + item.path + ": " + t.why, item.path);
            m_result = kZipIncomplete;
            pool.Release(ti);
            Chunk unused;
            for (size_t k = 1; k < tasksOfItem; ++k) {
                pool.WaitReady(ti + k);
                while (pool.NextChunk(ti + k, unused)) {}
                pool.Release(ti + k);
            }
            done += item.info.size;
            if (o.oldIndex >= 0) {
                ZipResult r = copyEntry(size_t(o.oldIndex));
                if (r != kZipOk) return r;
            }
            continue;
        }
        e.method = options.encrypt ? kMethodAes : t.realMethod;
        e.realMethod = t.realMethod;
        e.versionNeeded = t.realMethod == kMethodDeflate ? 20 : 10;
        if (t.zip64) e.versionNeeded = 45;
        if (options.encrypt) {
            e.flags |= kFlagEncrypted;
            e.versionNeeded = 51;
            e.aesVersion = 2;
            e.aesStrength = 3;
            CByteWriter aes;
            aes.U16(0x9901);
            aes.U16(7);
            aes.U16(2);
            aes.Bytes("AE");
            aes.Bytes(std::string(1, '\3'));
            aes.U16(t.realMethod);
            localExtra += aes.Data();
        }
        e.extra = localExtra;
        const uint64_t headerAt = out.Position();
        std::string header = LocalHeader(e, t.zip64, localExtra);
        if (!out.Write(header)) return writeFail();
        Chunk chunk;
        uint64_t fileDone = 0;
        int lastItemPercent = 0;
        // The output of the item's tasks (one, or one per block) in order.
        uint32_t crc = 0;
        uint64_t size = 0, packed = 0;
        ZipResult error = kZipOk;
        std::string why;
        for (size_t k = 0; k < tasksOfItem; ++k) {
            Task& tk = k == 0 ? t : pool.WaitReady(ti + k);
            while (pool.NextChunk(ti + k, chunk)) {
                if (!out.Write(chunk.data.data(), chunk.data.size())) return writeFail();
                pool.Recycle(std::move(chunk.data));
                fileDone += chunk.input;
                done += chunk.input;
                int ip = Percent(fileDone, item.info.size);
                if (ip != lastItemPercent) {
                    lastItemPercent = ip;
                    if (!m_events.ItemStatus(item.name, ip)) return kZipAborted;
                }
                if (!progress(item.name)) return kZipAborted;
            }
            pool.Release(ti + k);
            if (tk.error != kZipOk && error == kZipOk) {
                error = tk.error;
                why = tk.why;
            }
            crc = k == 0 ? tk.crc : uint32_t(crc32_combine(crc, tk.crc, z_off_t(tk.size)));
            size += tk.size;
            packed += tk.packed;
        }
        if (error != kZipOk || (!t.zip64 && (size >= 0xFFFFFFFF || packed >= 0xFFFFFFFF))) {
            // Drop what was written of it.
            if (!out.Rewind(headerAt)) return writeFail();
            Report(kMsgCannotReadFile,
                   "Cannot read " + item.path + ": " + (error != kZipOk ? why : std::string("it grew while it was read")),
                   item.path);
            m_result = kZipIncomplete;
            if (o.oldIndex >= 0) {
                ZipResult r = copyEntry(size_t(o.oldIndex));
                if (r != kZipOk) return r;
            }
            continue;
        }
        e.crc = options.encrypt ? 0 : crc;
        e.size = size;
        e.compressedSize = packed;
        e.zip64 = t.zip64;
        if (!out.PatchAt(headerAt, LocalHeader(e, t.zip64, localExtra))) return writeFail();
        offsets.push_back(headerAt);
        written.push_back(e);
        if (!m_events.ItemStatus(item.name, 100)) return kZipAborted;
    }
    pool.Stop();

    // Central directory and end records.
    if (!WriteCentralDirectory(out, written, offsets, options.forceZip64, old.comment) || !out.Flush() || !file->Truncate())
        return writeFail();
    if (!m_events.Progress("", 100)) return kZipAborted;
    if (!file->Commit(true)) return writeFail();
    file.reset();
    oldFile.reset();
    if (!m_fs.Replace(temp, options.archive)) {
        Report(kMsgCannotWrite, "Cannot replace " + options.archive + ": " + m_fs.LastErrorText(), options.archive);
        return kZipWriteError;
    }
    committed = true;
    return m_result;
}

}  // namespace zl
