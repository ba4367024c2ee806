#pragma once
// The ZIP container: entries of the central directory, reading it (with ZIP64,
// prepended data such as a self-extractor, and the extra fields we understand)
// and building the headers we write.

#include <cstdint>
#include <string>
#include <vector>

#include "Io.h"

namespace zl {

constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kZip64EndSig = 0x06064b50;
constexpr uint32_t kZip64LocatorSig = 0x07064b50;
constexpr uint32_t kDescriptorSig = 0x08074b50;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDescriptor = 0x0008;
constexpr uint16_t kFlagUtf8 = 0x0800;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kMethodAes = 99;

inline uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
inline uint64_t Get64(const uint8_t* p) { return Get32(p) | uint64_t(Get32(p + 4)) << 32; }
inline void Put16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void Put32(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i)); }
inline void Put64(uint8_t* p, uint64_t v) { for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i)); }

// Appends little-endian values to a byte string.
class CByteWriter {
public:
    void U16(uint16_t v) { uint8_t b[2]; Put16(b, v); m_data.append(reinterpret_cast<char*>(b), 2); }
    void U32(uint32_t v) { uint8_t b[4]; Put32(b, v); m_data.append(reinterpret_cast<char*>(b), 4); }
    void U64(uint64_t v) { uint8_t b[8]; Put64(b, v); m_data.append(reinterpret_cast<char*>(b), 8); }
    void Bytes(const std::string& s) { m_data += s; }
    std::string& Data() { return m_data; }

private:
    std::string m_data;
};

struct ZipEntry {
    std::string name;          // UTF-8, separators as stored
    std::string rawName;       // bytes as stored, when they differ from `name` (else empty)
    uint16_t versionMadeBy = 0;
    uint16_t versionNeeded = 0;
    uint16_t flags = 0;
    uint16_t method = 0;       // as in the header (99 for AES)
    uint16_t realMethod = 0;   // compression method (the AES field's for AES entries)
    uint32_t dosTime = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localOffset = 0;  // from the start of the file
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    std::string extra;         // central extra fields without the ZIP64 one
    std::string comment;
    int aesVersion = 0;        // 1 or 2 for AES entries
    int aesStrength = 0;       // 1, 2, 3
    bool haveUnixTime = false;
    int64_t unixTime = 0;
    bool zip64 = false;        // the central record had a ZIP64 field
    uint64_t recordLimit = 0;  // where the next entry's record (or the central directory) starts

    bool IsEncrypted() const { return (flags & kFlagEncrypted) != 0; }
    // The name's bytes as stored in the headers.
    const std::string& RawName() const { return rawName.empty() ? name : rawName; }
    bool IsDirectory() const;
};

struct ZipDirectory {
    std::vector<ZipEntry> entries;
    uint64_t centralStart = 0;     // where the central directory starts in the file
    uint64_t dataEnd = 0;          // where entry data ends (start of central directory)
    uint64_t baseOffset = 0;       // bytes in front of the archive (self-extractor)
    std::string comment;
    std::string endRecord;         // the file's last bytes: the end records and the comment
};

// Reads the central directory. `why` receives a short reason on failure.
bool ReadDirectory(IReadFile& file, ZipDirectory& directory, std::string& why);

// Where an entry's data starts and how long the raw record (local header, data,
// descriptor) is. Fails on a missing or inconsistent local header.
struct LocalSpan {
    uint64_t dataOffset = 0;
    uint64_t end = 0;          // end of the record, descriptor included
};
bool ReadLocalSpan(IReadFile& file, const ZipDirectory& directory, size_t index, LocalSpan& span, std::string& why);

// "MM-DD-YY HH:MM" of an MS-DOS date and time.
std::string DosTimeText(uint32_t dosTime);

// Names: bit 11 means UTF-8; otherwise the Info-ZIP Unicode path field; then,
// for archives made on Unix or macOS (host 3 or 19), whose tools store the
// system's UTF-8 names without the flag, valid UTF-8 is kept; everything else is
// code page 437.
std::string DecodeName(const std::string& raw, bool utf8Flag, const std::string& extra, unsigned host = 0);
bool IsValidUtf8(const std::string& text);
std::string Cp437ToUtf8(const std::string& text);
bool IsAscii(const std::string& text);

// Where the format's 16- and 32-bit fields end: a value at or beyond its limit
// goes to a ZIP64 field. `newFile` is the size from which a new file gets ZIP64
// local fields before it is compressed (its compressed size is not known yet).
// Writers take the format's own limits; tests lower them to reach the ZIP64
// layout with small files.
struct ZipLimits {
    uint64_t field32 = 0xFFFFFFFF;
    uint64_t count16 = 0xFFFF;
    uint64_t newFile = 0xF0000000;
};

// Builds the local header of an entry (ZIP64 sizes when `zip64`), followed by `localExtra`.
std::string LocalRecord(const ZipEntry& entry, bool zip64, const std::string& localExtra);
// Builds a central directory record for `entry` whose local header now lies at `offset`.
std::string CentralRecord(const ZipEntry& entry, uint64_t offset, const ZipLimits& limits = ZipLimits());
// Builds the end records (ZIP64 ones when needed).
std::string EndRecords(uint64_t entries, uint64_t centralStart, uint64_t centralSize, const std::string& comment,
                       const ZipLimits& limits = ZipLimits());

}  // namespace zl
