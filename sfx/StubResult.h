#pragma once
// How an extraction by a self-extracting program ends: its exit code, the
// message group of the script that tells the user, and the text shown when the
// script has none.

#include <cstdint>
#include <string>

#include "sfx/ScriptIds.h"

namespace tb::sfx {

enum StubResult : int {
    kStubOk = 0,
    kStubCancelled = 1,        // the user cancelled
    kStubInitError = 2,        // the program carries no script
    kStubArchiveError = 3,     // its archive cannot be read, or the program is cut short
    kStubPathError = 4,        // the destination folder cannot be made (or its disk is not ready)
    kStubPasswordError = 5,    // the password is missing or wrong
    kStubCrcError = 6,
    kStubExtractError = 7,     // a damaged entry, an unsafe name, an unknown method: that entry was skipped
    kStubCreateError = 8,      // an output file cannot be created or replaced
    kStubDiskFull = 9,         // the disk is full, or another write error
    kStubMemoryError = 10,
    kStubUsage = 11,           // an unknown switch
};

// An exit code with the script's message group that tells it (0 for success)
// and what went wrong, for the record.
struct Outcome {
    StubResult result = kStubOk;
    uint32_t group = 0;
    std::string detail;
};

}  // namespace tb::sfx
