#include "FormatRepairs.h"

#include "Cp1252.h"
#include "frmOCR.h"

#include <algorithm>

namespace palvenor::ocr {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool isLetter(QChar c) { return c.toUpper() != c.toLower() && !isDigit(c); }

}  // namespace

RepairedItems::RepairedItems(const Results& results, const FormatOptions& options)
    : items_(results.items), options_(options),
      count_(std::clamp(results.header.NumItems, 0, int(results.items.size()))) {}

uint8_t RepairedItems::code(int i) const {
    const auto raw = uint8_t(item(i).OCRCha);
    if (!options_.Klammern) return raw;
    switch (raw) {
    case '{':
    case '[': return '(';
    case '}':
    case ']': return ')';
    default: return raw;
    }
}

QChar RepairedItems::character(int i) const { return QChar(char16_t(fromCp1252(code(i)))); }

bool RepairedItems::isMarked(int i) const {
    const float confidence = item(i).Confidence;
    return confidence > 0 && confidence < options_.Schwelle;
}

bool RepairedItems::isLineEndHyphen(int i) const {
    return options_.Absatz && code(i) == '-' && (i + 1 == count_ || isLineEnd(i + 1));
}

bool RepairedItems::takesNumberHyphen(int i) const {
    const QChar lookAhead = i < count_ - 2 ? character(i + 1) : QChar(u'0');
    return options_.Zahlwort && isDigit(character(i)) && isLetter(lookAhead);
}

bool endsSentence(const QString& text) {
    return text.isEmpty() || QStringView(u".!?1234567890)").contains(text.back());
}

}  // namespace palvenor::ocr
