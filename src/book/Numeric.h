#pragma once

#include <QString>

#include <cstdint>

namespace palvenor {

// The numeric conversion used for every typed or stored number: leading
// blanks are skipped and the longest leading number is read ("12abc" is 12,
// "1e3" is 1000); text that does not start with a number counts as 0.
double numericValue(const QString& text);

// Page numbers, counts and offsets are signed 16-bit integers. Conversion
// rounds half to even; values outside the range are clamped to its ends, so
// a huge typed number means "beyond the last page" and never wraps around.
std::int16_t toInt16(double value);

inline std::int16_t int16Value(const QString& text) { return toInt16(numericValue(text)); }

// Booleans of the program: True is -1, False is 0.
constexpr int kTrue = -1;
constexpr int kFalse = 0;

}  // namespace palvenor
