#include "sfx/Payload.h"

#include <cstring>

namespace tb::sfx {

namespace {

constexpr char kMagic[8] = {'T', 'B', 'S', 'F', 'X', 'P', 'L', '1'};

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char(v >> (8 * i));
}

// Reads the block front to back; every read is checked against its end.
class CBlockReader {
public:
    explicit CBlockReader(const std::string& data) : m_data(data) {}
    bool U32(uint32_t& v) {
        if (m_data.size() - m_pos < 4) return false;
        const auto* p = reinterpret_cast<const uint8_t*>(m_data.data() + m_pos);
        v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        m_pos += 4;
        return true;
    }
    bool Bytes(std::string& out) {
        uint32_t size = 0;
        if (!U32(size) || m_data.size() - m_pos < size) return false;
        out.assign(m_data, m_pos, size);
        m_pos += size;
        return true;
    }
    void Skip(size_t n) { m_pos += n; }
    bool AtEnd() const { return m_pos == m_data.size(); }

private:
    const std::string& m_data;
    size_t m_pos = 0;
};

}  // namespace

std::string EncodePayload(const Payload& payload) {
    std::string body;
    const std::string script = payload.script.Serialize();
    PutU32(body, uint32_t(script.size()));
    body += script;
    PutU32(body, uint32_t(payload.files.size()));
    for (const auto& [name, data] : payload.files) {
        PutU32(body, uint32_t(name.size()));
        body += name;
        PutU32(body, uint32_t(data.size()));
        body += data;
    }
    std::string out(kMagic, sizeof kMagic);
    PutU32(out, uint32_t(sizeof kMagic + 4 + body.size()));
    return out + body;
}

uint32_t PayloadSize(const std::string& header) {
    if (header.size() < kPayloadHeaderSize || std::memcmp(header.data(), kMagic, sizeof kMagic) != 0) return 0;
    const auto* p = reinterpret_cast<const uint8_t*>(header.data() + 8);
    const uint32_t size = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return size >= kPayloadHeaderSize && size <= kMaxPayloadSize ? size : 0;
}

bool DecodePayload(const std::string& block, Payload& payload, std::string& why) {
    payload = Payload();
    if (PayloadSize(block) != block.size()) {
        why = "the program carries no script";
        return false;
    }
    CBlockReader reader(block);
    reader.Skip(kPayloadHeaderSize);
    std::string script;
    uint32_t count = 0;
    if (!reader.Bytes(script) || !reader.U32(count)) {
        why = "the script block is damaged";
        return false;
    }
    if (!payload.script.Parse(script, why)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name, data;
        if (!reader.Bytes(name) || !reader.Bytes(data)) {
            why = "the script block is damaged";
            return false;
        }
        payload.files[name] = std::move(data);
    }
    if (!reader.AtEnd()) {
        why = "the script block is damaged";
        return false;
    }
    return true;
}

}  // namespace tb::sfx
