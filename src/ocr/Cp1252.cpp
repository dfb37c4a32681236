#include "Cp1252.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <array>
#include <utility>

namespace palvenor::ocr {
namespace {

constexpr char32_t kUnassigned = 0xFFFD;
constexpr uint8_t kQuestionMark = '?';

// Codes 128 to 159, where the code page differs from Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, kUnassigned, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, kUnassigned, 0x017D, kUnassigned,
    kUnassigned, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kUnassigned, 0x017E, 0x0178,
};

// Nearest forms of characters that have no decomposition to go by.
struct NearestForm {
    char32_t character;
    uint8_t code;
};
// The double hyphen of Fraktur print and its round r are written as a
// hyphen and an r.
constexpr std::array<NearestForm, 10> kNearestForms = {{
    {0x2010, '-'}, {0x2011, '-'}, {0x2012, '-'}, {0x2212, '-'}, {0x2E17, '-'},
    {0x2015, 0x97}, {0x2032, '\''}, {0x2033, '"'}, {0x2044, '/'}, {0xA75B, 'r'},
}};

bool isHighControl(char32_t character)
{
    return character >= 0x80 && character <= 0x9F;
}

std::optional<uint8_t> nearestForm(char32_t character)
{
    for (const NearestForm& form : kNearestForms)
        if (form.character == character)
            return form.code;
    return std::nullopt;
}

// Appends the codes of one character, falling back on its decomposition.
// Accents (combining marks) are dropped from letters; a symbol that needs
// its mark ("≠" is "=" struck through) has no nearest form.
void appendCodes(char32_t character, std::vector<uint8_t>* codes)
{
    if (const auto code = toCp1252(character)) {
        codes->push_back(*code);
        return;
    }
    if (const auto code = nearestForm(character)) {
        codes->push_back(*code);
        return;
    }
    const QList<uint> parts = QChar::decomposition(character).toUcs4();
    const bool marked = std::any_of(parts.begin(), parts.end(), [](uint part) { return QChar::isMark(part); });
    if (parts.isEmpty() || (marked && !QChar::isLetter(parts.front()))) {
        codes->push_back(kQuestionMark);
        return;
    }
    for (const char32_t part : parts)
        if (!QChar::isMark(part))
            appendCodes(part, codes);
}

// The small e that old print sets over a, o and u is the umlaut.
QString withUmlauts(QString text)
{
    static const std::pair<QString, QString> kUmlauts[] = {
        {QStringLiteral("a\u0364"), QStringLiteral("ä")}, {QStringLiteral("o\u0364"), QStringLiteral("ö")},
        {QStringLiteral("u\u0364"), QStringLiteral("ü")}, {QStringLiteral("A\u0364"), QStringLiteral("Ä")},
        {QStringLiteral("O\u0364"), QStringLiteral("Ö")}, {QStringLiteral("U\u0364"), QStringLiteral("Ü")},
    };
    for (const auto& [marked, umlaut] : kUmlauts)
        text.replace(marked, umlaut);
    return text;
}

}  // namespace

char32_t fromCp1252(uint8_t code)
{
    return isHighControl(code) ? kHighControls[code - 0x80] : char32_t(code);
}

std::optional<uint8_t> toCp1252(char32_t character)
{
    if (character < 0x100 && !isHighControl(character))
        return uint8_t(character);
    for (size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == character && character != kUnassigned)
            return uint8_t(0x80 + i);
    return std::nullopt;
}

std::vector<uint8_t> cp1252Codes(const QString& text)
{
    std::vector<uint8_t> codes;
    for (const char32_t character : withUmlauts(text).normalized(QString::NormalizationForm_C).toUcs4())
        if (!QChar::isMark(character))  // an accent that found no letter to join
            appendCodes(character, &codes);
    if (codes.empty() && !text.isEmpty())
        codes.push_back(kQuestionMark);
    return codes;
}

}  // namespace palvenor::ocr
