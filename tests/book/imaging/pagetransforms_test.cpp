#include "PageScaling.h"
#include "PageTransforms.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace palvenor::imaging;

namespace {

// A black-and-white page of random pixels, with white at index 0 or 1 and
// unequal resolutions, so that nothing lines up by chance.
QImage noisePage(int width, int height, bool whiteFirst, quint32 seed) {
    QImage page(width, height, QImage::Format_Mono);
    if (whiteFirst)
        page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    else
        page.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(7874);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) page.setPixel(x, y, random.bounded(5) == 0 ? 1 : 0);
    return page;
}

// Where pixel (x, y) of a page of the given size lies after the turn.
QPoint turnedPoint(QSize size, Turn turn, int x, int y) {
    switch (turn) {
    case Turn::Right: return {size.height() - 1 - y, x};
    case Turn::Left: return {y, size.width() - 1 - x};
    case Turn::Half: break;
    }
    return {size.width() - 1 - x, size.height() - 1 - y};
}

const QSize kOddSizes[] = {{1, 1}, {7, 9}, {8, 8}, {13, 21}, {64, 3}, {3, 64}, {70, 37}};

}  // namespace

TEST(PageTurns, EveryPixelOfABlackAndWhitePageOfAnySizeLandsWhereTheTurnPutsIt) {
    for (const QSize size : kOddSizes) {
        for (const Turn turn : {Turn::Left, Turn::Right, Turn::Half}) {
            for (const bool whiteFirst : {true, false}) {
                const QImage page = noisePage(size.width(), size.height(), whiteFirst, quint32(size.width() * 100 + size.height()));
                const QImage result = turned(page, turn);
                SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height() << " turn " << int(turn));
                ASSERT_EQ(result.format(), QImage::Format_Mono);
                ASSERT_EQ(result.colorTable(), page.colorTable());
                ASSERT_EQ(result.size(), turn == Turn::Half ? size : size.transposed());
                int wrong = 0;
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x)
                        wrong += result.pixelIndex(turnedPoint(size, turn, x, y)) != page.pixelIndex(x, y);
                EXPECT_EQ(wrong, 0);
            }
        }
    }
}

TEST(PageTurns, AQuarterTurnSwapsTheResolutionsAndAHalfTurnKeepsThem) {
    const QImage page = noisePage(13, 21, true, 1);
    for (const Turn turn : {Turn::Left, Turn::Right}) {
        const QImage result = turned(page, turn);
        EXPECT_EQ(result.dotsPerMeterX(), page.dotsPerMeterY());
        EXPECT_EQ(result.dotsPerMeterY(), page.dotsPerMeterX());
    }
    const QImage half = turned(page, Turn::Half);
    EXPECT_EQ(half.dotsPerMeterX(), page.dotsPerMeterX());
    EXPECT_EQ(half.dotsPerMeterY(), page.dotsPerMeterY());
}

TEST(PageShrinking, TheScreenCopyOfABlackAndWhitePageHasTheGreyOfTheShrunkPage) {
    std::array<QRgb, 256> asGrey;
    for (int paper = 0; paper < 256; ++paper) asGrey[paper] = qRgb(paper, paper, paper);
    for (const bool whiteFirst : {true, false}) {
        const QImage page = noisePage(203, 151, whiteFirst, 7);
        for (const QSize size : {QSize(203, 151), QSize(100, 75), QSize(31, 17), QSize(1, 1)}) {
            SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
            const QImage grey = shrinkPage(page, size);
            const QImage screen = shrinkBlackAndWhiteToScreen(page, size, asGrey);
            ASSERT_EQ(screen.format(), QImage::Format_RGB32);
            ASSERT_EQ(screen.size(), size);
            int different = 0;
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x) different += qRed(screen.pixel(x, y)) != grey.constScanLine(y)[x];
            EXPECT_EQ(different, 0);
        }
    }
}

TEST(PageShrinking, AShrunkPageShowsItsInkShareEvenAfterLongWhiteStretches) {
    // Ink only at the very end of long white rows: the white stretches are
    // skipped in words, the last bytes must still count.
    QImage page(130, 2, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    page.setPixel(129, 0, 1);
    page.setPixel(129, 1, 1);
    const QImage grey = shrinkPage(page, QSize(130, 1));
    EXPECT_EQ(qGray(grey.pixel(129, 0)), 0);
    EXPECT_EQ(qGray(grey.pixel(128, 0)), 255);
    EXPECT_EQ(qGray(grey.pixel(0, 0)), 255);
}
