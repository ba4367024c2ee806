#pragma once
// What a job reports while it runs, and its results.

#include <cstdint>
#include <string>

namespace zl {

// Job results; 0 is success. These are the values the DLL functions return.
enum ZipResult : int {
    kZipOk = 0,
    kZipIncomplete = 1,       // some files were skipped or failed; the rest was done
    kZipBadRecord = 2,        // wrong record size, missing pointer, unknown function
    kZipCannotOpen = 3,       // the archive cannot be opened
    kZipBadArchive = 4,       // not a ZIP archive, or damaged
    kZipWriteError = 5,       // an output file cannot be created or written (disk full)
    kZipWrongPassword = 6,    // missing or wrong password
    kZipCrcError = 7,         // data does not match its check value
    kZipAborted = 8,          // a callback asked to stop
    kZipNothingToDo = 9,      // no entry or file matched
    kZipUnsupported = 10,     // compression method or encryption we cannot read
    kZipNoMoreEntries = 11,   // stepping went past the last entry
    kZipInternal = 12,        // out of memory or an unexpected failure
};

// What a message is about (the DLLs pass it to the message callback).
enum MessageCode : int {
    kMsgCannotOpenArchive = 1,
    kMsgBadArchive = 2,
    kMsgCannotReadFile = 3,
    kMsgCannotWrite = 4,
    kMsgPasswordNeeded = 5,
    kMsgWrongPassword = 6,
    kMsgCrcError = 7,
    kMsgDamagedEntry = 8,
    kMsgUnsupported = 9,
    kMsgUnsafeName = 10,
    kMsgFileExists = 11,      // a question: Yes overwrites, No skips, Cancel stops
    kMsgNoMatch = 12,
    kMsgDuplicateName = 13,
};

enum class Answer { Ok, Yes, No, Cancel };

// A problem a job met: what it means for the job (the library's result), what
// to tell the user, and the system's error code when the system refused
// something (0 otherwise).
struct ZipError {
    ZipResult result = kZipOk;
    MessageCode code = MessageCode(0);
    uint32_t systemCode = 0;
    std::string text;
    std::string file;
};

class IJobEvents {
public:
    virtual ~IJobEvents() = default;
    // Overall progress; false asks the job to stop.
    virtual bool Progress(const std::string& text, int percent) = 0;
    // The item being worked on and how far it is; false asks the job to stop.
    virtual bool ItemStatus(const std::string& text, int percent) = 0;
    // A problem to tell the user, or a question (kMsgFileExists) to answer.
    virtual Answer Message(const ZipError& problem, bool question) = 0;
    // Called with the full path of a file about to be created; may change it.
    virtual void Rename(std::string& path) = 0;
};

// Events that nobody listens to: no abort, questions answered No.
class CSilentEvents : public IJobEvents {
public:
    bool Progress(const std::string&, int) override { return true; }
    bool ItemStatus(const std::string&, int) override { return true; }
    Answer Message(const ZipError&, bool question) override {
        return question ? Answer::No : Answer::Ok;
    }
    void Rename(std::string&) override {}
};

}  // namespace zl
