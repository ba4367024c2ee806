#pragma once
// Moving a ZIP archive behind a program: the entry data is copied as it is, and
// every offset that points into it is rewritten for its new place: the local
// header offset of each central directory record (in the record or in its ZIP64
// field, which is added when an offset no longer fits in 32 bits), the start of
// the central directory in the end record, and the ZIP64 end record and its
// locator. The result is at once the program and an archive any reader opens
// without a warning about extra bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "core/Format.h"
#include "core/Io.h"

namespace tb::sfx {

// The parts of a source archive that hold offsets, as stored.
struct ZipTail {
    uint64_t dataStart = 0;               // first byte of entry data (the lowest local header)
    uint64_t centralStart = 0;            // where the central directory starts in the source
    std::string central;                  // the central directory records
    std::vector<uint64_t> localOffsets;   // each record's local header, from the start of the source file
    std::string zip64End;                 // the ZIP64 end record (empty when there is none)
    std::string comment;                  // the archive comment
};

// Reads the tail of an archive whose directory `directory` was read by the ZIP
// core. Data in front of the first entry (an older self-extractor) is left out.
bool ReadZipTail(zl::IReadFile& file, const zl::ZipDirectory& directory, ZipTail& tail, std::string& why);

// The central directory and end records of the archive once its entry data
// [tail.dataStart, tail.centralStart) lies at `newDataStart` of the new file.
bool RelocatedTail(const ZipTail& tail, uint64_t newDataStart, std::string& out, std::string& why);

}  // namespace tb::sfx
