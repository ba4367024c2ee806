#pragma once
// The property script of a self-extracting program: numbered properties, each a
// number or a text, in the order they were first set. Setting an id again
// replaces its value in place. Ids the builder does not know are kept.
//
// On disk it is a text file of ours:
//     TBSCRIPT 1
//     N 403 1
//     T 70601 Archive of April 01 2001
// one property a line: its kind (N number, T text), its id and its value. In
// text values a backslash starts an escape (\\ \n \r \t, \xHH for any other
// control byte), so every text, line breaks and NUL bytes included, reads back
// exactly as it was set. Other bytes (UTF-8 included) are written as they are.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tb::sfx {

struct ScriptProperty {
    enum class Kind { Number, Text };
    uint32_t id = 0;
    Kind kind = Kind::Number;
    int32_t number = 0;
    std::string text;
};

class CScript {
public:
    void SetNumber(uint32_t id, int32_t value);
    void SetText(uint32_t id, const std::string& value);
    // The value of a property of that kind; none when the id is missing or of
    // the other kind.
    std::optional<int32_t> Number(uint32_t id) const;
    std::optional<std::string> Text(uint32_t id) const;
    int32_t NumberOr(uint32_t id, int32_t fallback) const { return Number(id).value_or(fallback); }
    std::string TextOr(uint32_t id, const std::string& fallback) const { return Text(id).value_or(fallback); }

    const std::vector<ScriptProperty>& Properties() const { return m_properties; }
    bool Empty() const { return m_properties.empty(); }

    std::string Serialize() const;
    // Reads the text form; false (with a reason) for anything that is not one.
    bool Parse(const std::string& text, std::string& why);

private:
    ScriptProperty& Slot(uint32_t id);
    const ScriptProperty* Find(uint32_t id) const;

    std::vector<ScriptProperty> m_properties;
};

// The escaping of text values, on its own.
std::string EscapeScriptText(const std::string& text);
bool UnescapeScriptText(const std::string& escaped, std::string& text);

}  // namespace tb::sfx
