#include "FileOwnership.h"
#include "Picbuf.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace palvenor;

TEST(Picbuf, TakesTheClipboardsPictureAndReducesItToBlackAndWhite) {
    QImage colour(20, 10, QImage::Format_RGB32);
    colour.fill(qRgb(200, 30, 30));
    for (int x = 0; x < 10; ++x) colour.setPixel(x, 5, qRgb(20, 20, 60));
    QGuiApplication::clipboard()->setImage(colour);
    Picbuf buffer;
    ASSERT_TRUE(buffer.PasteFromClipboard());
    EXPECT_EQ(buffer.ImageKind(), 32);
    buffer.ConvertToBlackAndWhite(false);
    EXPECT_EQ(buffer.ImageKind(), 1);
    QTemporaryDir dir;
    buffer.FileName = dir.filePath(QStringLiteral("tempx.bmp"));
    ASSERT_TRUE(buffer.Save());
    const QImage saved(buffer.FileName);
    EXPECT_EQ(saved.size(), QSize(20, 10));
    EXPECT_EQ(saved.depth(), 1);
    EXPECT_EQ(saved.pixel(3, 5), qRgb(0, 0, 0));
    EXPECT_EQ(saved.pixel(3, 2), qRgb(0, 0, 0)) << "dark red is below the threshold";
    QFile file(buffer.FileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(2), QByteArray("BM"));
}

TEST(Picbuf, ANonPictureClipboardLeavesTheBufferEmptyAndNothingIsSaved) {
    QGuiApplication::clipboard()->setText(QStringLiteral("Text"));
    Picbuf buffer;
    EXPECT_FALSE(buffer.PasteFromClipboard());
    EXPECT_EQ(buffer.ImageKind(), 0);
    QTemporaryDir dir;
    buffer.FileName = dir.filePath(QStringLiteral("tempx.bmp"));
    test::writeOldFile(buffer.FileName);
    EXPECT_FALSE(buffer.Save());
    EXPECT_FALSE(QFile::exists(buffer.FileName)) << "no older picture is left to be taken for this one";
}

TEST(Picbuf, ABlankPictureIsWhiteBlackAndWhite) {
    Picbuf buffer;
    buffer.CreateBlank(100, 100);
    EXPECT_EQ(buffer.ImageKind(), 1);
    QTemporaryDir dir;
    buffer.FileName = dir.filePath(QStringLiteral("leer.bmp"));
    ASSERT_TRUE(buffer.Save());
    const QImage saved(buffer.FileName);
    EXPECT_EQ(saved.size(), QSize(100, 100));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32).pixel(50, 50), qRgb(255, 255, 255));
}

TEST(Picbuf, APictureSavedOverAnOldOneKeepsItsModeAndOwner) {
    Picbuf buffer;
    buffer.CreateBlank(40, 30);
    QTemporaryDir dir;
    buffer.FileName = dir.filePath(QStringLiteral("tempx.bmp"));
    test::writeOldFile(buffer.FileName);
    const test::Ownership given = test::giveAway(buffer.FileName);
    ASSERT_TRUE(buffer.Save());
    EXPECT_EQ(QImage(buffer.FileName).size(), QSize(40, 30));
    EXPECT_EQ(test::ownershipOf(buffer.FileName), given);
}

TEST(Picbuf, AGreyPictureIsCutAtMiddleGreyAndKeepsItsResolution) {
    // Every grey value in each row; the width ends inside a byte of the
    // black-and-white rows.
    QImage grey(259, 2, QImage::Format_Grayscale8);
    for (int x = 0; x < grey.width(); ++x) {
        grey.scanLine(0)[x] = uchar(std::min(x, 255));
        grey.scanLine(1)[x] = uchar(255 - std::min(x, 255));
    }
    grey.setDotsPerMeterX(11811);
    grey.setDotsPerMeterY(5906);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("grau.png"));
    ASSERT_TRUE(grey.save(file));
    Picbuf buffer;
    buffer.FileName = file;
    ASSERT_TRUE(buffer.Load());
    buffer.ConvertToBlackAndWhite(false);
    const QImage& mono = buffer.picture();
    ASSERT_EQ(mono.format(), QImage::Format_Mono);
    EXPECT_EQ(mono.dotsPerMeterX(), 11811);
    EXPECT_EQ(mono.dotsPerMeterY(), 5906);
    const QImage expected = grey.convertToFormat(QImage::Format_RGB32)
                                .convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const int value = grey.pixelColor(x, y).red();
            EXPECT_EQ(mono.pixel(x, y), value < 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255)) << x << "," << y;
            EXPECT_EQ(mono.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
        }
}
