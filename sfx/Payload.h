#pragma once
// What a self-extracting program carries between its own image and the ZIP
// archive: the property script and the pictures its screens show (the bitmap
// files the script names, keyed by the name as the script gives it).
//
//   "TBSFXPL1", u32 total size (this header included), u32 script size, the
//   script text, u32 file count, and per file: u32 name size, the name, u32 data
//   size, the data. Numbers are little-endian.

#include <cstdint>
#include <map>
#include <string>

#include "sfx/Script.h"

namespace tb::sfx {

struct Payload {
    CScript script;
    std::map<std::string, std::string> files;
};

constexpr size_t kPayloadHeaderSize = 12;
constexpr uint32_t kMaxPayloadSize = 64u << 20;

std::string EncodePayload(const Payload& payload);
// The total size of the block from its first kPayloadHeaderSize bytes; 0 when
// they are not the start of one.
uint32_t PayloadSize(const std::string& header);
bool DecodePayload(const std::string& block, Payload& payload, std::string& why);

}  // namespace tb::sfx
