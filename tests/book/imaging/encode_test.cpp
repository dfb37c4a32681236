#include "TiffEncode.h"
#include "TiffFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace palvenor::imaging {
namespace {

// Which compression a changed page is written with, asked for its own.
TEST(Encode, AChangedPageKeepsItsCompressionWhereLibtiffCanWriteIt)
{
    const struct {
        int pageType, wanted, written;
    } cases[] = {
        {PageTypeRgb24, COMPRESSION_JPEG, COMPRESSION_JPEG},
        {PageTypeGray8, COMPRESSION_JPEG, COMPRESSION_JPEG},
        {PageTypePalette8, COMPRESSION_JPEG, COMPRESSION_LZW},  // JPEG would blur the indices
        {PageTypeGray4, COMPRESSION_JPEG, COMPRESSION_LZW},
        {PageTypeGray8, COMPRESSION_PACKBITS, COMPRESSION_PACKBITS},
        {PageTypeRgb24, COMPRESSION_ADOBE_DEFLATE, COMPRESSION_ADOBE_DEFLATE},
        {PageTypePalette4, COMPRESSION_NONE, COMPRESSION_NONE},
        {PageTypeBlackWhite, COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX3},
        {PageTypeBlackWhite, 0, COMPRESSION_CCITTFAX4},
        {PageTypeRgb24, 0, COMPRESSION_LZW},
        {PageTypeRgb24, COMPRESSION_CCITTFAX4, COMPRESSION_LZW},
        {PageTypeRgb24, COMPRESSION_OJPEG, COMPRESSION_LZW},  // libtiff reads the old scheme only
        {PageTypeBlackWhite, COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX4},
        {PageTypeGray8, COMPRESSION_NEXT, COMPRESSION_LZW},
        {PageTypeRgb24, COMPRESSION_WEBP, TIFFIsCODECConfigured(COMPRESSION_WEBP) ? COMPRESSION_WEBP : COMPRESSION_LZW},
        {PageTypeGray8, COMPRESSION_WEBP, COMPRESSION_LZW},  // WebP takes colour only
    };
    QTemporaryDir dir;
    QImage colour(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < colour.height(); ++y)
        for (int x = 0; x < colour.width(); ++x)
            colour.setPixel(x, y, qRgb(x * 4, y * 5, 128));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.pageType) + " " + std::to_string(c.wanted));
        EXPECT_EQ(tiff::encodableCompression(c.pageType, c.wanted), c.written);
        QByteArray encoded;
        QString reason;
        ASSERT_TRUE(tiff::encodePage(colour, c.pageType, 300, 300, c.wanted, &encoded, &reason))
            << reason.toStdString();
        const QString path = dir.filePath(QStringLiteral("page.tif"));
        ASSERT_TRUE(test::writeBytes(path, encoded));
        EXPECT_EQ(test::compressionsOfPages(path), std::vector<uint16_t>{uint16_t(c.written)});
        EXPECT_FALSE(test::libtiffPicture(path, 1).isNull());
        if (c.written == COMPRESSION_WEBP) {  // without loss
            EXPECT_TRUE(test::libtiffPicture(path, 1).convertToFormat(QImage::Format_RGB32) == colour);
        }
    }
}

}  // namespace
}  // namespace palvenor::imaging
