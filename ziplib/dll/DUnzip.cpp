// DUNZIP32.dll: `dunzip`, the reading side of the ZIP library.
#include <windows.h>

#include <cstring>
#include <mutex>

#include "RecordEvents.h"
#include "ZipRecords.h"
#include "core/DirectoryCache.h"
#include "core/ExtractJob.h"
#include "core/Names.h"

using namespace zl;

namespace {

std::mutex g_cacheMutex;
CDirectoryCache g_cache(4);

void FillEntryInfo(void* block, const ZipEntry& e, size_t index) {
    ZipEntryInfo info;
    std::memset(&info, 0, sizeof info);
    info.method = e.realMethod;
    info.size = unsigned(e.size);
    info.compressedSize = unsigned(e.compressedSize);
    info.crc = e.crc;
    info.sizeHigh = (unsigned short)(e.size >> 32);
    info.compressedSizeHigh = (unsigned short)(e.compressedSize >> 32);
    info.zipFlags = e.flags;
    std::string date = DosTimeText(e.dosTime);
    std::strncpy(info.dateTime, date.c_str(), sizeof info.dateTime - 1);
    if ((RecordsAreUtf8() || IsAscii(e.name)) && e.name.size() < sizeof info.path) {
        std::memcpy(info.path, e.name.data(), e.name.size());   // as it is, without a copy
    } else {
        std::string name = Utf8ToRecord(e.name);
        if (name.size() > sizeof info.path - 1) {
            name = Utf8ToRecord(e.name, sizeof info.path - 1);
            info.flags |= kZipInfoNameCut;
        }
        std::memcpy(info.path, name.data(), name.size());
    }
    const unsigned host = e.versionMadeBy >> 8;
    if (host == 0 || host == 10 || host == 11 || host == 14) info.flags |= e.externalAttributes & 0xFF;
    if (e.IsDirectory()) info.flags |= 0x10;
    if (e.IsEncrypted()) info.flags |= kZipInfoEncrypted;
    if (e.method == kMethodAes) info.flags |= kZipInfoAes;
    if (e.zip64 || e.size >= 0xFFFFFFFF || e.compressedSize >= 0xFFFFFFFF) info.flags |= kZipInfoZip64;
    info.index = unsigned(index);
    std::memcpy(block, &info, sizeof info);
}

RecordCallbacks UnzipCallbacks(const UnzipCommand& cmd, bool quiet) {
    RecordCallbacks cb = CallbacksOf(cmd, quiet);
    cb.rename = cmd.rename;
    cb.renameUser = cmd.renameUser;
    return cb;
}

// One entry of a listing (functions 2 and 5): called once per entry, so
// nothing is allocated on the way (no callbacks run here, so the path's room
// can be the thread's).
int Step(const UnzipCommand& cmd, const char* archiveText, IFileSystem& fs) {
    if (!RecordPointerUsable(cmd.entryInfo)) return kZipResultBadRecord;
    if (cmd.function == kUnzipFunctionByIndex && cmd.index < 0) return kZipResultBadRecord;
    thread_local std::string archive;
    RecordToUtf8(archiveText, archive);
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    const ZipEntry* entry = nullptr;
    size_t index = 0;
    std::string why;
    ZipResult r;
    if (cmd.function == kUnzipFunctionNext) {
        r = g_cache.Next(fs, archive, entry, index, why);
    } else {
        index = size_t(cmd.index);
        r = g_cache.At(fs, archive, uint64_t(cmd.index), entry, why);
    }
    if (r == kZipOk) FillEntryInfo(cmd.entryInfo, *entry, index);
    return r;
}

int Unzip(void* record) {
    if (!RecordLooksValid(record, int(sizeof(UnzipCommand)))) return kZipResultBadRecord;
    UnzipCommand cmd;
    std::memcpy(&cmd, record, sizeof cmd);
    const char* archiveText = RecordText(cmd.archive);
    if (archiveText == nullptr || *archiveText == '\0') return kZipResultBadRecord;
    IFileSystem& fs = PlatformFileSystem();
    if (cmd.function == kUnzipFunctionNext || cmd.function == kUnzipFunctionByIndex) return Step(cmd, archiveText, fs);
    const std::string archiveUtf8 = RecordToUtf8(archiveText);
    const char* archive = archiveUtf8.c_str();

    switch (cmd.function) {
    case kUnzipFunctionCount: {
        // Listing never shows message boxes: a broken archive lists as empty.
        CRecordEvents events(UnzipCallbacks(cmd, true));
        uint64_t count = 0;
        std::string why;
        ZipResult r;
        {
            std::lock_guard<std::mutex> lock(g_cacheMutex);
            r = g_cache.Count(fs, archive, count, why);
        }
        int stored = count > 0x7FFFFFFF ? 0x7FFFFFFF : int(count);
        std::memcpy(static_cast<char*>(record) + offsetof(UnzipCommand, count), &stored, sizeof stored);
        if (r != kZipOk)
            events.Message(Problem(r, r == kZipCannotOpen ? kMsgCannotOpenArchive : kMsgBadArchive, std::string(archive) + ": " + why,
                                   archive),
                           false);
        return r;
    }

    case kUnzipFunctionExtract: {
        const char* destination = RecordText(cmd.destination);
        if (destination == nullptr || *destination == '\0') return kZipResultBadRecord;
        ExtractOptions options;
        options.archive = archive;
        options.destination = RecordToUtf8(destination);
        const char* spec = RecordText(cmd.fileSpec, "*.*");
        options.patterns = ParseFileList(RecordToUtf8(spec));
        if (options.patterns.size() == 1 && (options.patterns[0] == "*.*" || options.patterns[0] == "*"))
            options.patterns.clear();
        options.wildcards = cmd.wildcards != 0;
        options.index = cmd.index;
        options.keepFolders = cmd.noFolderNames == 0;
        options.overwrite = cmd.overwrite != 0;
        options.quiet = cmd.quiet != 0;
        options.restoreFolders = cmd.allFiles != 0;
        options.restoreTimes = cmd.restoreTimes != 0;
        const char* password = RecordText(cmd.password);
        options.havePassword = cmd.passwordGiven != 0 && password != nullptr;
        if (options.havePassword) options.password = RecordToUtf8(password);
        // Batches of extractions from one archive share the listing's directory.
        std::shared_ptr<const ZipDirectory> directory;
        {
            std::lock_guard<std::mutex> lock(g_cacheMutex);
            std::string why;
            if (g_cache.Get(fs, archive, directory, why) != kZipOk) directory.reset();
        }
        CRecordEvents events(UnzipCallbacks(cmd, options.quiet));
        CExtractJob job(fs, &PlatformCrypto(), events);
        return job.Run(options, directory);
    }
    default:
        return kZipResultBadRecord;
    }
}

}  // namespace

extern "C" int WINAPI dunzip(void* record) {
    try {
        return Unzip(record);
    } catch (...) {
        return kZipResultInternal;
    }
}
