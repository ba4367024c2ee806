#include "sfx/ZipRelocation.h"

#include <algorithm>

namespace tb::sfx {

namespace {

constexpr size_t kCentralFixed = 46;
constexpr size_t kEndFixed = 22;
constexpr size_t kLocatorSize = 20;
constexpr size_t kZip64EndFixed = 56;
constexpr uint32_t kNoOffset = 0xFFFFFFFF;

const uint8_t* Bytes(const std::string& s, size_t at = 0) { return reinterpret_cast<const uint8_t*>(s.data() + at); }
uint8_t* Bytes(std::string& s, size_t at = 0) { return reinterpret_cast<uint8_t*>(&s[at]); }

// One central record with its local header offset set to `offset`.
bool RelocateRecord(const std::string& record, uint64_t offset, std::string& out, std::string& why) {
    const uint8_t* p = Bytes(record);
    const size_t nameLen = zl::Get16(p + 28), extraLen = zl::Get16(p + 30);
    const bool bigSize = zl::Get32(p + 24) == kNoOffset, bigPacked = zl::Get32(p + 20) == kNoOffset;
    const bool offsetInZip64 = zl::Get32(p + 42) == kNoOffset;
    std::string r = record;
    // Where the offset sits in the ZIP64 field, when the record keeps it there.
    const size_t extraAt = kCentralFixed + nameLen;
    size_t zip64At = std::string::npos, zip64Size = 0;
    for (size_t pos = extraAt; pos + 4 <= extraAt + extraLen;) {
        const uint16_t id = zl::Get16(p + pos), size = zl::Get16(p + pos + 2);
        if (pos + 4 + size > extraAt + extraLen) break;
        if (id == 0x0001) {
            zip64At = pos;
            zip64Size = size;
            break;
        }
        pos += 4 + size;
    }
    const size_t offsetField = 8 * (size_t(bigSize) + size_t(bigPacked));
    if (offsetInZip64) {
        if (zip64At == std::string::npos || zip64Size < offsetField + 8) {
            why = "a ZIP64 field lacks its offset";
            return false;
        }
        zl::Put64(Bytes(r, zip64At + 4 + offsetField), offset);
    } else if (offset < kNoOffset) {
        zl::Put32(Bytes(r, 42), uint32_t(offset));
    } else {
        // The offset no longer fits: it moves into the ZIP64 field, which is
        // made when the record has none, and grows by eight bytes otherwise.
        std::string value(8, '\0');
        zl::Put64(Bytes(value), offset);
        if (zip64At != std::string::npos) {
            if (zip64Size < offsetField) {
                why = "a ZIP64 field lacks its sizes";
                return false;
            }
            r.insert(zip64At + 4 + offsetField, value);
            zl::Put16(Bytes(r, zip64At + 2), uint16_t(zip64Size + 8));
            if (zip64Size + 8 > 0xFFFF) { why = "a ZIP64 field is too long"; return false; }
        } else {
            std::string field(4, '\0');
            zl::Put16(Bytes(field), 0x0001);
            zl::Put16(Bytes(field, 2), 8);
            r.insert(extraAt, field + value);
        }
        if (extraLen + 12 > 0xFFFF) {
            why = "an entry's extra fields are too long";
            return false;
        }
        zl::Put16(Bytes(r, 30), uint16_t(extraLen + (zip64At != std::string::npos ? 8 : 12)));
        zl::Put32(Bytes(r, 42), kNoOffset);
        if (zl::Get16(Bytes(r, 6)) < 45) zl::Put16(Bytes(r, 6), 45);
    }
    out += r;
    return true;
}

}  // namespace

bool ReadZipTail(zl::IReadFile& file, const zl::ZipDirectory& dir, ZipTail& tail, std::string& why) {
    tail = ZipTail();
    const uint64_t size = file.Size();
    if (dir.centralStart > size) {
        why = "the central directory lies past the end";
        return false;
    }
    std::string rest(size_t(size - dir.centralStart), '\0');
    if (!rest.empty() && file.ReadAt(dir.centralStart, &rest[0], rest.size()) != int64_t(rest.size())) {
        why = "the archive cannot be read";
        return false;
    }
    tail.centralStart = dir.centralStart;
    tail.dataStart = dir.centralStart;
    size_t pos = 0;
    for (const zl::ZipEntry& e : dir.entries) {
        if (rest.size() - pos < kCentralFixed || zl::Get32(Bytes(rest, pos)) != zl::kCentralSig) {
            why = "the central directory is damaged";
            return false;
        }
        const uint8_t* p = Bytes(rest, pos);
        const size_t length = kCentralFixed + zl::Get16(p + 28) + zl::Get16(p + 30) + zl::Get16(p + 32);
        if (rest.size() - pos < length) {
            why = "the central directory is damaged";
            return false;
        }
        tail.localOffsets.push_back(e.localOffset);
        tail.dataStart = std::min(tail.dataStart, e.localOffset);
        pos += length;
    }
    tail.central = rest.substr(0, pos);
    // The end records follow the directory: optionally the ZIP64 end record and
    // its locator, then the end record with the comment.
    if (rest.size() - pos >= kZip64EndFixed && zl::Get32(Bytes(rest, pos)) == zl::kZip64EndSig) {
        const uint64_t length = zl::Get64(Bytes(rest, pos + 4)) + 12;
        if (length < kZip64EndFixed || length > rest.size() - pos) {
            why = "the ZIP64 end record is damaged";
            return false;
        }
        tail.zip64End = rest.substr(pos, size_t(length));
        pos += size_t(length);
        if (rest.size() - pos < kLocatorSize || zl::Get32(Bytes(rest, pos)) != zl::kZip64LocatorSig) {
            why = "the ZIP64 locator is missing";
            return false;
        }
        pos += kLocatorSize;
    }
    if (rest.size() - pos < kEndFixed || zl::Get32(Bytes(rest, pos)) != zl::kEndSig) {
        why = "unexpected data behind the central directory";
        return false;
    }
    const size_t commentLen = zl::Get16(Bytes(rest, pos + 20));
    tail.comment = rest.substr(pos + kEndFixed, std::min(commentLen, rest.size() - pos - kEndFixed));
    return true;
}

bool RelocatedTail(const ZipTail& tail, uint64_t newDataStart, std::string& out, std::string& why) {
    out.clear();
    const uint64_t newCentralStart = newDataStart + (tail.centralStart - tail.dataStart);
    size_t pos = 0;
    for (uint64_t old : tail.localOffsets) {
        const uint8_t* p = Bytes(tail.central, pos);
        const size_t length = kCentralFixed + zl::Get16(p + 28) + zl::Get16(p + 30) + zl::Get16(p + 32);
        if (!RelocateRecord(tail.central.substr(pos, length), old - tail.dataStart + newDataStart, out, why))
            return false;
        pos += length;
    }
    const uint64_t entries = tail.localOffsets.size();
    const uint64_t centralSize = out.size();
    const bool zip64 = !tail.zip64End.empty() || entries >= 0xFFFF || newCentralStart >= kNoOffset ||
                       centralSize >= kNoOffset;
    if (zip64) {
        std::string record = tail.zip64End;
        if (record.empty()) {
            record.assign(kZip64EndFixed, '\0');
            zl::Put32(Bytes(record), zl::kZip64EndSig);
            zl::Put64(Bytes(record, 4), kZip64EndFixed - 12);
            zl::Put16(Bytes(record, 12), 45);
            zl::Put16(Bytes(record, 14), 45);
            zl::Put64(Bytes(record, 24), entries);
            zl::Put64(Bytes(record, 32), entries);
        }
        zl::Put64(Bytes(record, 40), centralSize);
        zl::Put64(Bytes(record, 48), newCentralStart);
        std::string locator(kLocatorSize, '\0');
        zl::Put32(Bytes(locator), zl::kZip64LocatorSig);
        zl::Put64(Bytes(locator, 8), newCentralStart + centralSize);
        zl::Put32(Bytes(locator, 16), 1);
        out += record + locator;
    }
    std::string end(kEndFixed, '\0');
    const uint16_t count16 = entries >= 0xFFFF ? 0xFFFF : uint16_t(entries);
    zl::Put32(Bytes(end), zl::kEndSig);
    zl::Put16(Bytes(end, 8), count16);
    zl::Put16(Bytes(end, 10), count16);
    zl::Put32(Bytes(end, 12), centralSize >= kNoOffset ? kNoOffset : uint32_t(centralSize));
    zl::Put32(Bytes(end, 16), newCentralStart >= kNoOffset ? kNoOffset : uint32_t(newCentralStart));
    const std::string comment = tail.comment.substr(0, 0xFFFF);
    zl::Put16(Bytes(end, 20), uint16_t(comment.size()));
    out += end + comment;
    return true;
}

}  // namespace tb::sfx
