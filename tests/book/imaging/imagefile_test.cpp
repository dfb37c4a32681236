#include "ImageFile.h"
#include "PageBooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace palvenor::imaging {
namespace {

using test::PatternPage;

struct TypeCase {
    const char* name;
    PatternPage page;
    int pageType;
    QImage::Format format;
    const char* compressionInfo;
};

PatternPage pattern(uint16_t bits, uint16_t samples, uint16_t photometric, uint16_t compression)
{
    PatternPage p;
    p.bits = bits;
    p.samples = samples;
    p.photometric = photometric;
    p.compression = compression;
    return p;
}

PatternPage tiled(PatternPage p)
{
    p.tileSize = 16;
    return p;
}

PatternPage withPlanes(PatternPage p)
{
    p.planar = PLANARCONFIG_SEPARATE;
    return p;
}

PatternPage withResolution(PatternPage p, float x, float y, uint16_t unit)
{
    p.xResolution = x;
    p.yResolution = y;
    p.resolutionUnit = unit;
    return p;
}

PatternPage oneStrip(PatternPage p)
{
    p.rowsPerStrip = p.height;
    return p;
}

std::vector<TypeCase> typeCases()
{
    const auto bw = pattern(1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4);
    return {
        {"bw G4", oneStrip(bw), PageTypeBlackWhite, QImage::Format_Mono, "CCITT Gruppe 4"},
        {"bw min-is-black", pattern(1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE), PageTypeBlackWhite,
         QImage::Format_Mono, "unkomprimiert"},
        {"bw tiled", tiled(pattern(1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_PACKBITS)), PageTypeBlackWhite,
         QImage::Format_Mono, "PackBits"},
        {"grey4", pattern(4, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW), PageTypeGray4, QImage::Format_Grayscale8,
         "LZW"},
        {"grey4 tiled", tiled(pattern(4, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE)), PageTypeGray4,
         QImage::Format_Grayscale8, "unkomprimiert"},
        {"grey8", withResolution(pattern(8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW), 300, 150, RESUNIT_INCH),
         PageTypeGray8, QImage::Format_Grayscale8, "LZW"},
        {"grey8 min-is-white", pattern(8, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_PACKBITS), PageTypeGray8,
         QImage::Format_Grayscale8, "PackBits"},
        {"grey8 tiled", tiled(pattern(8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_ADOBE_DEFLATE)), PageTypeGray8,
         QImage::Format_Grayscale8, "Deflate"},
        {"palette4", pattern(4, 1, PHOTOMETRIC_PALETTE, COMPRESSION_LZW), PageTypePalette4, QImage::Format_Indexed8,
         "LZW"},
        {"palette8", pattern(8, 1, PHOTOMETRIC_PALETTE, COMPRESSION_ADOBE_DEFLATE), PageTypePalette8,
         QImage::Format_Indexed8, "Deflate"},
        {"rgb", withResolution(pattern(8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), 100, 100, RESUNIT_CENTIMETER),
         PageTypeRgb24, QImage::Format_RGB32, "LZW"},
        {"rgb planes", withPlanes(pattern(8, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE)), PageTypeRgb24,
         QImage::Format_RGB32, "unkomprimiert"},
        {"rgb tiled", tiled(pattern(8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW)), PageTypeRgb24, QImage::Format_RGB32,
         "LZW"},
    };
}

double dpi(const PatternPage& p, float value)
{
    return p.resolutionUnit == RESUNIT_CENTIMETER ? value * 2.54 : value;
}

TEST(ImageFile, EveryPageTypeAndLayoutReadsBackPixelForPixel)
{
    QTemporaryDir dir;
    const std::vector<TypeCase> cases = typeCases();
    std::vector<PatternPage> pages;
    for (const TypeCase& c : cases)
        pages.push_back(c.page);
    const QString path = dir.filePath(QStringLiteral("types.tif"));
    ASSERT_TRUE(test::writePatternBook(path, pages));

    ImagingError error;
    const auto file = ImageFile::open(path, &error);
    ASSERT_TRUE(file) << error.description.toStdString();
    EXPECT_EQ(error.code, StatusOk);
    EXPECT_EQ(file->fileType(), FileTypeTiff);
    ASSERT_EQ(file->pageCount(), int(cases.size()));

    // Backwards, so every page is reached by a jump rather than the next step.
    for (int page = file->pageCount(); page >= 1; --page) {
        const TypeCase& c = cases[size_t(page - 1)];
        SCOPED_TRACE(c.name);
        const PageInfo info = file->pageInfo(page);
        EXPECT_EQ(info.width, int(c.page.width));
        EXPECT_EQ(info.height, int(c.page.height));
        EXPECT_NEAR(info.xResolution, dpi(c.page, c.page.xResolution), 0.01);
        EXPECT_NEAR(info.yResolution, dpi(c.page, c.page.yResolution), 0.01);
        EXPECT_EQ(info.pageType, c.pageType);
        EXPECT_EQ(info.compression, c.page.compression);
        EXPECT_EQ(info.compressionInfo.toStdString(), c.compressionInfo);

        const QImage image = file->readPage(page, &error);
        ASSERT_FALSE(image.isNull()) << error.description.toStdString();
        EXPECT_EQ(error.code, StatusOk);
        EXPECT_EQ(image.format(), c.format);
        EXPECT_EQ(image.size(), QSize(int(c.page.width), int(c.page.height)));
        EXPECT_EQ(test::firstWrongPixel(image, [&](int x, int y) { return c.page.expected(x, y); }), "");
    }
}

TEST(ImageFile, PaletteIndicesStayTheFileIndices)
{
    QTemporaryDir dir;
    const PatternPage page = pattern(8, 1, PHOTOMETRIC_PALETTE, COMPRESSION_LZW);
    const QString path = dir.filePath(QStringLiteral("palette.tif"));
    ASSERT_TRUE(test::writePatternBook(path, {page}));
    ImagingError error;
    const auto file = ImageFile::open(path, &error);
    ASSERT_TRUE(file);
    const QImage image = file->readPage(1, &error);
    ASSERT_EQ(image.colorCount(), 256);
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 3)
            ASSERT_EQ(image.pixelIndex(x, y), int(page.sample(uint32_t(x), uint32_t(y), 0))) << x << "," << y;
}

TEST(ImageFile, SampleBookPagesMatchLibtiffsOwnDecoding)
{
    QTemporaryDir dir;
    const QString path =
        test::sampleBook(dir.filePath(QStringLiteral("kinds.tif")), 4, QStringLiteral("bw,grey,palette,rgb"), 5);
    ASSERT_FALSE(path.isEmpty());
    ImagingError error;
    const auto file = ImageFile::open(path, &error);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->pageCount(), 4);
    const struct {
        int pageType;
        QImage::Format format;
        const char* compression;
    } expected[] = {{PageTypeBlackWhite, QImage::Format_Mono, "CCITT Gruppe 4"},
                    {PageTypeGray8, QImage::Format_Grayscale8, "LZW"},
                    {PageTypePalette8, QImage::Format_Indexed8, "LZW"},
                    {PageTypeRgb24, QImage::Format_RGB32, "LZW"}};
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        const PageInfo info = file->pageInfo(page);
        EXPECT_EQ(info.width, 1240);
        EXPECT_EQ(info.height, 1754);
        EXPECT_NEAR(info.xResolution, 300, 0.01);
        EXPECT_NEAR(info.yResolution, 300, 0.01);
        EXPECT_EQ(info.pageType, expected[page - 1].pageType);
        EXPECT_EQ(info.compressionInfo.toStdString(), expected[page - 1].compression);

        const QImage image = file->readPage(page, &error);
        EXPECT_EQ(image.format(), expected[page - 1].format);
        const QImage reference = test::libtiffPicture(path, page);
        ASSERT_FALSE(reference.isNull());
        EXPECT_EQ(test::firstWrongPixel(image, [&](int x, int y) { return reference.pixel(x, y); }), "");
    }
}

TEST(ImageFile, JpegColourPagesComeOutAsLibtiffDecodesThem)
{
    QTemporaryDir dir;
    PatternPage page = pattern(8, 3, PHOTOMETRIC_YCBCR, COMPRESSION_JPEG);
    page.width = 64;
    page.rowsPerStrip = 16;
    page.height = 48;
    const QString path = dir.filePath(QStringLiteral("jpeg.tif"));
    ASSERT_TRUE(test::writePatternBook(path, {page}));
    ImagingError error;
    const auto file = ImageFile::open(path, &error);
    ASSERT_TRUE(file) << error.description.toStdString();
    EXPECT_EQ(file->pageInfo(1).pageType, PageTypeRgb24);
    EXPECT_EQ(file->pageInfo(1).compressionInfo.toStdString(), "JPEG");
    const QImage image = file->readPage(1, &error);
    ASSERT_EQ(image.format(), QImage::Format_RGB32) << error.description.toStdString();
    const QImage reference = test::libtiffPicture(path, 1);
    int worst = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb a = image.pixel(x, y), b = reference.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 3);  // two YCbCr conversions, rounded differently
}

// Kinds our own decoders do not take go through libtiff's RGBA reader:
// 2-bit grey comes as grey, CMYK as colour, each pixel as libtiff sees it.
TEST(ImageFile, OtherPageKindsAreShownThroughLibtiffsRgbaReader)
{
    QTemporaryDir dir;
    const PatternPage grey2 = pattern(2, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE);
    const PatternPage cmyk = pattern(8, 4, PHOTOMETRIC_SEPARATED, COMPRESSION_LZW);
    const QString mixed = dir.filePath(QStringLiteral("mixed.tif"));
    ASSERT_TRUE(test::writePatternBook(mixed, {PatternPage{}, grey2, cmyk}));
    ImagingError error;
    const auto file = ImageFile::open(mixed, &error);
    ASSERT_TRUE(file) << error.description.toStdString();
    const struct {
        int page, pageType;
        QImage::Format format;
    } cases[] = {{2, PageTypeGray8, QImage::Format_Grayscale8}, {3, PageTypeRgb24, QImage::Format_RGB32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const QImage shown = file->readPage(c.page, &error);
        ASSERT_FALSE(shown.isNull()) << error.description.toStdString();
        EXPECT_EQ(shown.format(), c.format);
        EXPECT_EQ(file->pageInfo(c.page).pageType, c.pageType);
        const QImage reference = test::libtiffPicture(mixed, c.page);
        EXPECT_EQ(test::firstWrongPixel(shown, [&](int x, int y) { return reference.pixel(x, y); }), "");
    }
}

TEST(ImageFile, PagesLibtiffCannotReadAreRefusedWithTheReason)
{
    ImagingError error;
    const QString floats = QStringLiteral(PALVENOR_TIFF_SAMPLES "/test_float64_predictor2_le_lzw.tif");
    EXPECT_FALSE(ImageFile::open(floats, &error));
    EXPECT_EQ(failureText(error).toStdString(),
              "Dieses Bildformat wird nicht unterstützt: Gleitkomma-Abtastwerte (libtiff: Sorry, can not handle "
              "images with 64-bit samples) Fehlercode = 7D3");
}

TEST(ImageFile, PagesOutsideTheBookAreRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("two.tif"));
    ASSERT_TRUE(test::writePatternBook(path, {PatternPage{}, PatternPage{}}));
    ImagingError error;
    const auto file = ImageFile::open(path, &error);
    ASSERT_TRUE(file);
    for (int page : {0, -1, 3}) {
        SCOPED_TRACE(page);
        error = {};
        EXPECT_TRUE(file->readPage(page, &error).isNull());
        EXPECT_EQ(error.code, StatusBadPageNumber);
        EXPECT_EQ(file->pageInfo(page).pageType, PageTypeUnknown);
        EXPECT_EQ(file->pageInfo(page).width, 0);
    }
    EXPECT_FALSE(file->readPage(2, &error).isNull());
    EXPECT_EQ(error.code, StatusOk);
}

// ---------------------------------------------------------------------------
// BMP: one page, its type told by bit depth and palette.

QImage indexedPicture(int colours, bool grey)
{
    QImage image(53, 31, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i) {
        const int level = i * 255 / (colours - 1);
        table.append(grey ? qRgb(level, level, level) : qRgb(level, 255 - level, (i * 7 % colours) * 255 / (colours - 1)));
    }
    image.setColorTable(table);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, uint((x * 5 + y * 3) % colours));
    return image;
}

QImage rgbPicture()
{
    QImage image(53, 31, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 8, (x + y) * 3));
    return image;
}

TEST(ImageFile, BmpFilesAreOnePageOfTheirType)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        QImage picture;
        int pageType;
        QImage::Format format;
    } cases[] = {{"grey 16", indexedPicture(16, true), PageTypeGray4, QImage::Format_Grayscale8},
                 {"colour 16", indexedPicture(16, false), PageTypePalette4, QImage::Format_Indexed8},
                 {"grey 256", indexedPicture(256, true), PageTypeGray8, QImage::Format_Grayscale8},
                 {"colour 256", indexedPicture(256, false), PageTypePalette8, QImage::Format_Indexed8},
                 {"rgb", rgbPicture(), PageTypeRgb24, QImage::Format_RGB32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage picture = c.picture;
        picture.setDotsPerMeterX(11811);  // 300 dpi
        picture.setDotsPerMeterY(5906);   // 150 dpi
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".bmp"));
        ASSERT_TRUE(picture.save(path, "BMP"));

        ImagingError error;
        const auto file = ImageFile::open(path, &error);
        ASSERT_TRUE(file) << error.description.toStdString();
        EXPECT_EQ(file->fileType(), FileTypeBmp);
        EXPECT_EQ(file->pageCount(), 1);
        const PageInfo info = file->pageInfo(1);
        EXPECT_EQ(info.pageType, c.pageType);
        EXPECT_EQ(info.width, 53);
        EXPECT_EQ(info.height, 31);
        EXPECT_NEAR(info.xResolution, 300, 0.1);
        EXPECT_NEAR(info.yResolution, 150, 0.1);
        EXPECT_EQ(info.compressionInfo.toStdString(), "unkomprimiert");

        const QImage image = file->readPage(1, &error);
        EXPECT_EQ(image.format(), c.format);
        EXPECT_EQ(test::firstWrongPixel(image, [&](int x, int y) { return c.picture.pixel(x, y); }), "");
        EXPECT_TRUE(file->readPage(2, &error).isNull());
        EXPECT_EQ(error.code, StatusBadPageNumber);
    }
}

TEST(ImageFile, SampleBookBmpShowsTheSamePageAsTheBook)
{
    QTemporaryDir dir;
    const QString bmp = dir.filePath(QStringLiteral("page1.bmp"));
    const QString book = test::sampleBook(dir.filePath(QStringLiteral("book.tif")), 1, QStringLiteral("bw"), 2,
                                          {QStringLiteral("--bmp"), bmp});
    ASSERT_FALSE(book.isEmpty());
    ImagingError error;
    const auto fromBmp = ImageFile::open(bmp, &error);
    ASSERT_TRUE(fromBmp) << error.description.toStdString();
    const auto fromBook = ImageFile::open(book, &error);
    ASSERT_TRUE(fromBook);
    const PageInfo info = fromBmp->pageInfo(1);
    EXPECT_EQ(info.pageType, PageTypeBlackWhite);
    EXPECT_EQ(QSize(info.width, info.height), QSize(1240, 1754));
    EXPECT_NEAR(info.xResolution, 300, 0.1);

    const QImage bmpPage = fromBmp->readPage(1, &error);
    const QImage bookPage = fromBook->readPage(1, &error);
    EXPECT_EQ(bmpPage.format(), QImage::Format_Mono);
    EXPECT_EQ(test::firstWrongPixel(bmpPage, [&](int x, int y) { return bookPage.pixel(x, y); }), "");
}

// ---------------------------------------------------------------------------
// Damaged and foreign files: an error code, never a crash.

int openFailure(const QString& path)
{
    ImagingError error;
    const auto file = ImageFile::open(path, &error);
    if (file)
        return StatusOk;
    EXPECT_FALSE(error.description.isEmpty());
    return error.code;
}

TEST(ImageFile, DamagedAndForeignFilesGiveTheirErrorCodes)
{
    QTemporaryDir dir;
    const QString book = test::sampleBook(dir.filePath(QStringLiteral("book.tif")), 3, QStringLiteral("bw"), 1);
    ASSERT_FALSE(book.isEmpty());
    const QByteArray whole = test::fileBytes(book);
    const auto file = [&](const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(test::writeBytes(path, bytes));
        return path;
    };

    EXPECT_EQ(openFailure(dir.filePath(QStringLiteral("missing.tif"))), StatusFileNotFound);
    EXPECT_EQ(openFailure(file("empty.tif", {})), StatusNotAnImage);
    EXPECT_EQ(openFailure(file("text.tif", "Das ist kein Bild, nur Text.\n")), StatusNotAnImage);
    EXPECT_EQ(openFailure(file("header-only.tif", whole.left(6))), StatusCorruptFile);
    EXPECT_EQ(openFailure(file("first-directory-outside.tif", QByteArray("II*\0\xff\xff\x00\x00", 8))),
              StatusCorruptFile);
    EXPECT_EQ(openFailure(file("no-directory.tif", QByteArray("II*\0\0\0\0\0", 8))), StatusNoPages);
    // One entry, the width: a chain libtiff cannot make a page of.
    EXPECT_EQ(openFailure(file("width-only.tif", QByteArray("II*\0\x08\0\0\0\x01\0"
                                                             "\x00\x01\x03\0\x01\0\0\0\x0a\0\0\0"
                                                             "\0\0\0\0",
                                                             26))),
              StatusCorruptFile);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.tif")));
    EXPECT_EQ(openFailure(dir.filePath(QStringLiteral("folder.tif"))), StatusNotAnImage);
    EXPECT_EQ(openFailure(file("half.tif", whole.left(whole.size() / 2))), StatusCorruptFile);
    // The generator writes each directory behind its page; 40 bytes cut off
    // the end of the last one.
    EXPECT_EQ(openFailure(file("last-directory-cut.tif", whole.chopped(40))), StatusCorruptFile);
    EXPECT_EQ(openFailure(file("bmp-header-only.bmp", QByteArray("BM\x36\0\0\0", 6))), StatusCorruptFile);
    EXPECT_EQ(openFailure(book), StatusOk);
}

TEST(ImageFile, PageWhoseStripsAreCutOffFailsToReadButTheOthersRead)
{
    // A book as this program writes it, directories in front of the strips:
    // the cut leaves the chain whole and takes the last page's strips.
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.tif"));
    ASSERT_TRUE(test::writePatternBook(source, std::vector<PatternPage>(3)));
    const QString path = dir.filePath(QStringLiteral("cut.tif"));
    ASSERT_TRUE(writeBook(path, {pageOfFile(source, 1), pageOfFile(source, 2), pageOfFile(source, 3)}).ok());
    const QByteArray bytes = test::fileBytes(path);
    ASSERT_TRUE(test::writeBytes(path, bytes.left(bytes.size() - 200)));

    ImagingError error;
    const auto file = ImageFile::open(path, &error);
    ASSERT_TRUE(file) << error.description.toStdString();
    EXPECT_EQ(file->pageCount(), 3);
    EXPECT_FALSE(file->readPage(1, &error).isNull());
    EXPECT_TRUE(file->readPage(3, &error).isNull());
    EXPECT_EQ(error.code, StatusCorruptFile);
    EXPECT_FALSE(file->readPage(2, &error).isNull());
    EXPECT_EQ(error.code, StatusOk);
}

TEST(ImageFile, BmpHeightWithoutPositiveCounterpartIsDamage)
{
    // 54 header bytes and one 24-bit pixel row; the height is INT32_MIN.
    QByteArray bmp("BM", 2);
    const auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp.append(char(v >> (8 * i)));
    };
    le32(58);
    le32(0);
    le32(54);
    le32(40);
    le32(1);
    le32(0x80000000u);
    bmp.append("\x01\0\x18\0", 4);  // one plane, 24 bits
    for (int i = 0; i < 7; ++i)
        le32(0);
    ASSERT_EQ(bmp.size(), 58);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("min-height.bmp"));
    ASSERT_TRUE(test::writeBytes(path, bmp));
    EXPECT_EQ(openFailure(path), StatusCorruptFile);
}

TEST(ImageFile, PipesDevicesAndFoldersAreRefusedUnopened)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.tif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath(QStringLiteral("folder.tif"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& path : {fifo, folder, QStringLiteral("/dev/zero")}) {
        ImagingError error;
        EXPECT_FALSE(ImageFile::open(path, &error));
        EXPECT_EQ(error.code, StatusNotAnImage);
        EXPECT_EQ(error.description, path + QStringLiteral(" ist keine Bilddatei"));
    }
}

TEST(ImageFile, ChainLoopingBackOpensThePagesBeforeTheLoop)
{
    QTemporaryDir dir;
    const QString book = test::sampleBook(dir.filePath(QStringLiteral("book.tif")), 3, QStringLiteral("bw"), 1);
    ASSERT_FALSE(book.isEmpty());
    const QString loop = dir.filePath(QStringLiteral("loop.tif"));
    ASSERT_TRUE(test::writeBytes(loop, test::withChainLoop(book)));

    ImagingError error;
    const auto file = ImageFile::open(loop, &error);
    ASSERT_TRUE(file);
    EXPECT_EQ(error.code, StatusOk);
    EXPECT_EQ(error.description, QStringLiteral("Die Bilddatei ist nach Seite 3 beschädigt: ") + loop);
    EXPECT_EQ(file->pageCount(), 3);
    for (int page = 1; page <= 3; ++page) {
        const QImage expected = test::libtiffPicture(book, page);
        EXPECT_EQ(test::firstWrongPixel(file->readPage(page, &error),
                                        [&](int x, int y) { return expected.pixel(x, y); }),
                  "")
            << "page " << page;
    }
}

TEST(ImageFile, InputsThatOnceBrokeTheReaderOpenOrAreRefusedWithAReason)
{
    const QDir folder(QStringLiteral(PALVENOR_FUZZ_REGRESSIONS "/ImageFile"));
    const QStringList inputs = folder.entryList(QDir::Files);
    ASSERT_FALSE(inputs.isEmpty());
    for (const QString& name : inputs) {
        ImagingError error;
        const auto file = ImageFile::open(folder.filePath(name), &error);
        if (!file) {
            EXPECT_FALSE(error.description.isEmpty()) << name.toStdString();
            continue;
        }
        for (int page = 1; page <= file->pageCount(); ++page) {
            if (file->readPage(page, &error).isNull()) {
                EXPECT_FALSE(error.description.isEmpty()) << name.toStdString() << " page " << page;
            }
        }
    }
}

TEST(ImageFile, BooksWhoseTilesAreFarLargerThanThePageAreRefusedUnread)
{
    const QDir folder(QStringLiteral(PALVENOR_FUZZ_REGRESSIONS "/ImageFile"));
    for (const char* name : {"huge-tile-grey.tif", "huge-tile-rgb.tif", "huge-tile-ycbcr.tif"}) {
        ImagingError error;
        EXPECT_FALSE(ImageFile::open(folder.filePath(QLatin1String(name)), &error)) << name;
        EXPECT_EQ(error.code, StatusUnsupportedFormat) << name;
        EXPECT_TRUE(error.description.contains(QStringLiteral("Kacheln zu groß (65536 × 65536 Bildpunkte)")))
            << name << ": " << error.description.toStdString();
    }
}

// Whether this process has the file at path mapped into its memory.
bool isMapped(const QString& path)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QByteArray name = QFile::encodeName(QFileInfo(path).canonicalFilePath());
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.endsWith(" " + name))
            return true;
    return false;
}

TEST(ImageFile, PagingThroughABookHoldsNoneOfItsBytesInMemory)
{
    QTemporaryDir dir;
    const QString book = test::sampleBook(dir.filePath(QStringLiteral("farbe.tif")), 8, QStringLiteral("rgb,bw"), 5);
    ASSERT_FALSE(book.isEmpty());
    ImagingError error;
    const auto file = ImageFile::open(book, &error);
    ASSERT_TRUE(file);
    const QImage last = file->readPage(file->pageCount(), &error);
    for (int page = 1; page <= file->pageCount(); ++page) {
        ASSERT_FALSE(file->readPage(page, &error).isNull()) << page;
        // Through a mapping, going to a directory by its offset would bring
        // in every page of the file that holds a directory, all at once.
        ASSERT_FALSE(isMapped(book)) << page;
    }
    EXPECT_EQ(file->readPage(file->pageCount(), &error), last);
}

}  // namespace
}  // namespace palvenor::imaging
