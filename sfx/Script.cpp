#include "sfx/Script.h"

#include <cstdlib>

namespace tb::sfx {

namespace {

constexpr char kHeader[] = "TBSCRIPT 1";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A decimal number filling all of `text`, within [min, max].
bool ParseDecimal(const std::string& text, long long min, long long max, long long& value) {
    if (text.empty() || text.size() > 12) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    if (text[0] == '-') v = -v;
    if (v < min || v > max) return false;
    value = v;
    return true;
}

}  // namespace

std::string EscapeScriptText(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 8);
    for (unsigned char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += char(c);
            }
        }
    }
    return out;
}

bool UnescapeScriptText(const std::string& escaped, std::string& text) {
    text.clear();
    text.reserve(escaped.size());
    for (size_t i = 0; i < escaped.size(); ++i) {
        char c = escaped[i];
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == escaped.size()) return false;
        switch (escaped[i]) {
        case '\\': text += '\\'; break;
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case 'x': {
            if (i + 2 >= escaped.size()) return false;
            int high = HexValue(escaped[i + 1]), low = HexValue(escaped[i + 2]);
            if (high < 0 || low < 0) return false;
            text += char(high << 4 | low);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return true;
}

ScriptProperty& CScript::Slot(uint32_t id) {
    for (ScriptProperty& p : m_properties)
        if (p.id == id) return p;
    m_properties.push_back(ScriptProperty{});
    m_properties.back().id = id;
    return m_properties.back();
}

const ScriptProperty* CScript::Find(uint32_t id) const {
    for (const ScriptProperty& p : m_properties)
        if (p.id == id) return &p;
    return nullptr;
}

void CScript::SetNumber(uint32_t id, int32_t value) {
    ScriptProperty& p = Slot(id);
    p.kind = ScriptProperty::Kind::Number;
    p.number = value;
    p.text.clear();
}

void CScript::SetText(uint32_t id, const std::string& value) {
    ScriptProperty& p = Slot(id);
    p.kind = ScriptProperty::Kind::Text;
    p.number = 0;
    p.text = value;
}

std::optional<int32_t> CScript::Number(uint32_t id) const {
    const ScriptProperty* p = Find(id);
    if (!p || p->kind != ScriptProperty::Kind::Number) return std::nullopt;
    return p->number;
}

std::optional<std::string> CScript::Text(uint32_t id) const {
    const ScriptProperty* p = Find(id);
    if (!p || p->kind != ScriptProperty::Kind::Text) return std::nullopt;
    return p->text;
}

std::string CScript::Serialize() const {
    std::string out = kHeader;
    out += "\r\n";
    for (const ScriptProperty& p : m_properties) {
        if (p.kind == ScriptProperty::Kind::Number) {
            out += "N " + std::to_string(p.id) + " " + std::to_string(p.number);
        } else {
            out += "T " + std::to_string(p.id) + " " + EscapeScriptText(p.text);
        }
        out += "\r\n";
    }
    return out;
}

bool CScript::Parse(const std::string& text, std::string& why) {
    m_properties.clear();
    size_t pos = 0, lineNo = 0;
    bool sawHeader = false;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!sawHeader) {
            if (line != kHeader) {
                why = "not a self-extractor script";
                return false;
            }
            sawHeader = true;
            continue;
        }
        if (line.empty()) continue;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (line.size() < 4 || (line[0] != 'N' && line[0] != 'T') || line[1] != ' ') {
            why = where + "unknown kind of property";
            return false;
        }
        size_t space = line.find(' ', 2);
        long long id = 0;
        if (space == std::string::npos || !ParseDecimal(line.substr(2, space - 2), 0, 0xFFFFFFFFll, id)) {
            why = where + "bad property id";
            return false;
        }
        const std::string value = line.substr(space + 1);
        if (line[0] == 'N') {
            long long number = 0;
            if (!ParseDecimal(value, INT32_MIN, INT32_MAX, number)) {
                why = where + "bad number";
                return false;
            }
            SetNumber(uint32_t(id), int32_t(number));
        } else {
            std::string unescaped;
            if (!UnescapeScriptText(value, unescaped)) {
                why = where + "bad escape in text";
                return false;
            }
            SetText(uint32_t(id), unescaped);
        }
    }
    if (!sawHeader) {
        why = "not a self-extractor script";
        return false;
    }
    return true;
}

}  // namespace tb::sfx
