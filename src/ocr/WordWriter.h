#pragma once

// Word mode, last step: the words written into the text box line by line.

#include "WordLayout.h"

#include <optional>
#include <span>
#include <vector>

class QFontMetricsF;
class QString;

namespace palvenor::ocr {

class TextBoxWriter;
struct FormatOptions;

// With a layout each word keeps its place on the page: a wide gap before it
// becomes as many spaces as reach its position, a high gap above a line
// becomes blank lines. Without one the words flow, one space apart. A line
// ends in a line break after the end of a sentence (or always, with Absatz
// off), else in a space that joins it to the next line.
class WordWriter {
public:
    WordWriter(TextBoxWriter& out, const std::optional<Layout>& layout, const QFontMetricsF& metrics,
               const FormatOptions& options);

    void write(const std::vector<Word>& words);

private:
    void blankLinesAbove(int top);
    void blankLinesBetween(int gap);
    void writeLine(std::span<const Word> line);
    int spacesBefore(const Word& word, const Word* previous, double lineWidth) const;

    TextBoxWriter& out_;
    const std::optional<Layout>& layout_;
    const QFontMetricsF& metrics_;
    const FormatOptions& options_;
    double spaceWidth_;
};

}  // namespace palvenor::ocr
