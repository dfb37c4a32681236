#include "Numeric.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace palvenor {

namespace {

// Length of the longest prefix of s that reads as a decimal number with an
// optional sign, fraction and exponent; 0 when there is none.
std::size_t numberPrefixLength(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i;
}

// strtod under the C locale, so that "." is the decimal separator whatever
// locale the program runs in.
double readDecimal(const std::string& number) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(number.c_str(), nullptr, cLocale);
}

}  // namespace

double numericValue(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    const std::size_t length = numberPrefixLength(s);
    if (length == 0) return 0;
    const double value = readDecimal(s.substr(0, length));
    return std::isfinite(value) ? value : (value > 0 ? std::numeric_limits<double>::max()
                                                     : std::numeric_limits<double>::lowest());
}

std::int16_t toInt16(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lo = std::numeric_limits<std::int16_t>::min();
    constexpr double hi = std::numeric_limits<std::int16_t>::max();
    if (value <= lo) return std::numeric_limits<std::int16_t>::min();
    if (value >= hi) return std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::nearbyint(value));  // round half to even
}

}  // namespace palvenor
