#pragma once

// Word mode, first step: the recognised characters gathered into words.

#include <QString>

#include <vector>

namespace palvenor::ocr {

class RepairedItems;

struct Word {
    QString text;        // the characters after the repairs
    int lineNo = 0;      // the line ends of the results before it
    // The box of the items that form the word, in image pixels; right and
    // bottom are the last pixels inside.
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    double a = 0;        // A space of its first character in the display font, once measured
    bool lowConfidence = false;  // one of its characters is marked
    float confidence = 1;        // the lowest confidence of its characters, 0..1
};

// Spaces and line ends part the words. A hyphen at a line end is dropped with
// the line end, so the word goes on with the next line and keeps its line.
std::vector<Word> gatherWords(const RepairedItems& items);

}  // namespace palvenor::ocr
