// Scanned pages of each depth, encoded off the window thread and appended as
// they are: read back with libtiff, every row as the device gave it.
#include "ScanSpool.h"

#include <QFile>
#include <QTemporaryDir>

#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace palvenor::acquire;

namespace {

// A page of width × height pixels whose bytes run through a pattern.
ScannedPage patternPage(int width, int height, int depth, int samples) {
    ScannedPage page;
    page.width = width;
    page.height = height;
    page.depth = depth;
    page.samplesPerPixel = samples;
    page.bytesPerLine = (width * samples * depth + 7) / 8;
    page.dpi = 300;
    page.data.resize(qsizetype(page.bytesPerLine) * height);
    for (qsizetype i = 0; i < page.data.size(); ++i) page.data[i] = char((i * 7 + i / page.bytesPerLine) & 0xff);
    return page;
}

struct ReadPage {
    uint16_t bits = 0, samples = 0, compression = 0;
    std::vector<std::vector<uint8_t>> rows;
};

std::vector<ReadPage> readBack(const QString& file) {
    std::vector<ReadPage> pages;
    TIFF* tif = TIFFOpen(QFile::encodeName(file).constData(), "r");
    if (!tif) return pages;
    do {
        ReadPage page;
        uint32_t height = 0;
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &page.bits);
        TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &page.samples);
        TIFFGetField(tif, TIFFTAG_COMPRESSION, &page.compression);
        for (uint32_t y = 0; y < height; ++y) {
            std::vector<uint8_t> row(TIFFScanlineSize(tif));
            if (TIFFReadScanline(tif, row.data(), y, 0) != 1) break;
            page.rows.push_back(row);
        }
        pages.push_back(page);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

// A bitmap row without the bits after its last pixel, which G4 does not keep.
std::vector<uint8_t> withoutPadding(std::vector<uint8_t> row, int width) {
    if (width % 8) row.back() &= uint8_t(0xff << (8 - width % 8));
    return row;
}

// Row y of a page as the file should hold it: 16-bit samples by their high byte.
std::vector<uint8_t> expectedRow(const ScannedPage& page, int y) {
    const auto* row = reinterpret_cast<const uint8_t*>(page.data.constData()) + qsizetype(y) * page.bytesPerLine;
    if (page.depth == 1) return withoutPadding({row, row + page.bytesPerLine}, page.width);
    if (page.depth != 16) return {row, row + page.bytesPerLine};
    std::vector<uint8_t> narrowed(size_t(page.width) * page.samplesPerPixel);
    for (size_t i = 0; i < narrowed.size(); ++i) {
        uint16_t sample = 0;
        std::memcpy(&sample, row + 2 * i, 2);
        narrowed[i] = uint8_t(sample >> 8);
    }
    return narrowed;
}

}  // namespace

TEST(ScanSpool, PagesOfEveryDepthAreAppendedInOrderAndReadBackAsScanned) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("seiten.tif"));
    const std::vector<ScannedPage> scanned = {patternPage(301, 40, 1, 1), patternPage(123, 30, 8, 1),
                                              patternPage(77, 20, 16, 1), patternPage(50, 25, 8, 3)};
    for (const ScannedPage& page : scanned) ASSERT_TRUE(appendEncodedPage(file, encodeScannedPage(page)).ok());

    const std::vector<ReadPage> pages = readBack(file);
    ASSERT_EQ(pages.size(), scanned.size());
    const uint16_t compressions[] = {COMPRESSION_CCITTFAX4, COMPRESSION_LZW, COMPRESSION_LZW, COMPRESSION_LZW};
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(pages[i].compression, compressions[i]);
        EXPECT_EQ(pages[i].bits, scanned[i].depth == 1 ? 1 : 8);
        EXPECT_EQ(pages[i].samples, scanned[i].samplesPerPixel);
        ASSERT_EQ(pages[i].rows.size(), size_t(scanned[i].height));
        for (int y = 0; y < scanned[i].height; ++y) {
            const std::vector<uint8_t> row =
                scanned[i].depth == 1 ? withoutPadding(pages[i].rows[y], scanned[i].width) : pages[i].rows[y];
            ASSERT_EQ(row, expectedRow(scanned[i], y)) << y;
        }
    }
}

TEST(ScanSpool, APageThatCannotBeEncodedIsToldAndLeavesTheFileAsItWas) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("seiten.tif"));
    ASSERT_TRUE(appendEncodedPage(file, encodeScannedPage(patternPage(64, 10, 8, 1))).ok());
    ScannedPage shortPage = patternPage(64, 10, 8, 1);
    shortPage.data.chop(1);
    const palvenor::imaging::ImagingError error = appendEncodedPage(file, encodeScannedPage(shortPage));
    EXPECT_EQ(error.description, QStringLiteral("Die gescannte Seite lässt sich nicht in \"%1\" schreiben: "
                                                "Die Seite ist unvollständig.")
                                     .arg(file));
    EXPECT_EQ(readBack(file).size(), 1u);
}
