#include "FileOwnership.h"
#include "PageAdmin.h"
#include "SampleBooks.h"
#include "oleImgThumbnail.h"
#include "oleImgEdit.h"

#include <QPainter>
#include <QCoreApplication>
#include <QFile>
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

TEST(PageView, ABitmapWrittenOverAnOldOneKeepsItsModeAndOwner) {
    ShownPage shown(blockAndLinePage());
    const QString bitmap = shown.dir.filePath(QStringLiteral("seite.bmp"));
    ASSERT_TRUE(QImage(10, 10, QImage::Format_RGB32).save(bitmap, "BMP"));
    const palvenor::test::Ownership given = palvenor::test::giveAway(bitmap);
    shown.view.SaveAs(bitmap, FileTypeBmp);
    ASSERT_EQ(shown.view.StatusCode(), 0);
    EXPECT_EQ(QImage(bitmap).size(), QSize(1200, 800));
    const palvenor::test::Ownership after = palvenor::test::ownershipOf(bitmap);
    EXPECT_NE(after.inode, given.inode);
    EXPECT_EQ(after, given);
}

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

TEST(PageView, ZoomingReusesTheDecodedPage) {
    ShownPage shown(blockAndLinePage());
    ASSERT_TRUE(QFile::remove(shown.view.Image()));  // nothing left to decode again
    for (float zoom : {400.0f, 25.0f, 100.0f, 50.0f}) {
        shown.view.setZoom(zoom);
        const QImage screen = shown.painted();
        const QSize page(qRound(1200 * zoom / 100), qRound(800 * zoom / 100));
        const QPoint origin(std::max(0, (screen.width() - page.width()) / 2),
                            std::max(0, (screen.height() - page.height()) / 2));
        const QPoint insideBlock = origin + QPoint(qRound(150 * zoom / 100), qRound(150 * zoom / 100));
        EXPECT_LT(qGray(screen.pixel(insideBlock)), 64) << zoom;
    }
}

TEST(Thumbnails, OnlyTheVisibleThumbnailsOfALongBookAreDecoded) {
    QTemporaryDir dir;
    const QString book = palvenor::test::makeBook(dir.path(), QStringLiteral("lang.tif"), 1000);
    ASSERT_FALSE(book.isEmpty());
    oleImgThumbnail strip;
    strip.resize(140, 700);
    strip.show();
    strip.setImage(book);
    QCoreApplication::processEvents();
    strip.repaint();
    const int firstScreen = strip.model().decodedCount();
    EXPECT_GT(firstScreen, 0);
    EXPECT_LT(firstScreen, 20);

    strip.scrollToBottom();
    strip.repaint();
    EXPECT_LT(strip.model().decodedCount(), 2 * firstScreen + 10);
    // A thumbnail is the page itself, shrunk: the page number header is ink.
    const QPixmap first = strip.model().data(strip.model().index(0), Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(first.size(), strip.model().thumbSize());
    const QImage picture = first.toImage();
    int ink = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) ink += qGray(picture.pixel(x, y)) < 160;
    EXPECT_GT(ink, 50);
}
