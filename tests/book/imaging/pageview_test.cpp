#include "PageAdmin.h"
#include "oleImgEdit.h"

#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace palvenor::imaging;

namespace {

// A white black-and-white page with a solid black block in its left half
// and a one pixel wide vertical line at x = 900.
QImage blockAndLinePage() {
    QImage page(1200, 800, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    for (int y = 100; y < 700; ++y) {
        for (int x = 100; x < 500; ++x) page.setPixel(x, y, 1);
        page.setPixel(900, y, 1);
    }
    return page;
}

struct ShownPage {
    QTemporaryDir dir;
    oleImgEdit view;

    explicit ShownPage(const QImage& page) {
        const QString book = dir.filePath(QStringLiteral("seite.tif"));
        EXPECT_TRUE(writeBook(book, {PageSource{QString(), 1, page, 300}}).ok());
        view.resize(700, 500);
        view.show();
        view.setImage(book);
        view.Display();
    }
    // The view as painted.
    QImage painted() {
        QImage screen(view.viewport()->size(), QImage::Format_RGB32);
        screen.fill(Qt::gray);
        view.viewport()->render(&screen);
        return screen;
    }
};

int darkPixelsInColumn(const QImage& screen, int x) {
    int dark = 0;
    for (int y = 0; y < screen.height(); ++y) dark += qGray(screen.pixel(x, y)) < 128;
    return dark;
}

}  // namespace

TEST(PageView, AShrunkBlackAndWhitePageKeepsBlocksAndThinLines) {
    ShownPage shown(blockAndLinePage());
    shown.view.setZoom(25);
    const QImage screen = shown.painted();
    // The 300 x 200 page is centred in the 700 x 500 view.
    const QPoint origin((screen.width() - 300) / 2, (screen.height() - 200) / 2);
    EXPECT_LT(qGray(screen.pixel(origin + QPoint(75, 100))), 64);    // inside the block
    EXPECT_GT(qGray(screen.pixel(origin + QPoint(160, 100))), 192);  // paper
    // The line is a quarter of a screen pixel wide and still drawn black.
    EXPECT_GE(darkPixelsInColumn(screen, origin.x() + 225), 140);
}

TEST(PageView, GreyScalingShowsTheInkShareOfEachScreenPixel) {
    ShownPage shown(blockAndLinePage());
    shown.view.setDisplayScaleAlgorithm(oleImgEdit::ScaleGray);
    shown.view.setZoom(25);
    const QImage screen = shown.painted();
    const QPoint origin((screen.width() - 300) / 2, (screen.height() - 200) / 2);
    const int line = qGray(screen.pixel(origin + QPoint(225, 100)));
    EXPECT_GT(line, 150);  // one of four source columns is ink
    EXPECT_LT(line, 230);
    EXPECT_LT(qGray(screen.pixel(origin + QPoint(75, 100))), 16);
}

TEST(PageView, AtFullSizeEveryPixelIsDrawnAsItIs) {
    ShownPage shown(blockAndLinePage());
    shown.view.setZoom(100);
    shown.view.horizontalScrollBar()->setValue(400);
    shown.view.verticalScrollBar()->setValue(0);
    const QImage screen = shown.painted();
    const int line = 900 - shown.view.horizontalScrollBar()->value();
    ASSERT_LT(line, screen.width());
    EXPECT_LT(qGray(screen.pixel(line, 150)), 64);
    EXPECT_GT(qGray(screen.pixel(line - 1, 150)), 192);
    EXPECT_GT(qGray(screen.pixel(line + 1, 150)), 192);
}
