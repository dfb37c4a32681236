#pragma once

// Turns the recogniser's lines, words and symbols into the result items of
// the engine: one item per Windows-1252 character, a space between words,
// a line end after each line, in reading order, with the boxes on the
// clipboard picture.

#include "OcrRecords.h"
#include "PageGeometry.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <vector>

namespace palvenor::ocr {

// Boxes are on the prepared page; confidences run from 0 to 1.
struct RecognisedSymbol {
    QString text;
    QRect box;
    float confidence = 0;
};

struct RecognisedWord {
    QRect box;
    std::vector<RecognisedSymbol> symbols;
};

struct RecognisedLine {
    QRect box;
    std::vector<RecognisedWord> words;
};

// What the collector leaves out.
struct ItemRules {
    bool rejectCharacters = true;       // drop poorly recognised characters
    bool rejectLines = true;            // drop lines of rubbish
    std::array<bool, 256> disabled{};   // codes never to produce
};

// Confidence limits of the reject rules: a character below kPoorCharacter
// is poor, a line whose characters average below kRubbishLine is rubbish.
constexpr float kPoorCharacter = 0.25f;
constexpr float kRubbishLine = 0.45f;

// The mean confidence of all symbols of the lines; 0 without any.
float confidenceOf(const std::vector<RecognisedLine>& lines);

// The results of one job; the header carries the picture's resolution in
// pixels per inch.
Results collectResults(const std::vector<RecognisedLine>& lines, const ItemRules& rules,
                       const PageGeometry& geometry, QSize pixelsPerInch);

}  // namespace palvenor::ocr
