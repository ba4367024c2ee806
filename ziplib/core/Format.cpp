#include "Format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <zlib.h>

namespace zl {

namespace {

constexpr size_t kEndSize = 22;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kLocatorSize = 20;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;

const uint16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | cp >> 6);
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | cp >> 12);
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool ReadExact(IReadFile& file, uint64_t offset, void* buffer, size_t size) {
    return file.ReadAt(offset, buffer, size) == int64_t(size);
}

// Walks the extra fields; calls `fn(id, data, size)` for each well-formed one.
template <typename Fn>
void ForEachExtra(const uint8_t* p, size_t left, Fn fn) {
    while (left >= 4) {
        uint16_t id = Get16(p), size = Get16(p + 2);
        if (size > left - 4) break;
        fn(id, p + 4, size);
        p += 4 + size;
        left -= 4 + size;
    }
}

template <typename Fn>
void ForEachExtra(const std::string& extra, Fn fn) {
    ForEachExtra(reinterpret_cast<const uint8_t*>(extra.data()), extra.size(), fn);
}

}  // namespace

bool ZipEntry::IsDirectory() const {
    if (!name.empty() && (name.back() == '/' || name.back() == '\\')) return true;
    return (externalAttributes & 0x10) != 0 && size == 0 && (versionMadeBy >> 8) == 0;
}

bool IsAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

bool IsValidUtf8(const std::string& text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size(), i = 0;
    while (i < n) {
        unsigned char c = p[i];
        size_t len;
        uint32_t cp;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
        else return false;
        if (i + len > n) return false;
        for (size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = cp << 6 | (p[i + k] & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string Cp437ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) AppendUtf8(out, c < 0x80 ? c : kCp437High[c - 0x80]);
    return out;
}

std::string DecodeName(const std::string& raw, bool utf8Flag, const std::string& extra, unsigned host) {
    if (IsAscii(raw)) return raw;
    if (utf8Flag && IsValidUtf8(raw)) return raw;
    std::string unicode;
    ForEachExtra(extra, [&](uint16_t id, const uint8_t* data, size_t size) {
        // Info-ZIP Unicode path: version 1, CRC-32 of the stored name, UTF-8 name.
        if (id == 0x7075 && size > 5 && data[0] == 1 &&
            Get32(data + 1) == uint32_t(crc32(0, reinterpret_cast<const Bytef*>(raw.data()), uInt(raw.size())))) {
            unicode.assign(reinterpret_cast<const char*>(data + 5), size - 5);
        }
    });
    if (!unicode.empty() && IsValidUtf8(unicode)) return unicode;
    if ((host == 3 || host == 19) && IsValidUtf8(raw)) return raw;
    return Cp437ToUtf8(raw);
}

std::string DosTimeText(uint32_t dosTime) {
    unsigned date = dosTime >> 16, time = dosTime & 0xFFFF;
    unsigned month = (date >> 5) & 15, day = date & 31, year = (1980 + (date >> 9)) % 100;
    unsigned hour = (time >> 11) & 31, minute = (time >> 5) & 63;
    // Formatted by hand: listings call this once per entry.
    char text[15] = {0, 0, '-', 0, 0, '-', 0, 0, ' ', 0, 0, ':', 0, 0, 0};
    const unsigned parts[5] = {month, day, year, hour, minute};
    for (int i = 0; i < 5; ++i) {
        text[3 * i] = char('0' + parts[i] / 10 % 10);
        text[3 * i + 1] = char('0' + parts[i] % 10);
    }
    return std::string(text, 14);
}

static bool ParseCentral(const uint8_t* p, size_t left, ZipEntry& e, size_t& used, uint64_t baseOffset, uint64_t fileSize) {
    if (left < kCentralSize || Get32(p) != kCentralSig) return false;
    e.versionMadeBy = Get16(p + 4);
    e.versionNeeded = Get16(p + 6);
    e.flags = Get16(p + 8);
    e.method = e.realMethod = Get16(p + 10);
    e.dosTime = uint32_t(Get16(p + 14)) << 16 | Get16(p + 12);
    e.crc = Get32(p + 16);
    e.compressedSize = Get32(p + 20);
    e.size = Get32(p + 24);
    size_t nameLen = Get16(p + 28), extraLen = Get16(p + 30), commentLen = Get16(p + 32);
    uint32_t disk = Get16(p + 34);
    e.internalAttributes = Get16(p + 36);
    e.externalAttributes = Get32(p + 38);
    e.localOffset = Get32(p + 42);
    used = kCentralSize + nameLen + extraLen + commentLen;
    if (used > left) return false;
    // Most names are kept as stored (ASCII, or UTF-8 so flagged): one string
    // then holds both (an archive of 100,000 entries is a good many allocations).
    e.name.assign(reinterpret_cast<const char*>(p + kCentralSize), nameLen);
    e.rawName.clear();
    const uint8_t* extra = p + kCentralSize + nameLen;
    e.comment.assign(reinterpret_cast<const char*>(p + kCentralSize + nameLen + extraLen), commentLen);
    e.extra.clear();
    bool zip64Ok = true;
    ForEachExtra(extra, extraLen, [&](uint16_t id, const uint8_t* data, size_t size) {
        if (id == 0x0001) {
            e.zip64 = true;
            size_t pos = 0;
            auto take = [&](uint64_t& field) {
                if (pos + 8 > size) { zip64Ok = false; return; }
                field = Get64(data + pos);
                pos += 8;
            };
            if (e.size == 0xFFFFFFFF) take(e.size);
            if (e.compressedSize == 0xFFFFFFFF) take(e.compressedSize);
            if (e.localOffset == 0xFFFFFFFF) take(e.localOffset);
            if (disk == 0xFFFF && pos + 4 <= size) disk = Get32(data + pos);
            return;  // rebuilt when written
        }
        if (id == 0x9901 && size >= 7 && data[2] == 'A' && data[3] == 'E') {
            e.aesVersion = Get16(data);
            e.aesStrength = data[4];
            e.realMethod = Get16(data + 5);
        }
        if (id == 0x5455 && size >= 5 && (data[0] & 1)) {
            e.haveUnixTime = true;
            e.unixTime = int32_t(Get32(data + 1));
        }
        e.extra.append(reinterpret_cast<const char*>(data - 4), size + 4);
    });
    if (!zip64Ok || disk != 0) return false;
    if (e.method == kMethodAes && e.aesStrength == 0) e.realMethod = 0xFFFF;  // unknown scheme
    if (!IsAscii(e.name) && !((e.flags & kFlagUtf8) != 0 && IsValidUtf8(e.name))) {
        e.rawName = std::move(e.name);
        e.name = DecodeName(e.rawName, (e.flags & kFlagUtf8) != 0, e.extra, e.versionMadeBy >> 8u);
        if (e.name == e.rawName) e.rawName.clear();
    }
    e.localOffset += baseOffset;
    return e.localOffset < fileSize;
}

namespace {

// The end of central directory record and what it says.
struct EndInfo {
    uint64_t endPos = 0;        // where the (32-bit) end record starts
    uint64_t count = 0;         // entries, as declared
    uint64_t cdSize = 0;
    uint64_t cdOffset = 0;
    uint64_t cdEnd = 0;         // where the central directory must end
    bool zip64 = false;         // the ZIP64 end record gave the values
};

// The end record is the last signature in the tail, as other readers take it;
// one whose comment runs past the end of the file is a damaged archive, not a
// reason to look for an earlier (hidden) record.
bool FindEnd(IReadFile& file, ZipDirectory& dir, EndInfo& end, std::string& why) {
    const uint64_t fileSize = file.Size();
    const size_t tailSize = size_t(std::min<uint64_t>(fileSize, 0xFFFF + kEndSize + kLocatorSize + kZip64EndSize));
    std::vector<uint8_t> tail(tailSize);
    const uint64_t tailStart = fileSize - tailSize;
    if (!ReadExact(file, tailStart, tail.data(), tailSize)) { why = "the file cannot be read"; return false; }
    long at = -1;
    for (long i = long(tailSize - kEndSize); i >= 0 && at < 0; --i)
        if (Get32(&tail[size_t(i)]) == kEndSig) at = i;
    if (at < 0) { why = "no end of central directory was found (not a ZIP archive)"; return false; }
    const uint8_t* rec = &tail[size_t(at)];
    const size_t commentLen = Get16(rec + 20);
    if (size_t(at) + kEndSize + commentLen > tailSize) {
        why = "the archive comment runs past the end of the file (the archive is cut or damaged)";
        return false;
    }
    end.endPos = tailStart + uint64_t(at);
    end.count = Get16(rec + 10);
    end.cdSize = Get32(rec + 12);
    end.cdOffset = Get32(rec + 16);
    end.cdEnd = end.endPos;
    dir.comment.assign(reinterpret_cast<const char*>(rec + kEndSize), commentLen);
    // The end records as they lie at the end of the file (with the ZIP64 ones
    // when there are any): a rewritten archive almost always differs here.
    const size_t keyFrom = size_t(at) - std::min<size_t>(size_t(at), kLocatorSize + kZip64EndSize);
    dir.endRecord.assign(reinterpret_cast<const char*>(&tail[keyFrom]), tailSize - keyFrom);
    if (Get16(rec + 4) != 0 || Get16(rec + 6) != 0) { why = "archives split over several disks are not supported"; return false; }

    if (size_t(at) < kLocatorSize || Get32(rec - kLocatorSize) != kZip64LocatorSig) return true;
    // A ZIP64 locator: the ZIP64 end record where it says, or where it must be
    // when data in front of the archive shifted it.
    const uint8_t* loc = rec - kLocatorSize;
    uint8_t z64[kZip64EndSize];
    uint64_t z64Pos = Get64(loc + 8);
    bool found = z64Pos + kZip64EndSize <= fileSize && ReadExact(file, z64Pos, z64, sizeof z64) && Get32(z64) == kZip64EndSig;
    if (!found && end.endPos >= kLocatorSize + kZip64EndSize) {
        z64Pos = end.endPos - kLocatorSize - kZip64EndSize;
        found = ReadExact(file, z64Pos, z64, sizeof z64) && Get32(z64) == kZip64EndSig;
    }
    if (!found) {
        // Bytes that only look like a locator (the end of a comment or of an
        // extra field): the 32-bit values stand, unless they say "see ZIP64".
        if (end.count == 0xFFFF || end.cdSize == 0xFFFFFFFF || end.cdOffset == 0xFFFFFFFF) {
            why = "the ZIP64 end record is missing";
            return false;
        }
        return true;
    }
    if (Get32(z64 + 16) != 0 || Get32(z64 + 20) != 0) { why = "archives split over several disks are not supported"; return false; }
    end.count = Get64(z64 + 32);
    end.cdSize = Get64(z64 + 40);
    end.cdOffset = Get64(z64 + 48);
    end.cdEnd = z64Pos;
    end.zip64 = true;
    return true;
}

// The central directory, read in pieces: its size is checked against the file,
// never trusted for an allocation.
bool ReadCentralRecords(IReadFile& file, ZipDirectory& dir, const EndInfo& end, std::string& why) {
    constexpr size_t kMaxRecord = kCentralSize + 3 * 0xFFFF;
    constexpr size_t kWindow = 1024 * 1024;
    const uint64_t cdStart = dir.centralStart, cdEnd = cdStart + end.cdSize;
    dir.entries.reserve(size_t(std::min<uint64_t>({end.count, end.cdSize / kCentralSize, 1u << 16})));
    std::vector<uint8_t> window(size_t(std::min<uint64_t>(end.cdSize, kWindow)));
    uint64_t windowAt = cdStart;   // file position of window[0]
    size_t have = 0, pos = 0;
    uint64_t at = cdStart;
    while (at < cdEnd) {
        // Keep a whole record (or the rest of the directory) in the window.
        const size_t want = size_t(std::min<uint64_t>(kMaxRecord, cdEnd - at));
        if (have - pos < want) {
            std::memmove(window.data(), window.data() + pos, have - pos);
            have -= pos;
            windowAt += pos;
            pos = 0;
            const size_t n = size_t(std::min<uint64_t>(window.size() - have, cdEnd - (windowAt + have)));
            if (!ReadExact(file, windowAt + have, window.data() + have, n)) {
                why = "the central directory cannot be read";
                return false;
            }
            have += n;
        }
        ZipEntry e;
        size_t used = 0;
        if (!ParseCentral(&window[pos], have - pos, e, used, dir.baseOffset, cdStart + 1)) {
            why = "the central directory is damaged";
            return false;
        }
        dir.entries.push_back(std::move(e));
        pos += used;
        at += used;
    }
    return true;
}

// The declared count must be the records' count. The one exception is what
// Info-ZIP writes for more than 65,535 entries without ZIP64: the 16-bit count
// wrapped around.
bool CountAgrees(const EndInfo& end, uint64_t records) {
    if (records == end.count) return true;
    return !end.zip64 && records > 0xFFFF && (records & 0xFFFF) == end.count;
}

// Entries whose data overlap make one stored stream count many times (a zip
// bomb): each record must end before the next one starts. The local header's
// extra field is not known yet, so this takes the least the record holds;
// reading an entry checks the rest.
bool EntriesApart(ZipDirectory& dir, std::string& why) {
    std::vector<size_t> order(dir.entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    auto byOffset = [&](size_t a, size_t b) { return dir.entries[a].localOffset < dir.entries[b].localOffset; };
    if (!std::is_sorted(order.begin(), order.end(), byOffset)) std::sort(order.begin(), order.end(), byOffset);
    for (size_t k = 0; k < order.size(); ++k) {
        ZipEntry& e = dir.entries[order[k]];
        e.recordLimit = k + 1 < order.size() ? dir.entries[order[k + 1]].localOffset : dir.centralStart;
        const uint64_t least = kLocalSize + e.RawName().size() + e.compressedSize;
        if (e.recordLimit < e.localOffset || e.recordLimit - e.localOffset < least) {
            why = "entries overlap (" + e.name + "): a possible zip bomb";
            return false;
        }
    }
    return true;
}

}  // namespace

bool ReadDirectory(IReadFile& file, ZipDirectory& dir, std::string& why) {
    dir = ZipDirectory();
    if (file.Size() < kEndSize) { why = "the file is too short to be a ZIP archive"; return false; }
    EndInfo end;
    if (!FindEnd(file, dir, end, why)) return false;
    if (end.cdSize > end.cdEnd) { why = "the central directory size is wrong"; return false; }
    const uint64_t cdStart = end.cdEnd - end.cdSize;
    if (end.cdOffset > cdStart) { why = "the central directory offset is wrong"; return false; }
    dir.baseOffset = cdStart - end.cdOffset;
    dir.centralStart = cdStart;
    dir.dataEnd = cdStart;
    if (!ReadCentralRecords(file, dir, end, why)) return false;
    if (!CountAgrees(end, dir.entries.size())) {
        why = "the number of entries does not match the central directory";
        return false;
    }
    return EntriesApart(dir, why);
}

bool ReadLocalSpan(IReadFile& file, const ZipDirectory& dir, size_t index, LocalSpan& span, std::string& why) {
    const ZipEntry& e = dir.entries[index];
    // The header and the name it should hold, in one read (on the stack for
    // the usual lengths: extraction reads one per file).
    const std::string& raw = e.RawName();
    uint8_t small[kLocalSize + 512];
    std::vector<uint8_t> large;
    uint8_t* h = small;
    if (raw.size() > sizeof small - kLocalSize) {
        large.resize(kLocalSize + raw.size());
        h = large.data();
    }
    if (!ReadExact(file, e.localOffset, h, kLocalSize + raw.size()) || Get32(h) != kLocalSig) {
        why = "the local header is missing";
        return false;
    }
    size_t nameLen = Get16(h + 26), extraLen = Get16(h + 28);
    if (nameLen != raw.size() || std::memcmp(h + kLocalSize, raw.data(), nameLen) != 0) {
        why = "the name in the local header differs from the central directory's";
        return false;
    }
    span.dataOffset = e.localOffset + kLocalSize + nameLen + extraLen;
    const uint64_t limit = std::min(e.recordLimit, dir.dataEnd);
    if (span.dataOffset > limit || e.compressedSize > limit - span.dataOffset) {
        why = span.dataOffset <= dir.dataEnd && e.compressedSize <= dir.dataEnd - span.dataOffset
                  ? "the entry's data overlaps the next entry (a possible zip bomb)"
                  : "the entry's data runs past the end of the archive";
        return false;
    }
    uint64_t dataEnd = span.dataOffset + e.compressedSize;
    span.end = dataEnd;
    if (e.flags & kFlagDescriptor) {
        // Descriptor: optional signature, CRC, then 4- or 8-byte sizes.
        uint8_t d[24] = {};
        size_t avail = size_t(std::min<uint64_t>(sizeof d, limit - dataEnd));
        if (file.ReadAt(dataEnd, d, avail) != int64_t(avail)) { why = "the archive cannot be read"; return false; }
        bool localZip64 = false;
        if (extraLen > 0) {
            std::string extra(extraLen, '\0');
            if (ReadExact(file, e.localOffset + kLocalSize + nameLen, &extra[0], extraLen))
                ForEachExtra(extra, [&](uint16_t id, const uint8_t*, size_t) { if (id == 1) localZip64 = true; });
        }
        size_t sig = (avail >= 4 && Get32(d) == kDescriptorSig) ? 4 : 0;
        size_t len = sig + 4 + ((localZip64 || e.zip64) ? 16 : 8);
        if (len > avail) len = sig + 12 <= avail ? sig + 12 : avail;
        span.end = dataEnd + len;
    }
    return true;
}

std::string LocalRecord(const ZipEntry& e, bool zip64, const std::string& localExtra) {
    CByteWriter w;
    w.U32(kLocalSig);
    w.U16(e.versionNeeded);
    w.U16(e.flags);
    w.U16(e.method);
    w.U16(uint16_t(e.dosTime & 0xFFFF));
    w.U16(uint16_t(e.dosTime >> 16));
    w.U32(e.crc);
    w.U32(zip64 ? 0xFFFFFFFF : uint32_t(e.compressedSize));
    w.U32(zip64 ? 0xFFFFFFFF : uint32_t(e.size));
    w.U16(uint16_t(e.RawName().size()));
    std::string extra;
    if (zip64) {
        CByteWriter z;
        z.U16(0x0001);
        z.U16(16);
        z.U64(e.size);
        z.U64(e.compressedSize);
        extra = z.Data();
    }
    extra += localExtra;
    w.U16(uint16_t(extra.size()));
    w.Bytes(e.RawName());
    w.Bytes(extra);
    return std::move(w.Data());
}

std::string CentralRecord(const ZipEntry& e, uint64_t offset, const ZipLimits& limits) {
    const bool bigSize = e.size >= limits.field32, bigPacked = e.compressedSize >= limits.field32,
               bigOffset = offset >= limits.field32;
    std::string extra;
    if (bigSize || bigPacked || bigOffset) {
        CByteWriter z;
        z.U16(0x0001);
        z.U16(uint16_t(8 * (int(bigSize) + int(bigPacked) + int(bigOffset))));
        if (bigSize) z.U64(e.size);
        if (bigPacked) z.U64(e.compressedSize);
        if (bigOffset) z.U64(offset);
        extra = z.Data();
    }
    extra += e.extra;
    if (extra.size() > 0xFFFF) extra.resize(0xFFFF);
    uint16_t needed = e.versionNeeded;
    if (!extra.empty() && (bigSize || bigPacked || bigOffset) && needed < 45) needed = 45;
    CByteWriter w;
    w.U32(kCentralSig);
    w.U16(e.versionMadeBy);
    w.U16(needed);
    w.U16(e.flags);
    w.U16(e.method);
    w.U16(uint16_t(e.dosTime & 0xFFFF));
    w.U16(uint16_t(e.dosTime >> 16));
    w.U32(e.crc);
    w.U32(bigPacked ? 0xFFFFFFFF : uint32_t(e.compressedSize));
    w.U32(bigSize ? 0xFFFFFFFF : uint32_t(e.size));
    w.U16(uint16_t(e.RawName().size()));
    w.U16(uint16_t(extra.size()));
    w.U16(uint16_t(e.comment.size()));
    w.U16(0);
    w.U16(e.internalAttributes);
    w.U32(e.externalAttributes);
    w.U32(bigOffset ? 0xFFFFFFFF : uint32_t(offset));
    w.Bytes(e.RawName());
    w.Bytes(extra);
    w.Bytes(e.comment);
    return std::move(w.Data());
}

std::string EndRecords(uint64_t entries, uint64_t cdStart, uint64_t cdSize, const std::string& comment,
                       const ZipLimits& limits) {
    CByteWriter w;
    const bool manyEntries = entries >= limits.count16;
    const bool bigStart = cdStart >= limits.field32;
    const bool bigSize = cdSize >= limits.field32;
    const bool zip64 = manyEntries || bigStart || bigSize;
    if (zip64) {
        const uint64_t z64Pos = cdStart + cdSize;
        w.U32(kZip64EndSig);
        w.U64(kZip64EndSize - 12);
        w.U16(45);
        w.U16(45);
        w.U32(0);
        w.U32(0);
        w.U64(entries);
        w.U64(entries);
        w.U64(cdSize);
        w.U64(cdStart);
        w.U32(kZip64LocatorSig);
        w.U32(0);
        w.U64(z64Pos);
        w.U32(1);
    }
    w.U32(kEndSig);
    w.U16(0);
    w.U16(0);
    w.U16(manyEntries ? 0xFFFF : uint16_t(entries));
    w.U16(manyEntries ? 0xFFFF : uint16_t(entries));
    w.U32(bigSize ? 0xFFFFFFFF : uint32_t(cdSize));
    w.U32(bigStart ? 0xFFFFFFFF : uint32_t(cdStart));
    std::string c = comment.substr(0, 0xFFFF);
    w.U16(uint16_t(c.size()));
    w.Bytes(c);
    return std::move(w.Data());
}

}  // namespace zl
