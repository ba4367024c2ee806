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
    Answer Message(MessageCode code, const std::string& text, const std::string& file, bool question) override;
    void Rename(std::string& path) override;

private:
    RecordCallbacks m_cb;
};

// Checks that `record` can be read for `size` bytes and starts with that size.
bool RecordLooksValid(const void* record, int size);
// A text pointer of a record: null and unreadable pointers give `fallback`.
const char* RecordText(const char* text, const char* fallback = nullptr);

}  // namespace zl
