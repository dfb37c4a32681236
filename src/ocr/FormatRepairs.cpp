#include "FormatRepairs.h"

#include "Cp1252.h"
#include "frmOCR.h"

#include <QStringList>

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

// German divides a word at a line end only where it goes on in small
// letters. A capital letter or a digit on the next line means a compound
// written with a hyphen, and a conjunction there means a word left
// unfinished on purpose ("Ein-" / "und Ausgang"): both keep the hyphen.
RepairedItems::LineEndDash RepairedItems::lineEndDash(int i) const {
    if (!options_.Absatz || code(i) != '-') return LineEndDash::None;
    if (i + 1 == count_) return LineEndDash::Division;
    if (!isLineEnd(i + 1)) return LineEndDash::None;
    const QString next = firstWordFrom(i + 2);
    if (next.isEmpty()) return LineEndDash::Division;
    if (next.front().isUpper() || isDigit(next.front())) return LineEndDash::Compound;
    static const QStringList kConjunctions{QStringLiteral("und"), QStringLiteral("oder"), QStringLiteral("bis"),
                                           QStringLiteral("sowie")};
    QString word = next;
    while (!word.isEmpty() && !isLetter(word.back())) word.chop(1);
    return kConjunctions.contains(word) ? LineEndDash::Kept : LineEndDash::Division;
}

QString RepairedItems::firstWordFrom(int i) const {
    while (i < count_ && isSpace(i)) ++i;
    QString word;
    for (; i < count_ && !isSpace(i) && !isLineEnd(i); ++i) word += character(i);
    return word;
}

bool RepairedItems::isLineEndHyphen(int i) const { return lineEndDash(i) == LineEndDash::Division; }

bool RepairedItems::isCompoundHyphen(int i) const { return lineEndDash(i) == LineEndDash::Compound; }

bool RepairedItems::takesNumberHyphen(int i) const {
    const QChar lookAhead = i < count_ - 2 ? character(i + 1) : QChar(u'0');
    return options_.Zahlwort && isDigit(character(i)) && isLetter(lookAhead);
}

bool endsSentence(const QString& text) {
    return text.isEmpty() || QStringView(u".!?1234567890)").contains(text.back());
}

}  // namespace palvenor::ocr
