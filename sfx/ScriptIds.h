#pragma once
// The property ids of a self-extracting program's script that the builder and
// the extractor give a meaning to. Every other id is carried along unchanged.
//
// Screens and messages come in groups: the base id holds a number (0 = not
// shown, anything else = shown), base + 1 the title, base + 2 the message,
// base + 10 a bitmap file and base + 11 its switch (1 = show the bitmap).

#include <cstdint>

namespace tb::sfx::ids {

constexpr uint32_t kSource = 100;            // text: the ZIP archive to turn into a program
constexpr uint32_t kOutput = 101;            // text: the program to write
constexpr uint32_t kIconSource = 103;        // text: "file;index" of the program's icon (.exe, .dll, .ico)
constexpr uint32_t kDefaultFolder = 203;     // text: the extraction folder proposed (empty: the program's own)
constexpr uint32_t kUseFolderNames = 300;    // 1: entries keep their stored folders
constexpr uint32_t kAskOverwrite = 301;      // 1: ask before replacing an existing file
constexpr uint32_t kOverwriteSilently = 302; // 1: replace existing files without asking (when not asking)
constexpr uint32_t kProgressShown = 600;     // 0: no progress screen

// Offsets inside a group.
constexpr uint32_t kTitle = 1;
constexpr uint32_t kMessage = 2;
constexpr uint32_t kBitmap = 10;
constexpr uint32_t kBitmapShown = 11;

// Screens.
constexpr uint32_t kFolderScreen = 70000;       // the folder question
constexpr uint32_t kProgressScreen = 70600;     // extraction progress
constexpr uint32_t kSuccessScreen = 72400;      // the end of a successful extraction
constexpr uint32_t kPrepareScreen = 72500;      // shown while the archive is read
constexpr uint32_t kPasswordPrompt = 70400;
constexpr uint32_t kOverwriteQuestion = 70100;
constexpr uint32_t kReadOnlyQuestion = 70200;

// Messages of the failures.
constexpr uint32_t kPathError = 70700;          // the folder cannot be made
constexpr uint32_t kOverwriteError = 70800;
constexpr uint32_t kReadOnlyError = 70900;
constexpr uint32_t kPasswordError = 71000;
constexpr uint32_t kEndOfFileError = 71500;     // the archive ends early
constexpr uint32_t kExtractError = 71600;       // a damaged entry, an unsafe name, an unknown method
constexpr uint32_t kMemoryError = 71700;
constexpr uint32_t kCancelled = 71800;
constexpr uint32_t kCreateError = 71900;        // an output file cannot be created
constexpr uint32_t kAccessError = 72000;        // the program's own archive cannot be read
constexpr uint32_t kCrcError = 72100;
constexpr uint32_t kDiskFull = 72200;
constexpr uint32_t kInitError = 72600;          // the program carries no script
constexpr uint32_t kDiskError = 73100;          // a write failed for another reason
constexpr uint32_t kDiskErrorRestartButton = 73120;
constexpr uint32_t kDiskErrorNoRestartButton = 73121;
constexpr uint32_t kInsertDisk = 73500;         // the destination drive is not ready

// Ids that name a bitmap file (base + 10 of a screen group); the builder
// carries their pictures inside the program.
constexpr bool IsBitmapId(uint32_t id) { return id >= kFolderScreen && id % 100 == kBitmap; }

}  // namespace tb::sfx::ids
