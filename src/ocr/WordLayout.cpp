#include "WordLayout.h"

#include "frmOCR.h"

#include <QFontMetricsF>

#include <algorithm>
#include <QHash>

#include <cmath>

namespace palvenor::ocr {

namespace {

// A space, black-box width and C space of a character in the display font.
struct Spacing {
    double a = 0;
    double b = 0;
    double c = 0;
};

// The spacings of the characters met in one run, each character queried
// once.
class CharSpacings {
public:
    explicit CharSpacings(const QFontMetricsF& metrics) : metrics_(metrics) {}

    Spacing of(QChar character) {
        const auto cached = cache_.constFind(character);
        if (cached != cache_.cend()) return *cached;
        const double a = metrics_.leftBearing(character);
        const double c = metrics_.rightBearing(character);
        return cache_[character] = {a, metrics_.horizontalAdvance(character) - a - c, c};
    }

private:
    const QFontMetricsF& metrics_;
    QHash<QChar, Spacing> cache_;
};

// Sums of display size per image pixel over the measured words.
struct Statistics {
    int widthCount = 0;
    double widthSum = 0;
    int heightCount = 0;
    double heightSum = 0;
};

// The least height in image pixels of a word that counts for the line
// heights: 6 pixels at 300 dots per inch, scaled with the resolution.
int minimumHeight(int resolutionFactor) {
    return std::max(1, int(std::floor(resolutionFactor * 6.0 / 11811 + 0.9999)));
}

// A word of several characters measures its string from the black of the
// first to the black of the last character and has the font's height; a
// single character measures its black box and has no height. A box without
// width gives no scale; a reversed box (a negative width from the engine)
// gives a negative one, which makes the statistics unusable.
void measure(Word& word, CharSpacings& spacings, const QFontMetricsF& metrics, int minHeight,
             Statistics& statistics) {
    const Spacing first = spacings.of(word.text.front());
    const Spacing last = spacings.of(word.text.back());
    word.a = first.a;
    double width = first.b;
    double height = 0;
    if (word.text.size() > 1) {
        width = metrics.horizontalAdvance(word.text) - first.a - last.c;
        height = metrics.height();
    }
    const int pixelWidth = word.right - word.left + 1;
    const int pixelHeight = word.bottom - word.top + 1;
    if (width <= 0 || pixelWidth == 0) return;
    ++statistics.widthCount;
    statistics.widthSum += width / pixelWidth;
    if (pixelHeight >= minHeight && height > 0) {
        ++statistics.heightCount;
        statistics.heightSum += height / pixelHeight;
    }
}

std::optional<Layout> layoutFrom(Statistics statistics, const QFontMetricsF& metrics,
                                 const FormatOptions& options) {
    if (statistics.widthCount == 0) statistics = {1, 1.0, 1, 1.0};
    if (!(statistics.widthSum > 0)) return std::nullopt;
    const double x = statistics.widthSum / statistics.widthCount;
    const double y = statistics.heightSum > 0 && statistics.heightCount != 0
                         ? statistics.heightSum / statistics.heightCount
                         : 2 * x;
    const double lineHeight = metrics.height();
    Layout layout;
    layout.X = x;
    layout.G = metrics.horizontalAdvance(u' ') * options.MinXSpaceFac / x / metrics.horizontalAdvance(u'W');
    layout.P = options.MinYSpaceFac / y * lineHeight;
    // At least one pixel, so that counting blank lines comes to an end.
    layout.S = std::max(1, int(std::lround(lineHeight / y * 1.1)));
    return layout;
}

}  // namespace

std::optional<Layout> measureLayout(std::vector<Word>& words, const QFontMetricsF& metrics,
                                    const FormatOptions& options, int resolutionFactor) {
    CharSpacings spacings(metrics);
    Statistics statistics;
    const int minHeight = minimumHeight(resolutionFactor);
    for (Word& word : words) measure(word, spacings, metrics, minHeight, statistics);
    return layoutFrom(statistics, metrics, options);
}

}  // namespace palvenor::ocr
