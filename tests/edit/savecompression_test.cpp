#include "../book/imaging/TiffFiles.h"
#include "AnnotationTag.h"
#include "FrameScene.h"
#include "PageAdmin.h"

#include <QFileInfo>

#include <tiffio.h>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::FrameScene;
namespace tiffs = palvenor::imaging::test;

namespace {

// A JPEG colour page and a PackBits grey page, as scanners write them.
QString scannedBook(const QString& path) {
    tiffs::PatternPage colour;
    colour.width = 480;
    colour.height = 320;
    colour.samples = 3;
    colour.photometric = PHOTOMETRIC_YCBCR;
    colour.compression = COMPRESSION_JPEG;
    colour.rowsPerStrip = 32;
    tiffs::PatternPage grey;
    grey.width = 480;
    grey.height = 320;
    grey.compression = COMPRESSION_PACKBITS;
    grey.rowsPerStrip = 32;
    return tiffs::writePatternBook(path, {colour, grey}) ? path : QString();
}

// A filled area on every page, to be burnt into its pixels.
void annotateEveryPage(const QString& path) {
    imaging::Annotation note;
    note.kind = imaging::AnnotationKind::FilledArea;
    note.box = QRectF(40, 40, 120, 60);
    note.colour = QColor(0x20, 0x40, 0x60);
    const QByteArray tag = imaging::encodeAnnotations({note});
    std::vector<imaging::PageSource> pages;
    for (int p = 1; p <= tiffs::directoryCount(path); ++p) {
        imaging::PageSource page;
        page.file = path;
        page.page = p;
        page.annotations = tag;
        pages.push_back(page);
    }
    ASSERT_TRUE(imaging::writeBook(path, pages).ok());
}

// The bytes of every page's strips.
std::vector<qsizetype> pageBytes(const QString& path) {
    std::vector<qsizetype> bytes;
    for (const tiffs::RawPage& page : tiffs::rawPages(path)) {
        qsizetype sum = 0;
        for (const QByteArray& strip : page) sum += strip.size();
        bytes.push_back(sum);
    }
    return bytes;
}

}  // namespace

TEST(SaveCompression, UnchangedPagesKeepTheirCompressionAndSize) {
    FrameScene scene;
    const QString book = scannedBook(scene.dir.filePath(QStringLiteral("scan.tif")));
    ASSERT_FALSE(book.isEmpty());
    const qint64 sizeBefore = QFileInfo(book).size();
    const auto stripsBefore = tiffs::rawPages(book);
    frmSample* w = scene.open(book);
    for (const char* page : {"1", "2"}) {
        w->GehZuSeite(QString::fromLatin1(page));
        w->pages().Geaendert = true;
        EXPECT_EQ(w->runSaveCommand(), 0);
        EXPECT_FALSE(w->pages().Geaendert);
    }
    qobject_cast<QAction*>(w->controls().find(QStringLiteral("mnuResave")))->trigger();
    EXPECT_TRUE(scene.prompter.shown().empty());
    EXPECT_EQ(tiffs::compressionsOfPages(book), (std::vector<uint16_t>{COMPRESSION_JPEG, COMPRESSION_PACKBITS}));
    // Unchanged pages stay where they lie: the book does not grow.
    EXPECT_LT(QFileInfo(book).size(), sizeBefore * 11 / 10);
    EXPECT_TRUE(tiffs::rawPages(book) == stripsBefore);
}

TEST(SaveCompression, AChangedPageIsWrittenWithItsOwnCompression) {
    FrameScene scene;
    const QString book = scannedBook(scene.dir.filePath(QStringLiteral("scan.tif")));
    ASSERT_FALSE(book.isEmpty());
    annotateEveryPage(book);
    const std::vector<qsizetype> bytesBefore = pageBytes(book);
    frmSample* w = scene.open(book);
    imaging::oleImgEdit& edit = w->oleImgEdit1();
    for (const char* page : {"1", "2"}) {
        w->GehZuSeite(QString::fromLatin1(page));
        edit.BurnInAnnotations(imaging::oleImgEdit::BurnAll, imaging::oleImgEdit::BurnOwnColours);
        const QImage burnt = edit.picture().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(w->runSaveCommand(), 0);
        const QImage written = tiffs::libtiffPicture(book, QString::fromLatin1(page).toInt());
        // The burnt area, dark; JPEG may shift it a little.
        EXPECT_NEAR(qGray(written.pixel(100, 70)), qGray(burnt.pixel(100, 70)), 4);
        EXPECT_LT(qGray(written.pixel(100, 70)), 100);
    }
    EXPECT_EQ(tiffs::compressionsOfPages(book), (std::vector<uint16_t>{COMPRESSION_JPEG, COMPRESSION_PACKBITS}));
    // Encoded as before, each page takes about as many bytes as it did.
    const std::vector<qsizetype> bytesAfter = pageBytes(book);
    ASSERT_EQ(bytesAfter.size(), bytesBefore.size());
    for (size_t i = 0; i < bytesAfter.size(); ++i) EXPECT_LT(bytesAfter[i], bytesBefore[i] * 11 / 10) << "page " << i + 1;
}

// Black-and-white pages are always stored as G4; one that is G4 already
// goes in unchanged.
TEST(SaveCompression, BlackAndWhitePagesAreStoredAsG4) {
    FrameScene scene;
    tiffs::PatternPage g3;
    g3.bits = 1;
    g3.photometric = PHOTOMETRIC_MINISWHITE;
    g3.compression = COMPRESSION_CCITTFAX3;
    g3.rowsPerStrip = 45;
    tiffs::PatternPage g4 = g3;
    g4.compression = COMPRESSION_CCITTFAX4;
    const QString book = scene.dir.filePath(QStringLiteral("fax.tif"));
    ASSERT_TRUE(tiffs::writePatternBook(book, {g3, g4}));
    {
        tiffs::Tiff tif = tiffs::openTiff(book, "a");  // a third page, G3 with its description
        tiffs::setPatternTags(tif.get(), g3, 2, 3);
        TIFFSetField(tif.get(), TIFFTAG_IMAGEDESCRIPTION, "Urkunde 12, Rückseite");
        TIFFSetField(tif.get(), TIFFTAG_ARTIST, "Stadtarchiv");
        ASSERT_TRUE(tiffs::writePatternRows(tif.get(), g3) && TIFFWriteDirectory(tif.get()));
    }
    const auto stripsBefore = tiffs::rawPages(book);
    const QImage g3Pixels = tiffs::libtiffPicture(book, 1);
    frmSample* w = scene.open(book);
    qobject_cast<QAction*>(w->controls().find(QStringLiteral("mnuResave")))->trigger();
    EXPECT_EQ(tiffs::compressionsOfPages(book),
              (std::vector<uint16_t>{COMPRESSION_CCITTFAX4, COMPRESSION_CCITTFAX4, COMPRESSION_CCITTFAX4}));
    EXPECT_TRUE(tiffs::libtiffPicture(book, 1) == g3Pixels);
    EXPECT_TRUE(tiffs::rawPages(book)[1] == stripsBefore[1]);
    // The page stored anew keeps what describes it.
    tiffs::Tiff tif = tiffs::openTiff(book);
    ASSERT_TRUE(tif && TIFFSetDirectory(tif.get(), 2));
    const char* text = nullptr;
    ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_IMAGEDESCRIPTION, &text));
    EXPECT_EQ(QString::fromUtf8(text), QStringLiteral("Urkunde 12, Rückseite"));
    ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_ARTIST, &text));
    EXPECT_STREQ(text, "Stadtarchiv");
}
