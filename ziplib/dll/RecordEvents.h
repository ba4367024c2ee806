#pragma once
// Turns a job's events into the callbacks of a command record, and shows the
// library's messages in a message box when the job is not quiet.

#include "core/Events.h"
#include "ZipRecords.h"

namespace zl {

struct RecordCallbacks {
    ZipProgressCallback progress = nullptr;
    void* progressUser = nullptr;
    ZipProgressCallback itemStatus = nullptr;
    void* itemStatusUser = nullptr;
    ZipMessageCallback message = nullptr;
    void* messageUser = nullptr;
    ZipRenameCallback rename = nullptr;
    void* renameUser = nullptr;
    bool quiet = false;        // no message boxes, questions answered No
};

// The callbacks both command records carry, in their slots of either record.
// Only extraction renames, so `dunzip` adds the rename slot itself.
template <typename Record>
RecordCallbacks CallbacksOf(const Record& record, bool quiet) {
    RecordCallbacks cb;
    cb.progress = record.progress;
    cb.progressUser = record.progressUser;
    cb.itemStatus = record.itemStatus;
    cb.itemStatusUser = record.itemStatusUser;
    cb.message = record.message;
    cb.messageUser = record.messageUser;
    cb.quiet = quiet;
    return cb;
}

class CRecordEvents : public IJobEvents {
public:
    explicit CRecordEvents(const RecordCallbacks& callbacks) : m_cb(callbacks) {}
    bool Progress(const std::string& text, int percent) override;
    bool ItemStatus(const std::string& text, int percent) override;
    Answer Message(const ZipError& problem, bool question) override;
    void Rename(std::string& path) override;

private:
    RecordCallbacks m_cb;
};

// A record is taken by its size field: `record` must start with `size` (the
// caller's promise that it holds that many bytes). Null and small-integer
// pointers are refused.
bool RecordLooksValid(const void* record, int size);
bool RecordPointerUsable(const void* pointer);
// A text pointer of a record: null (or a small integer) gives `fallback`.
const char* RecordText(const char* text, const char* fallback = nullptr);

// Record text is in the process's ANSI code page (UTF-8 where the program's
// manifest sets it); the library works in UTF-8. `limit` cuts the record text
// at a whole character.
std::string RecordToUtf8(const char* text);
// The same into `out`, whose room is reused (listings call it per entry).
void RecordToUtf8(const char* text, std::string& out);
// Whether record text is UTF-8 (the process's ANSI code page is 65001).
bool RecordsAreUtf8();
std::string Utf8ToRecord(const std::string& text, size_t limit = size_t(-1));

// The library's results and message codes are the DLL's, value for value.
constexpr int kLibraryCodes[][2] = {
    {kZipOk, kZipResultOk}, {kZipIncomplete, kZipResultIncomplete}, {kZipBadRecord, kZipResultBadRecord},
    {kZipCannotOpen, kZipResultCannotOpen}, {kZipBadArchive, kZipResultBadArchive},
    {kZipWriteError, kZipResultWriteError}, {kZipWrongPassword, kZipResultWrongPassword},
    {kZipCrcError, kZipResultCrcError}, {kZipAborted, kZipResultAborted}, {kZipNothingToDo, kZipResultNothingToDo},
    {kZipUnsupported, kZipResultUnsupported}, {kZipNoMoreEntries, kZipResultNoMoreEntries},
    {kZipInternal, kZipResultInternal},
    {kMsgCannotOpenArchive, kZipMsgCannotOpenArchive}, {kMsgBadArchive, kZipMsgBadArchive},
    {kMsgCannotReadFile, kZipMsgCannotReadFile}, {kMsgCannotWrite, kZipMsgCannotWrite},
    {kMsgPasswordNeeded, kZipMsgPasswordNeeded}, {kMsgWrongPassword, kZipMsgWrongPassword},
    {kMsgCrcError, kZipMsgCrcError}, {kMsgDamagedEntry, kZipMsgDamagedEntry}, {kMsgUnsupported, kZipMsgUnsupported},
    {kMsgUnsafeName, kZipMsgUnsafeName}, {kMsgFileExists, kZipMsgFileExists}, {kMsgNoMatch, kZipMsgNoMatch},
    {kMsgDuplicateName, kZipMsgDuplicateName},
};
constexpr bool LibraryCodesMatch() {
    for (const auto& pair : kLibraryCodes)
        if (pair[0] != pair[1]) return false;
    return true;
}
static_assert(LibraryCodesMatch(), "the library's result or message codes differ from the DLL's");
static_assert(kZipInternal == 12 && kMsgDuplicateName == 13, "a new library code needs its DLL code in the table above");

}  // namespace zl
