#pragma once
// The texts and pictures of the extractor's screens and messages, from the
// script the program carries, with texts of its own where the script has none.

#include <string>

#include "sfx/WideText.h"

#include "sfx/Payload.h"

namespace tb::sfx {

class CStubTexts {
public:
    CStubTexts() = default;
    explicit CStubTexts(const Payload* payload) : m_payload(payload) {}

    // A group is shown unless its number is 0; one the script lacks is shown.
    bool Shown(uint32_t group) const;
    WideString Title(uint32_t group) const;
    WideString Message(uint32_t group) const;
    WideString Text(uint32_t id, const char* fallback) const;
    // The bitmap file's contents when the group shows one that the program carries.
    const std::string* Picture(uint32_t group) const;
    int Number(uint32_t id, int fallback) const;

private:
    const Payload* m_payload = nullptr;
};

}  // namespace tb::sfx
