#include "LeptonicaPix.h"
#include "PagePreparation.h"

#include <QPainter>

#include <random>

#include <leptonica/allheaders.h>

#include <gtest/gtest.h>

namespace palvenor::ocr {
namespace {

// A page of a few black bars on white, in the given format.
QImage barsPage(QImage::Format format, const QList<QRgb>& colours = {})
{
    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    for (int y = 40; y < 260; y += 40)
        painter.fillRect(40, y, 320, 12, Qt::black);
    painter.end();
    QImage converted = page.convertToFormat(format, Qt::ThresholdDither);
    if (!colours.isEmpty())
        converted.setColorTable(colours);
    return converted;
}

int preparedDepth(const QImage& picture)
{
    ProcessOptions options;
    const PreparedPage prepared = preparePage(picture, options, 300, [](Pix*, int) { return 0; });
    return prepared.pix ? pixGetDepth(prepared.pix.get()) : 0;
}

// Black and white pages are cleaned up as such; a picture with shades, even
// a two-colour one whose paper is grey, goes to the recogniser as it is.
TEST(PagePreparation, OnlyPicturesOfBlackAndWhiteAloneAreCleanedUpAsBlackAndWhite)
{
    EXPECT_EQ(preparedDepth(barsPage(QImage::Format_Mono)), 1);
    EXPECT_EQ(preparedDepth(barsPage(QImage::Format_MonoLSB)), 1);
    EXPECT_EQ(preparedDepth(barsPage(QImage::Format_Grayscale8)), 1);
    EXPECT_EQ(preparedDepth(barsPage(QImage::Format_Mono, {qRgb(200, 200, 200), qRgb(0, 0, 0)})), 8);

    QImage shaded = barsPage(QImage::Format_Grayscale8);
    shaded.setPixel(10, 10, qRgb(128, 128, 128));
    EXPECT_EQ(preparedDepth(shaded), 8);
}

// A black-and-white picture of scattered ink, 403 pixels wide so that its
// rows end within a byte, with black as colour `blackIndex`.
QImage scatteredInk(QImage::Format format, int blackIndex)
{
    QImage page(403, 57, format);
    page.setColorTable(blackIndex == 0 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                                       : QList<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 0)});
    std::mt19937 random(5);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            page.setPixel(x, y, x == page.width() - 1 || random() % 3 == 0 ? blackIndex : 1 - blackIndex);
    return page;
}

// Taken as it is, a picture of black and white alone has the ink where its
// grey copy, thresholded, has it: in either bit order, with black as
// either colour, and nothing beyond the right edge.
TEST(PagePreparation, APictureOfBlackAndWhiteAloneIsTakenBitForBit)
{
    for (const QImage::Format format : {QImage::Format_Mono, QImage::Format_MonoLSB}) {
        for (const int blackIndex : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "format " << format << ", black " << blackIndex);
            const QImage picture = scatteredInk(format, blackIndex);
            const PixPtr ink = toInkPix(picture);
            ASSERT_TRUE(ink);
            const PixPtr grey = toGreyPix(picture);
            const PixPtr thresholded(pixThresholdToBinary(grey.get(), 128));
            int same = 0;
            pixEqual(ink.get(), thresholded.get(), &same);
            EXPECT_TRUE(same);
            const int wordsPerLine = pixGetWpl(ink.get());
            for (int y = 0; y < picture.height(); ++y) {
                const l_uint32* line = pixGetData(ink.get()) + y * wordsPerLine;
                for (int x = picture.width(); x < 32 * wordsPerLine; ++x)
                    ASSERT_EQ(GET_DATA_BIT(line, x), 0) << "beyond the edge at " << x << "," << y;
            }
        }
    }
    EXPECT_FALSE(toInkPix(barsPage(QImage::Format_Grayscale8)));
    EXPECT_FALSE(toInkPix(barsPage(QImage::Format_Mono, {qRgb(200, 200, 200), qRgb(0, 0, 0)})));
}

}  // namespace
}  // namespace palvenor::ocr
