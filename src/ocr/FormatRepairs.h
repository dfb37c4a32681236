#pragma once

// The recognised characters as the formatter reads them, with the repairs
// both formatting modes make to German text.

#include "OcrRecords.h"

#include <QChar>
#include <QString>

#include <cstdint>
#include <vector>

namespace palvenor::ocr {

struct FormatOptions;

class RepairedItems {
public:
    RepairedItems(const Results& results, const FormatOptions& options);

    // The header's item count, as far as items are there.
    int count() const { return count_; }
    const ResultsItem& item(int i) const { return items_[size_t(i)]; }

    // The character of item i, brackets unified when Klammern is on.
    QChar character(int i) const;
    bool isLineEnd(int i) const { return code(i) == kLineEnd; }
    bool isSpace(int i) const { return code(i) == kSpace; }

    // Recognised with a confidence above 0 and below the threshold.
    bool isMarked(int i) const;
    // With Absatz on: item i is a hyphen at a line end that divides a word,
    // dropped together with the line end that follows it (or the last item),
    // so that the word goes on with the next line.
    bool isLineEndHyphen(int i) const;
    // With Absatz on: item i is a hyphen at a line end that belongs to a
    // compound, the next line beginning with a capital letter or a digit
    // ("Garten-" / "Ausstellungen"). The hyphen stays; the line end after it
    // is dropped, so that the compound goes on with the next line.
    bool isCompoundHyphen(int i) const;
    // With Zahlwort on: item i is a digit glued to a following letter and
    // gets a hyphen behind it. The last two items look ahead at "0".
    bool takesNumberHyphen(int i) const;

private:
    // What a hyphen at a line end, item i, stands for.
    enum class LineEndDash { None, Division, Compound, Kept };
    LineEndDash lineEndDash(int i) const;
    // The characters of the first word of the line that begins at item i.
    QString firstWordFrom(int i) const;

    // The Windows-1252 code of item i (the low byte of OCRCha), brackets
    // unified when Klammern is on.
    uint8_t code(int i) const;

    const std::vector<ResultsItem>& items_;
    const FormatOptions& options_;
    int count_;
};

// Whether a line end behind text keeps its line break rather than joining
// the next line: after ".", "!", "?", a digit or ")", and behind no text.
bool endsSentence(const QString& text);

}  // namespace palvenor::ocr
