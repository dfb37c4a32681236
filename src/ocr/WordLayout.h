#pragma once

// Word mode, second step: the words measured in the display font, and the
// scale factors that carry their places on the page over to the text box.

#include "WordGathering.h"

#include <optional>
#include <vector>

class QFontMetricsF;

namespace palvenor::ocr {

struct FormatOptions;

struct Layout {
    double X = 1;  // display units per image pixel, horizontally
    double G = 0;  // a gap before a word is reproduced when wider than G times the word's width
    double P = 0;  // a vertical gap of more image pixels yields blank lines
    int S = 1;     // image pixels per blank line
};

// Measures every word (which sets its A space) and derives the layout from
// how wide and high the words are in the display font against their boxes
// on the page. Without any measurable word the scales are 1. nullopt when
// the measurements are unusable.
std::optional<Layout> measureLayout(std::vector<Word>& words, const QFontMetricsF& metrics,
                                    const FormatOptions& options, int resolutionFactor);

}  // namespace palvenor::ocr
