#pragma once
// Small text helpers used across the program. Text is 8-bit (the program runs
// with the UTF-8 code page); case folding touches ASCII letters only, which is
// what the containment rules on paths and type lists need.

#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

namespace tb {

std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// True when `text` contains `part`, ignoring the case of ASCII letters.
bool ContainsNoCase(std::string_view text, std::string_view part);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args);

// Splits at every occurrence of `separator`; the text after the last separator
// is kept as a final piece only when `keepTail` is set.
std::vector<std::string> Split(std::string_view text, std::string_view separator, bool keepTail = true);

// Replaces every occurrence of `from` by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Copies `text` into a fixed buffer of `size` bytes, cutting it to size - 1.
void CopyToBuffer(char* buffer, size_t size, std::string_view text);

// Parses leading decimal digits the way the system's integer readers do
// (optional sign, digits; anything else ends the number; no digits = 0).
int LeadingInt(std::string_view text);

}  // namespace tb
