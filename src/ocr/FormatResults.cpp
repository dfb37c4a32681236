#include "FormatResults.h"

#include "FormatRepairs.h"
#include "Lexicon.h"
#include "LexiconText.h"
#include "TextBoxWriter.h"
#include "WordGathering.h"
#include "WordLayout.h"
#include "WordWriter.h"
#include "frmOCR.h"

#include <QFontMetricsF>
#include <QTextDocument>
#include <QTextEdit>

namespace palvenor::ocr {

namespace {

// Every character as it comes. A line end becomes a line break after the end
// of a sentence (or always, with Absatz off), else a space. A marked
// character is written in red as it is, a hyphen too.
void writeLetters(TextBoxWriter& out, const RepairedItems& items, const FormatOptions& options) {
    QString previous;
    for (int i = 0; i < items.count(); ++i) {
        const QString character(items.character(i));
        if (items.isLineEnd(i)) {
            if (endsSentence(previous) || !options.Absatz)
                out.lineBreak();
            else
                out.write(QStringLiteral(" "));
        } else if (items.isMarked(i)) {
            out.writeRed(character);
        } else if (items.isLineEndHyphen(i)) {
            ++i;  // the line end goes with the hyphen
        } else if (items.isCompoundHyphen(i)) {
            out.write(character);
            ++i;  // the compound goes on with the next line
        } else {
            out.write(character);
        }
        previous = character;
    }
}

// Word mode falls back to letter mode when the words cannot be measured.
void writeWords(TextBoxWriter& out, const RepairedItems& items, const QFontMetricsF& metrics,
                const FormatOptions& options, int resolutionFactor) {
    std::vector<Word> words = gatherWords(items);
    std::optional<Layout> layout;
    if (options.LeftMargin) {
        layout = measureLayout(words, metrics, options, resolutionFactor);
        if (!layout) {
            writeLetters(out, items, options);
            return;
        }
    }
    WordWriter(out, layout, metrics, options).write(words);
    out.removeTrailingLineBreak();
}

void writeRun(QTextEdit& box, bool append, const RepairedItems& items, const FormatOptions& options,
              int resolutionFactor) {
    const QFontMetricsF metrics(box.document()->defaultFont(), &box);
    TextBoxWriter out(box, append);
    if (options.Format)
        writeWords(out, items, metrics, options, resolutionFactor);
    else
        writeLetters(out, items, options);
}

}  // namespace

void FormatResults(frmOCR& window, const Results& results, const FormatOptions& options,
                   int resolutionFactor) {
    const RepairedItems items(results, options);
    if (items.count() < 1) return;
    window.changeTextByProgram([&] {
        writeRun(*window.RTF0, window.AppendNext, items, options, resolutionFactor);
        if (options.Lexikon) ApplyLexicon(window);
    });
}

QString formattedText(QTextEdit& box, const Results& results, const FormatOptions& options,
                      int resolutionFactor, const QString& lexicon) {
    box.clear();
    const RepairedItems items(results, options);
    if (items.count() < 1) return {};
    writeRun(box, false, items, options, resolutionFactor);
    if (options.Lexikon && lexicon.contains(u'|'))
        applyLexicon(*box.document(), lexicon, box.textCursor());
    return box.toPlainText();
}

}  // namespace palvenor::ocr
