#include "WordWriter.h"

#include "FormatRepairs.h"
#include "TextBoxWriter.h"
#include "frmOCR.h"

#include <QFontMetricsF>
#include <QString>

#include <algorithm>
#include <cmath>

namespace palvenor::ocr {

namespace {

constexpr int kMaxSpaces = 1000;

// The end of the words that share the line of words[start].
size_t endOfLine(const std::vector<Word>& words, size_t start) {
    size_t end = start + 1;
    while (end < words.size() && words[end].lineNo == words[start].lineNo) ++end;
    return end;
}

}  // namespace

WordWriter::WordWriter(TextBoxWriter& out, const std::optional<Layout>& layout,
                       const QFontMetricsF& metrics, const FormatOptions& options)
    : out_(out), layout_(layout), metrics_(metrics), options_(options),
      spaceWidth_(metrics.horizontalAdvance(u' ')) {}

void WordWriter::write(const std::vector<Word>& words) {
    if (words.empty()) return;
    blankLinesAbove(words.front().top);
    int referenceBottom = words.front().bottom;
    for (size_t start = 0; start < words.size();) {
        const size_t end = endOfLine(words, start);
        if (start > 0) blankLinesBetween(words[start].top - referenceBottom);
        referenceBottom = words[start].bottom;
        writeLine(std::span(words).subspan(start, end - start));
        start = end;
    }
}

// The space above the first line, one line break per line step begun.
void WordWriter::blankLinesAbove(int top) {
    if (!layout_ || options_.CollapseY || top <= layout_->P) return;
    for (; top > 0; top -= layout_->S) out_.lineBreak();
}

// A paragraph gap between lines: one line break per whole line step, or a
// single one with CollapseY.
void WordWriter::blankLinesBetween(int gap) {
    if (!layout_ || gap <= layout_->P) return;
    if (options_.CollapseY) {
        out_.lineBreak();
        return;
    }
    for (; gap >= layout_->S; gap -= layout_->S) out_.lineBreak();
}

void WordWriter::writeLine(std::span<const Word> line) {
    QString lineText;
    double lineWidth = 0;
    const Word* previous = nullptr;
    for (const Word& word : line) {
        const QString spaces(spacesBefore(word, previous, lineWidth), u' ');
        lineText += spaces;
        lineText += word.text;
        if (word.lowConfidence) {
            out_.write(spaces);
            out_.writeRed(word.text);
        } else {
            out_.write(spaces + word.text);
        }
        if (layout_) lineWidth = metrics_.horizontalAdvance(lineText);
        previous = &word;
    }
    if (endsSentence(lineText) || !options_.Absatz)
        out_.lineBreak();
    else
        out_.write(QStringLiteral(" "));
}

// One space between words, none before the first; a wide gap is filled with
// as many spaces as reach the word's place on the page, when that lies
// beyond the line's text so far.
int WordWriter::spacesBefore(const Word& word, const Word* previous, double lineWidth) const {
    const int usual = previous ? 1 : 0;
    if (!layout_) return usual;
    const int gap = previous ? word.left - previous->right : word.left;
    if (!(layout_->G * (word.right - word.left + 1) < gap)) return usual;
    const double target = double(std::lround(layout_->X * word.left - word.a));
    if (target <= lineWidth) return usual;
    const int fitting = int(std::min<double>(kMaxSpaces, std::floor((target - lineWidth) / spaceWidth_)));
    return fitting > 0 ? fitting : usual;
}

}  // namespace palvenor::ocr
