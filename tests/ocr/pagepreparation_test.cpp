#include "PagePreparation.h"

#include <QPainter>

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

}  // namespace
}  // namespace palvenor::ocr
