#pragma once
// A stored (uncompressed) ZIP archive written byte by byte, for entry names
// the program's own engine would never write ("../../evil.txt").

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tb {

inline uint32_t Crc32Of(const std::string& data) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::string RawStoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    auto put16 = [](std::string& out, uint32_t v) {
        out += char(v & 0xFF);
        out += char((v >> 8) & 0xFF);
    };
    auto put32 = [&](std::string& out, uint32_t v) {
        put16(out, v & 0xFFFF);
        put16(out, v >> 16);
    };
    const uint32_t kDosTime = (12u << 11), kDosDate = ((2026u - 1980u) << 9) | (3u << 5) | 1u;
    std::string local, central;
    for (const auto& entry : entries) {
        const uint32_t offset = uint32_t(local.size());
        const uint32_t crc = Crc32Of(entry.second);
        put32(local, 0x04034b50);
        put16(local, 10);
        put16(local, 0);
        put16(local, 0);
        put16(local, kDosTime);
        put16(local, kDosDate);
        put32(local, crc);
        put32(local, uint32_t(entry.second.size()));
        put32(local, uint32_t(entry.second.size()));
        put16(local, uint32_t(entry.first.size()));
        put16(local, 0);
        local += entry.first + entry.second;

        put32(central, 0x02014b50);
        put16(central, 20);
        put16(central, 10);
        put16(central, 0);
        put16(central, 0);
        put16(central, kDosTime);
        put16(central, kDosDate);
        put32(central, crc);
        put32(central, uint32_t(entry.second.size()));
        put32(central, uint32_t(entry.second.size()));
        put16(central, uint32_t(entry.first.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, 0);
        put32(central, offset);
        central += entry.first;
    }
    std::string zip = local + central;
    put32(zip, 0x06054b50);
    put16(zip, 0);
    put16(zip, 0);
    put16(zip, uint32_t(entries.size()));
    put16(zip, uint32_t(entries.size()));
    put32(zip, uint32_t(central.size()));
    put32(zip, uint32_t(local.size()));
    put16(zip, 0);
    return zip;
}

}  // namespace tb
