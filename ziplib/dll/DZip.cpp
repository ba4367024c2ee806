// `dzip`, the writing side of the ZIP library: exported by DUNZIP32.dll, and
// called through to by the thin DZIP32.dll beside it (DZipFront.cpp).
#include <windows.h>

#include <cstring>

#include "RecordEvents.h"
#include "ZipRecords.h"
#include "core/Names.h"
#include "core/UpdateJob.h"

using namespace zl;

namespace {

int Zip(void* record) {
    if (!RecordLooksValid(record, int(sizeof(ZipCommand)))) return kZipResultBadRecord;
    ZipCommand cmd;
    std::memcpy(&cmd, record, sizeof cmd);
    const char* archive = RecordText(cmd.archive);
    const char* list = RecordText(cmd.fileList);
    if (archive == nullptr || *archive == '\0' || list == nullptr) return kZipResultBadRecord;

    UpdateOptions options;
    switch (cmd.function) {
    case kZipFunctionAdd: options.mode = UpdateMode::Add; break;
    case kZipFunctionDelete: options.mode = UpdateMode::Delete; break;
    case kZipFunctionFreshen: options.mode = UpdateMode::Freshen; break;
    default: return kZipResultBadRecord;
    }
    options.archive = RecordToUtf8(archive);
    options.names = ParseFileList(RecordToUtf8(list));
    if (options.names.empty()) return kZipResultNothingToDo;
    options.level = cmd.level >= 0 && cmd.level <= 9 ? cmd.level : 6;
    options.keepFolders = cmd.noFolderNames == 0;
    options.replaceExisting = cmd.replaceExisting != 0;
    options.recurse = cmd.recurseFolders != 0;
    options.wildcards = cmd.wildcards != 0;
    options.encrypt = cmd.encrypt != 0;
    const char* password = RecordText(cmd.password, "");
    options.password = RecordToUtf8(password);
    options.threads = cmd.threads > 0 ? unsigned(cmd.threads) : 0;
    options.bufferSize = size_t(cmd.bufferKiB > 0 ? cmd.bufferKiB : 64) * 1024;

    CRecordEvents events(CallbacksOf(cmd, cmd.quiet != 0));
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), events);
    return job.Run(options);
}

}  // namespace

extern "C" int WINAPI dzip(void* record) {
    try {
        return Zip(record);
    } catch (...) {
        return kZipResultInternal;
    }
}
