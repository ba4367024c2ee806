#include "ExtractJob.h"

#include <vector>

#include "EntryReader.h"
#include "Names.h"

namespace zl {

namespace {

constexpr size_t kOutputSize = 256 * 1024;

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

ZipResult CExtractJob::ExtractEntry(IReadFile& file, const ZipDirectory& dir, size_t index, const std::string& path,
                                    const ExtractOptions& options, uint64_t doneBefore, uint64_t total) {
    const ZipEntry& entry = dir.entries[index];
    CEntryReader reader(file, dir, index, m_crypto);
    ZipResult r = reader.Open(options.havePassword ? &options.password : nullptr);
    if (r != kZipOk) {
        MessageCode code = r == kZipWrongPassword ? (options.havePassword ? kMsgWrongPassword : kMsgPasswordNeeded)
                         : r == kZipUnsupported ? kMsgUnsupported : kMsgDamagedEntry;
        Report(code, entry.name + ": " + reader.Why(), entry.name);
        return r;
    }
    // A file that is replaced is written beside it first, so a failure keeps the
    // old one; a new file is written in place and removed on failure.
    FileInfo existing;
    const bool replacing = m_fs.Stat(path, existing);
    std::string temp = replacing ? TempNameFor(m_fs, path) : path;
    std::unique_ptr<IWriteFile> out = m_fs.CreateNew(temp);
    if (!out) {
        Report(kMsgCannotWrite, "Cannot create " + path + ": " + m_fs.LastErrorText(), path);
        return kZipWriteError;
    }
    std::vector<uint8_t> buffer(kOutputSize);
    int lastPercent = -1;
    for (;;) {
        size_t got = 0;
        r = reader.Read(buffer.data(), buffer.size(), got);
        if (r != kZipOk || got == 0) break;
        if (!out->Write(buffer.data(), got)) {
            r = kZipWriteError;
            break;
        }
        int itemPercent = Percent(reader.Consumed(), entry.compressedSize);
        if (itemPercent != lastPercent) {
            lastPercent = itemPercent;
            if (!m_events.ItemStatus(entry.name, itemPercent) ||
                !m_events.Progress(entry.name, Percent(doneBefore + reader.Consumed(), total))) {
                r = kZipAborted;
                break;
            }
        }
    }
    if (r == kZipOk && options.restoreTimes) out->SetTimes(entry.dosTime, entry.unixTime, entry.haveUnixTime);
    if (r == kZipOk && !out->Commit(false)) r = kZipWriteError;
    out.reset();
    if (r != kZipOk) {
        m_fs.Remove(temp);
        if (r == kZipWriteError)
            Report(kMsgCannotWrite, "Cannot write " + path + ": " + m_fs.LastErrorText(), path);
        else if (r == kZipCrcError)
            Report(kMsgCrcError, entry.name + ": " + reader.Why(), entry.name);
        else if (r == kZipWrongPassword)
            Report(kMsgWrongPassword, entry.name + ": " + reader.Why(), entry.name);
        else if (r != kZipAborted)
            Report(kMsgDamagedEntry, entry.name + ": " + reader.Why(), entry.name);
        return r;
    }
    if (replacing && !m_fs.Replace(temp, path, false)) {
        m_fs.Remove(temp);
        Report(kMsgCannotWrite, "Cannot write " + path + ": " + m_fs.LastErrorText(), path);
        return kZipWriteError;
    }
    ++m_written;
    return kZipOk;
}

ZipResult CExtractJob::Run(const ExtractOptions& options) {
    std::unique_ptr<IReadFile> file = m_fs.OpenRead(options.archive);
    if (!file) {
        Report(kMsgCannotOpenArchive, "Cannot open the archive " + options.archive + ": " + m_fs.LastErrorText(), options.archive);
        return kZipCannotOpen;
    }
    ZipDirectory dir;
    std::string why;
    if (!ReadDirectory(*file, dir, why)) {
        Report(kMsgBadArchive, options.archive + ": " + why, options.archive);
        return kZipBadArchive;
    }
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

    for (size_t i : chosen) {
        const ZipEntry& entry = dir.entries[i];
        if (!m_events.Progress(entry.name, Percent(done, total)) || !m_events.ItemStatus(entry.name, 0))
            return kZipAborted;
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
                if (a == Answer::Cancel) return kZipAborted;
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
        ZipResult r = ExtractEntry(*file, dir, i, path, options, done, total);
        if (r == kZipAborted) return r;
        if (r != kZipOk) note(r);
        done += entry.compressedSize;
        if (!m_events.ItemStatus(entry.name, 100)) return kZipAborted;
    }
    if (!m_events.Progress("", 100)) return kZipAborted;
    return result;
}

}  // namespace zl
