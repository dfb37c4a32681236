// How long formatting takes for a short and a long recognition, in word mode
// with the page layout reproduced, as after an OCR job.

#include "BenchTools.h"
#include "FormatResults.h"
#include "Prompter.h"
#include "frmOCR.h"

#include <QStringList>

#include <cstdio>

namespace palvenor::bench {

namespace {

// A page of German text as the engine delivers it: lines of about 60
// characters, 10 pixels a character, words drawn from a short list by a
// fixed sequence, some uncertain, some indented lines and blank lines.
ocr::Results pageOf(int itemCount)
{
    const QStringList words = QStringLiteral("Die Silben- Wörter 3fach gelesen (Seite 12). und Straße zurück.")
                                  .split(u' ');
    uint32_t sequence = 1;
    const auto draw = [&](uint32_t range) {
        sequence = sequence * 1103515245u + 12345u;
        return (sequence >> 16) % range;
    };
    ocr::Results results;
    int x = 0;
    int y = 0;
    const auto add = [&](char16_t character, float confidence) {
        ocr::ResultsItem item;
        item.OCRCha = int16_t(character);
        item.Confidence = confidence;
        item.XPos = int16_t(x);
        item.YPos = int16_t(y);
        item.XDim = 10;
        item.YDim = 20;
        results.items.push_back(item);
        x += 10;
    };
    while (int(results.items.size()) < itemCount) {
        const float confidence = draw(12) == 0 ? 0.5f : 0.95f;
        for (QChar c : words[int(draw(uint32_t(words.size())))]) add(c.unicode(), confidence);
        const bool lineEnd = x > 600;
        add(lineEnd ? ocr::kLineEnd : ocr::kSpace, 0.95f);
        if (lineEnd) {
            x = draw(6) == 0 ? 40 : 0;
            y = (y + (draw(10) == 0 ? 90 : 30)) % 30000;
        }
    }
    results.items.resize(size_t(itemCount));
    results.header.NumItems = itemCount;
    return results;
}

}  // namespace

// A run takes milliseconds, so the figures take ten times the runs of the
// page figures.
void formatFigures(int runs)
{
    NoQuestions prompter{"formatting"};
    ocr::frmOCR window(prompter);
    ocr::FormatOptions options;
    options.Lexikon = false;
    const auto timeFormatting = [&](int itemCount) {
        const ocr::Results results = pageOf(itemCount);
        return bestOfMs(10 * runs, [&] { ocr::FormatResults(window, results, options, 300 * 39); });
    };
    const double thousand = timeFormatting(1000);
    const double fiveThousand = timeFormatting(5000);
    std::printf("format_1000_items_ms: %.3f\nformat_5000_items_ms: %.3f\nformat_5000_vs_1000_ratio: %.3f\n",
                thousand, fiveThousand, fiveThousand / thousand);
    std::fflush(stdout);
}

}  // namespace palvenor::bench
