#pragma once

// The 8-bit Windows ANSI code page (Windows-1252) the result items carry.

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace palvenor::ocr {

// The character a code stands for; codes the code page leaves unassigned
// (129, 141, 143, 144, 157) give U+FFFD.
char32_t fromCp1252(uint8_t code);

// The code of one character, or nullopt when the code page lacks it.
std::optional<uint8_t> toCp1252(char32_t character);

// The codes that best write text: each character by its own code; a
// character the code page lacks by its nearest form (a hyphen for the
// minus sign) or its compatibility decomposition with accents dropped (the
// ligature "ﬁ" becomes "f" "i"); "?" where that gives nothing.
std::vector<uint8_t> cp1252Codes(const QString& text);

}  // namespace palvenor::ocr
