#pragma once
// The binary interface of DZIP32.dll (`dzip`) and DUNZIP32.dll (`dunzip`): one
// packed, little-endian command record per call, 32-bit pointers, the Windows
// calling convention for the functions and for every callback. Any program that
// fills a record at these offsets works with the DLLs. Bytes not named here are
// reserved and must be 0. A pointer below 0x10000 counts as null; the record's
// size field is trusted to tell its real size. Text (paths, lists, passwords,
// names in the entry information block, callback texts) is in the process's
// ANSI code page: UTF-8 where the manifest's UTF-8 code page is honoured
// (Windows 10 1903 and later), the system's code page before. Names the code
// page cannot show come back with '?'; files on disk keep their real names.

#include <windows.h>

#include <cstddef>

extern "C" {

// Progress and item status: (text, percent, user data); non-zero stops the job.
typedef int(CALLBACK* ZipProgressCallback)(const char* text, int percent, void* user);
// Rename: called with the full path of a file about to be created, in a writable
// buffer of kZipRenameBufferSize bytes; the callee may rewrite it. Returns 0.
typedef int(CALLBACK* ZipRenameCallback)(char* name, void* user);
// Message: (code, style, system error, text buffer size, text, file, user data).
//  code     what happened (the kZipMsg... values below)
//  style    the MB_... flags of the message box the library would show
//  system   the Windows error code behind the message (GetLastError), 0 when none
//  size     size of the text buffer in bytes
//  text     the message, writable; the library shows what the callee leaves there
//  file     the file or entry concerned (may be empty)
//  user     the user data of the record
// Returns 0 to let the library decide (show the text in a message box unless the
// job is quiet; a quiet job answers No to questions), or IDOK/IDYES/IDNO/IDCANCEL
// to answer in place of the message box.
typedef int(CALLBACK* ZipMessageCallback)(int code, unsigned style, int reserved, int size, char* text,
                                          const char* file, void* user);

enum { kZipRenameBufferSize = 2048, kZipMessageBufferSize = 1024 };

// The option words of the program's ZIP engine, one bit per record field it
// sets: the unzip options of an extraction, and the zip operation word (one job
// bit, plus options that only the add job applies).
enum : int {
    kUnzipOptNoFolderNames = 0x01,    // unzip record offset 48 = 1
    kUnzipOptOverwrite = 0x02,        // offset 36 = 1
    kUnzipOptQuiet = 0x04,            // offset 40 = 1
    kUnzipOptRenameByNumber = 0x08,   // the engine's rename callback gives existing names numbers
    kUnzipOptAllFiles = 0x10,         // offset 52 = 1 (with the file spec "*.*")
};
enum : int {
    kZipOpAdd = 0x20,                 // function 4
    kZipOpFreshen = 0x40,             // function 3, when 0x20 and 0x80 are clear
    kZipOpDelete = 0x80,              // function 2, when 0x20 is clear
    kZipOptKeepFolders = 0x200,       // clear: zip record offset 76 (no folder names) = 1
    kZipOptEncrypt = 0x400,           // offset 140 = 1
    kZipOptQuiet = 0x800,             // offset 44 = 1
};

// Names and patterns. Entry names in an unzip file spec and in a delete list
// select entries exactly: case and '/' or '\' do not matter, a folder entry is
// also selected by its name without the trailing '/', and '*' or '?' in a name
// are plain characters (stored names may hold them). A name is a pattern only
// when the caller asks for patterns (unzip offset 44, zip offset 48 = 1): then
// '*' matches any run of characters, folder separators included, and '?' one
// character. The file spec "*.*" (or "*") on its own always means every entry.

// Functions of `dunzip`.
enum { kUnzipFunctionNext = 2, kUnzipFunctionCount = 3, kUnzipFunctionByIndex = 7, kUnzipFunctionExtract = 8 };
// Functions of `dzip`: 4 add (replacing entries of the same name), 2 delete,
// 3 freshen (replace entries whose file on disk is newer; add nothing new).
enum { kZipFunctionDelete = 2, kZipFunctionFreshen = 3, kZipFunctionAdd = 4 };

#pragma pack(push, 1)

// Unzip command record, 142 bytes.
struct UnzipCommand {
    int size;                          //   0  142
    int function;                      //   4  3 count, 2 next entry, 7 entry by index, 8 extract
    const char* archive;               //   8
    void* entryInfo;                   //  12  ZipEntryInfo filled by 2 and 7
    const char* fileSpec;              //  16  entry names, quoted, separated by blanks; "*.*" alone = all
                                       //      (see "Names and patterns" above)
    int index;                         //  20  entry index for 7, and for 8 (>= 0: just that entry); -1
    const char* destination;           //  24  folder for 8
    char reserved28[8];                //  28
    int overwrite;                     //  36  1: replace existing files without asking
    int quiet;                         //  40  1: never show a message box or ask; existing files are skipped
    int wildcards;                     //  44  1: the names of the file spec are wildcard patterns
    int noFolderNames;                 //  48  1: files land in the destination itself (default 1)
    int allFiles;                      //  52  1: folder entries of the archive create their (empty) folders (default 1)
    int restoreTimes;                  //  56  1: extracted files get the entry's time (default 1)
    ZipProgressCallback itemStatus;    //  60
    void* itemStatusUser;              //  64  user data for the item-status callback
    ZipProgressCallback progress;      //  68
    void* progressUser;                //  72  user data for the progress callback
    int count;                         //  76  out: entries after function 3
    char reserved80[12];               //  80
    int passwordGiven;                 //  92  1 when `password` is to be used
    const char* password;              //  96
    ZipMessageCallback message;        // 100
    void* messageUser;                 // 104  user data for the message callback
    short reserved108;                 // 108  0
    char reserved110[8];               // 110
    ZipRenameCallback rename;          // 118
    void* renameUser;                  // 122  user data for the rename callback
    char reserved126[16];              // 126
};

// Zip command record, 188 bytes.
struct ZipCommand {
    int size;                          //   0  188
    int function;                      //   4  4 add, 2 delete, 3 freshen
    const char* archive;               //   8
    const char* fileList;              //  12  names in double quotes separated by blanks: files and folders
                                       //      to add (a wildcard in the last part lists that folder), or
                                       //      entry names to delete (see "Names and patterns" above)
    ZipProgressCallback progress;      //  16
    void* progressUser;                //  20
    ZipProgressCallback itemStatus;    //  24
    void* itemStatusUser;              //  28
    char reserved32[8];                //  32
    int level;                         //  40  compression level 0 (store) .. 9; 5
    int quiet;                         //  44  1: never show a message box
    int wildcards;                     //  48  delete: 1 when the names of the list are wildcard patterns
    char reserved52[24];               //  52
    int noFolderNames;                 //  76  1: store file names without their folders
    char reserved80[40];               //  80
    int replaceExisting;               // 120  1: add replaces entries of the same name (0 keeps them); 1
    int recurseFolders;                // 124  1: a folder in the list brings its whole contents; 1
    char reserved128[12];              // 128
    int encrypt;                       // 140  1: encrypt new entries (AES-256, WinZip AE-2) with `password`
    const char* password;              // 144  (may be empty; encrypting with an empty one fails)
    ZipMessageCallback message;        // 148
    void* messageUser;                 // 152
    short threads;                     // 156  compression threads, 0 = one per processor
    short bufferKiB;                   // 158  output buffer in KiB; 64
    char reserved160[8];               // 160
    ZipRenameCallback rename;          // 168  accepted; dzip names entries from the file list and does not call it
    void* renameUser;                  // 172
    char reserved176[12];              // 176
};

// Entry information block, 310 bytes, filled by functions 2 and 7 of `dunzip`.
struct ZipEntryInfo {
    unsigned short method;             //   0  compression method (0 stored, 8 deflate; the real one for AES entries)
    unsigned size;                     //   2  uncompressed size, low 32 bits
    unsigned compressedSize;           //   6  compressed size, low 32 bits
    unsigned crc;                      //  10  CRC-32 (0 for AE-2 entries)
    unsigned short sizeHigh;           //  14  uncompressed size, bits 32..47
    unsigned short compressedSizeHigh; //  16  compressed size, bits 32..47
    unsigned short zipFlags;           //  18  the entry's general purpose flags
    char dateTime[18];                 //  20  "MM-DD-YY HH:MM", NUL-terminated
    char path[260];                    //  38  stored name ('/' separators), NUL-terminated; cut when longer
    unsigned flags;                    // 298  0x8000 encrypted; low byte: MS-DOS attributes (0x10 folder);
                                       //      0x10000 AES; 0x20000 ZIP64; 0x40000 name cut to fit
    unsigned index;                    // 302  position of the entry in the archive, from 0
    unsigned reserved306;              // 306
};

#pragma pack(pop)

enum {
    kZipInfoEncrypted = 0x8000,
    kZipInfoAes = 0x10000,
    kZipInfoZip64 = 0x20000,
    kZipInfoNameCut = 0x40000,
};

// What the message callback's `code` says.
enum {
    kZipMsgCannotOpenArchive = 1,
    kZipMsgBadArchive = 2,
    kZipMsgCannotReadFile = 3,
    kZipMsgCannotWrite = 4,
    kZipMsgPasswordNeeded = 5,
    kZipMsgWrongPassword = 6,
    kZipMsgCrcError = 7,
    kZipMsgDamagedEntry = 8,
    kZipMsgUnsupported = 9,
    kZipMsgUnsafeName = 10,
    kZipMsgFileExists = 11,   // a question (MB_YESNOCANCEL)
    kZipMsgNoMatch = 12,
    kZipMsgDuplicateName = 13,
};

// Results (0 = success).
enum {
    kZipResultOk = 0,
    kZipResultIncomplete = 1,
    kZipResultBadRecord = 2,
    kZipResultCannotOpen = 3,
    kZipResultBadArchive = 4,
    kZipResultWriteError = 5,
    kZipResultWrongPassword = 6,
    kZipResultCrcError = 7,
    kZipResultAborted = 8,
    kZipResultNothingToDo = 9,
    kZipResultUnsupported = 10,
    kZipResultNoMoreEntries = 11,
    kZipResultInternal = 12,
};

int WINAPI dzip(void* record);
int WINAPI dunzip(void* record);

}  // extern "C"

static_assert(sizeof(void*) == 4, "the records hold 32-bit pointers");
static_assert(sizeof(UnzipCommand) == 142, "unzip command record");
static_assert(sizeof(ZipCommand) == 188, "zip command record");
static_assert(sizeof(ZipEntryInfo) == 310, "entry information block");
static_assert(offsetof(UnzipCommand, entryInfo) == 12 && offsetof(UnzipCommand, destination) == 24, "unzip offsets");
static_assert(offsetof(UnzipCommand, overwrite) == 36 && offsetof(UnzipCommand, quiet) == 40, "unzip offsets");
static_assert(offsetof(UnzipCommand, wildcards) == 44 && offsetof(ZipCommand, wildcards) == 48, "pattern switches");
static_assert(offsetof(UnzipCommand, noFolderNames) == 48 && offsetof(UnzipCommand, restoreTimes) == 56, "unzip offsets");
static_assert(offsetof(UnzipCommand, itemStatus) == 60 && offsetof(UnzipCommand, progress) == 68, "unzip offsets");
static_assert(offsetof(UnzipCommand, count) == 76 && offsetof(UnzipCommand, passwordGiven) == 92, "unzip offsets");
static_assert(offsetof(UnzipCommand, message) == 100 && offsetof(UnzipCommand, reserved108) == 108, "unzip offsets");
static_assert(offsetof(UnzipCommand, rename) == 118, "unzip offsets");
static_assert(offsetof(ZipCommand, fileList) == 12 && offsetof(ZipCommand, itemStatus) == 24, "zip offsets");
static_assert(offsetof(ZipCommand, level) == 40 && offsetof(ZipCommand, quiet) == 44, "zip offsets");
static_assert(offsetof(ZipCommand, noFolderNames) == 76 && offsetof(ZipCommand, replaceExisting) == 120, "zip offsets");
static_assert(offsetof(ZipCommand, recurseFolders) == 124 && offsetof(ZipCommand, encrypt) == 140, "zip offsets");
static_assert(offsetof(ZipCommand, password) == 144 && offsetof(ZipCommand, message) == 148, "zip offsets");
static_assert(offsetof(ZipCommand, threads) == 156 && offsetof(ZipCommand, bufferKiB) == 158, "zip offsets");
static_assert(offsetof(ZipCommand, rename) == 168, "zip offsets");
static_assert(offsetof(ZipEntryInfo, dateTime) == 20 && offsetof(ZipEntryInfo, path) == 38, "entry info offsets");
static_assert(offsetof(ZipEntryInfo, flags) == 298 && offsetof(ZipEntryInfo, index) == 302, "entry info offsets");
