#include "WordGathering.h"

#include "FormatRepairs.h"

#include <algorithm>
#include <utility>

namespace palvenor::ocr {

namespace {

void extendBox(Word& word, const ResultsItem& item) {
    const int left = item.XPos;
    const int right = item.XPos + item.XDim - 1;
    const int top = item.YPos;
    const int bottom = item.YPos + item.YDim - 1;
    if (word.text.isEmpty()) {
        word.left = left;
        word.right = right;
        word.top = top;
        word.bottom = bottom;
        return;
    }
    word.left = std::min(word.left, left);
    word.right = std::max(word.right, right);
    word.top = std::min(word.top, top);
    word.bottom = std::max(word.bottom, bottom);
}

void addCharacter(Word& word, const RepairedItems& items, int i, int line) {
    extendBox(word, items.item(i));
    word.text += items.character(i);
    if (items.takesNumberHyphen(i)) word.text += u'-';
    word.lineNo = line;
    if (items.isMarked(i)) word.lowConfidence = true;
    word.confidence = std::min(word.confidence, items.item(i).Confidence);
}

}  // namespace

std::vector<Word> gatherWords(const RepairedItems& items) {
    std::vector<Word> words;
    Word word;
    int line = 0;
    for (int i = 0; i < items.count(); ++i) {
        if (items.isLineEndHyphen(i)) {
            ++i;  // the line end goes with the hyphen
        } else if (items.isCompoundHyphen(i)) {
            addCharacter(word, items, i, line);
            ++i;  // the compound goes on with the next line
        } else if (items.isSpace(i) || items.isLineEnd(i)) {
            if (!word.text.isEmpty()) words.push_back(std::exchange(word, Word{}));
            if (items.isLineEnd(i)) ++line;
        } else {
            addCharacter(word, items, i, line);
        }
    }
    if (!word.text.isEmpty()) words.push_back(std::move(word));
    return words;
}

}  // namespace palvenor::ocr
