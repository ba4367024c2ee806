#pragma once
// The option words of CZipEngine's jobs, one name for each bit.

namespace tb {

// Unzip option bits (ExtractFiles).
enum UnzipOption : int {
    kUnzipNoFolderNames = 0x01,    // record offset 48: files land in the destination itself
    kUnzipOverwrite = 0x02,        // offset 36
    kUnzipQuiet = 0x04,            // offset 40
    kUnzipRenameByNumber = 0x08,   // existing files get numbered names instead
    kUnzipAllFiles = 0x10,         // offset 52
};

// Zip operation word (ZipFiles): one job bit plus the add job's options.
enum ZipOperation : int {
    kZipJobAdd = 0x20,
    kZipJobFunction3 = 0x40,       // freshen
    kZipJobDelete = 0x80,
    kZipKeepFolders = 0x200,       // when clear, offset 76 (store no folder names) is 1
    kZipEncrypt = 0x400,           // offset 140, with the engine's password
    kZipQuiet = 0x800,             // offset 44
};

}  // namespace tb
