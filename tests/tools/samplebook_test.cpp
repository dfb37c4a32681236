// Checks the sample book generator from the outside: runs it like a user does
// and reads what it wrote with libtiff and QImage.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <tiffio.h>

#include <memory>
#include <vector>

namespace {

struct GeneratorRun {
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
};

void ensureQtApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "tools_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

GeneratorRun runGenerator(const QStringList& arguments)
{
    ensureQtApplication();
    QProcess process;
    process.start(QStringLiteral(PALVENOR_SAMPLEBOOK), arguments);
    GeneratorRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.standardOutput = process.readAllStandardOutput();
    run.standardError = process.readAllStandardError();
    return run;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

TiffFile openTiff(const QString& path)
{
    return TiffFile(TIFFOpen(QFile::encodeName(path).constData(), "r"));
}

struct ExpectedStorage {
    uint16_t compression;
    uint16_t photometric;
    uint16_t bitsPerSample;
    uint16_t samplesPerPixel;
};

// Share of clearly dark pixels in the current page: text is there if > 0.
double inkShare(TIFF* tiff)
{
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    std::vector<uint32_t> raster(static_cast<std::size_t>(width) * height);
    if (!TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return -1;
    std::size_t dark = 0;
    for (const uint32_t pixel : raster)
        dark += (TIFFGetR(pixel) + TIFFGetG(pixel) + TIFFGetB(pixel)) < 3 * 100;
    return static_cast<double>(dark) / static_cast<double>(raster.size());
}

class SamplebookTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

TEST_F(SamplebookTest, MixedBookCyclesKindsWithPageTagsAndResolution)
{
    ASSERT_TRUE(m_dir.isValid());
    const QString book = path(QStringLiteral("gemischt.tif"));
    const GeneratorRun run = runGenerator({book, QStringLiteral("--pages"), QStringLiteral("8"),
                                           QStringLiteral("--kinds"), QStringLiteral("bw,grey,palette,rgb")});
    ASSERT_EQ(run.exitCode, 0) << run.standardError.constData();

    const TiffFile tiff = openTiff(book);
    ASSERT_TRUE(tiff);
    ASSERT_EQ(TIFFNumberOfDirectories(tiff.get()), 8);

    const ExpectedStorage expected[] = {
        {COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE, 1, 1},
        {COMPRESSION_LZW, PHOTOMETRIC_MINISBLACK, 8, 1},
        {COMPRESSION_LZW, PHOTOMETRIC_PALETTE, 8, 1},
        {COMPRESSION_LZW, PHOTOMETRIC_RGB, 8, 3},
    };
    for (int page = 0; page < 8; ++page) {
        SCOPED_TRACE(testing::Message() << "page index " << page);
        ASSERT_TRUE(TIFFSetDirectory(tiff.get(), static_cast<tdir_t>(page)));
        const ExpectedStorage& want = expected[page % 4];

        uint16_t compression = 0, photometric = 0, bits = 0, samples = 0, unit = 0;
        TIFFGetField(tiff.get(), TIFFTAG_COMPRESSION, &compression);
        TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
        EXPECT_EQ(compression, want.compression);
        EXPECT_EQ(photometric, want.photometric);
        EXPECT_EQ(bits, want.bitsPerSample);
        EXPECT_EQ(samples, want.samplesPerPixel);

        uint16_t* red = nullptr;
        uint16_t* green = nullptr;
        uint16_t* blue = nullptr;
        EXPECT_EQ(TIFFGetField(tiff.get(), TIFFTAG_COLORMAP, &red, &green, &blue) == 1,
                  want.photometric == PHOTOMETRIC_PALETTE);

        float xResolution = 0, yResolution = 0;
        ASSERT_TRUE(TIFFGetField(tiff.get(), TIFFTAG_XRESOLUTION, &xResolution));
        ASSERT_TRUE(TIFFGetField(tiff.get(), TIFFTAG_YRESOLUTION, &yResolution));
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
        EXPECT_FLOAT_EQ(xResolution, 300.0f);
        EXPECT_FLOAT_EQ(yResolution, 300.0f);
        EXPECT_EQ(unit, RESUNIT_INCH);

        uint32_t subfileType = 0;
        uint16_t pageNumber = 0, pageCount = 0;
        EXPECT_TRUE(TIFFGetField(tiff.get(), TIFFTAG_SUBFILETYPE, &subfileType));
        EXPECT_EQ(subfileType, static_cast<uint32_t>(FILETYPE_PAGE));
        ASSERT_TRUE(TIFFGetField(tiff.get(), TIFFTAG_PAGENUMBER, &pageNumber, &pageCount));
        EXPECT_EQ(pageNumber, page);
        EXPECT_EQ(pageCount, 8);

        uint32_t width = 0, height = 0;
        TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
        EXPECT_GE(width, 1000u);
        EXPECT_GT(height, width);

        // Every page decodes and carries text, but is mostly paper.
        const double ink = inkShare(tiff.get());
        EXPECT_GT(ink, 0.01);
        EXPECT_LT(ink, 0.30);
    }
}

TEST_F(SamplebookTest, SameSeedGivesIdenticalBytesOtherSeedDiffers)
{
    ASSERT_TRUE(m_dir.isValid());
    auto generate = [this](const QString& name, const QStringList& seedArguments) {
        QStringList arguments{path(name + QStringLiteral(".tif")), QStringLiteral("--pages"), QStringLiteral("5"),
                              QStringLiteral("--kinds"), QStringLiteral("bw,grey"), QStringLiteral("--truth"),
                              path(name + QStringLiteral(".txt"))};
        arguments += seedArguments;
        const GeneratorRun run = runGenerator(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.standardError.constData();
    };
    generate(QStringLiteral("a"), {QStringLiteral("--seed"), QStringLiteral("7")});
    generate(QStringLiteral("b"), {QStringLiteral("--seed"), QStringLiteral("7")});
    generate(QStringLiteral("c"), {QStringLiteral("--seed"), QStringLiteral("8")});
    generate(QStringLiteral("default"), {});
    generate(QStringLiteral("one"), {QStringLiteral("--seed"), QStringLiteral("1")});

    const QByteArray first = fileBytes(path(QStringLiteral("a.tif")));
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(first, fileBytes(path(QStringLiteral("b.tif"))));
    EXPECT_EQ(fileBytes(path(QStringLiteral("a.txt"))), fileBytes(path(QStringLiteral("b.txt"))));
    EXPECT_NE(first, fileBytes(path(QStringLiteral("c.tif"))));
    EXPECT_NE(fileBytes(path(QStringLiteral("a.txt"))), fileBytes(path(QStringLiteral("c.txt"))));
    EXPECT_EQ(fileBytes(path(QStringLiteral("default.tif"))), fileBytes(path(QStringLiteral("one.tif"))));
}

TEST_F(SamplebookTest, TruthFileHoldsEveryPageUnderItsPageNumber)
{
    ASSERT_TRUE(m_dir.isValid());
    const int pages = 12;
    const QString truthPath = path(QStringLiteral("wahrheit.txt"));
    const GeneratorRun run = runGenerator({path(QStringLiteral("buch.tif")), QStringLiteral("--pages"),
                                           QString::number(pages), QStringLiteral("--truth"), truthPath});
    ASSERT_EQ(run.exitCode, 0) << run.standardError.constData();

    const QString truth = QString::fromUtf8(fileBytes(truthPath));
    const QStringList pageTexts = truth.split(QLatin1Char('\f'));
    ASSERT_EQ(pageTexts.size(), pages);

    for (int number = 1; number <= pages; ++number) {
        SCOPED_TRACE(testing::Message() << "page " << number);
        const QString& text = pageTexts[number - 1];
        ASSERT_TRUE(text.endsWith(QLatin1Char('\n')));
        const QStringList lines = text.split(QLatin1Char('\n'));
        const QStringList headerParts = lines.first().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        EXPECT_TRUE(headerParts.contains(QString::number(number))) << lines.first().toStdString();
        EXPECT_GT(lines.size(), 15);
        EXPECT_GT(text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).size(), 50);
    }
    EXPECT_NE(pageTexts[0].section(QLatin1Char('\n'), 1), pageTexts[1].section(QLatin1Char('\n'), 1));
    EXPECT_TRUE(truth.contains(QRegularExpression(QStringLiteral("[äöüÄÖÜß]"))));
}

TEST_F(SamplebookTest, BmpAndLooseImagesLoadWithQImage)
{
    ASSERT_TRUE(m_dir.isValid());
    const QString book = path(QStringLiteral("buch.tif"));
    const QString bmp = path(QStringLiteral("seite1.bmp"));
    const QString loose = path(QStringLiteral("einzeln"));
    const GeneratorRun run = runGenerator({book, QStringLiteral("--pages"), QStringLiteral("7"),
                                           QStringLiteral("--kinds"), QStringLiteral("bw,rgb,grey"),
                                           QStringLiteral("--bmp"), bmp, QStringLiteral("--loose"), loose});
    ASSERT_EQ(run.exitCode, 0) << run.standardError.constData();

    const TiffFile tiff = openTiff(book);
    ASSERT_TRUE(tiff);
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    const QSize pageSize(static_cast<int>(width), static_cast<int>(height));

    const QImage first(bmp);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), pageSize);

    const QStringList expectedNames{QStringLiteral("seite001.png"), QStringLiteral("seite002.jpg"),
                                    QStringLiteral("seite003.tif"), QStringLiteral("seite004.png"),
                                    QStringLiteral("seite005.jpg"), QStringLiteral("seite006.tif")};
    EXPECT_EQ(QDir(loose).entryList(QDir::Files, QDir::Name), expectedNames);
    for (const QString& name : expectedNames) {
        SCOPED_TRACE(name.toStdString());
        const QImage image(QDir(loose).filePath(name));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), pageSize);
    }

    // A short book has fewer loose pages.
    const QString shortLoose = path(QStringLiteral("kurz"));
    const GeneratorRun shortRun = runGenerator({path(QStringLiteral("kurz.tif")), QStringLiteral("--pages"),
                                                QStringLiteral("2"), QStringLiteral("--loose"), shortLoose});
    ASSERT_EQ(shortRun.exitCode, 0) << shortRun.standardError.constData();
    EXPECT_EQ(QDir(shortLoose).entryList(QDir::Files, QDir::Name),
              QStringList({QStringLiteral("seite001.png"), QStringLiteral("seite002.jpg")}));
}

TEST_F(SamplebookTest, PageSizeGivesPagesOfThatSizeFullOfText)
{
    ASSERT_TRUE(m_dir.isValid());
    const QString a4 = path(QStringLiteral("a4.tif"));
    const QString wide = path(QStringLiteral("breit.tif"));
    const QString quarter = path(QStringLiteral("viertel.tif"));
    ASSERT_EQ(runGenerator({a4, QStringLiteral("--pages"), QStringLiteral("2"), QStringLiteral("--kinds"),
                            QStringLiteral("rgb,bw"), QStringLiteral("--page-size"), QStringLiteral("a4-300"),
                            QStringLiteral("--truth"), path(QStringLiteral("a4.txt"))})
                  .exitCode,
              0);
    ASSERT_EQ(runGenerator({wide, QStringLiteral("--pages"), QStringLiteral("1"), QStringLiteral("--page-size"),
                            QStringLiteral("1000x600")})
                  .exitCode,
              0);
    ASSERT_EQ(runGenerator({quarter, QStringLiteral("--pages"), QStringLiteral("1"), QStringLiteral("--truth"),
                            path(QStringLiteral("viertel.txt"))})
                  .exitCode,
              0);

    const auto sizesOf = [](const QString& book) {
        std::vector<std::pair<uint32_t, uint32_t>> sizes;
        const std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(QFile::encodeName(book).constData(), "r"));
        if (!tiff)
            return sizes;
        do {
            uint32_t width = 0, height = 0;
            TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
            TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
            sizes.emplace_back(width, height);
        } while (TIFFReadDirectory(tiff.get()));
        return sizes;
    };
    using Sizes = std::vector<std::pair<uint32_t, uint32_t>>;
    EXPECT_EQ(sizesOf(a4), (Sizes{{2480, 3508}, {2480, 3508}}));
    EXPECT_EQ(sizesOf(wide), (Sizes{{1000, 600}}));
    EXPECT_EQ(sizesOf(quarter), (Sizes{{1240, 1754}}));

    // The type keeps its size, so an A4 page holds about four times the text.
    const QString a4Page = QString::fromUtf8(fileBytes(path(QStringLiteral("a4.txt")))).section(QLatin1Char('\f'), 0, 0);
    const QString quarterPage = QString::fromUtf8(fileBytes(path(QStringLiteral("viertel.txt"))));
    EXPECT_GT(a4Page.size(), 3 * quarterPage.size());
    EXPECT_LT(a4Page.size(), 6 * quarterPage.size());
}

TEST_F(SamplebookTest, BadArgumentsAndUnwritableOutputExitWithCodeTwo)
{
    ASSERT_TRUE(m_dir.isValid());
    const QString book = path(QStringLiteral("buch.tif"));
    const QList<QStringList> badCalls{
        {},
        {book},
        {QStringLiteral("--pages"), QStringLiteral("3")},
        {book, QStringLiteral("--pages")},
        {book, QStringLiteral("--pages"), QStringLiteral("0")},
        {book, QStringLiteral("--pages"), QStringLiteral("drei")},
        {book, QStringLiteral("--pages"), QStringLiteral("3"), QStringLiteral("--kinds"), QStringLiteral("bw,cmyk")},
        {book, QStringLiteral("--pages"), QStringLiteral("3"), QStringLiteral("--seed"), QStringLiteral("-1")},
        {book, QStringLiteral("--pages"), QStringLiteral("3"), QStringLiteral("--farbe")},
        {book, QStringLiteral("--pages"), QStringLiteral("3"), QStringLiteral("--page-size"), QStringLiteral("a5")},
        {book, QStringLiteral("--pages"), QStringLiteral("3"), QStringLiteral("--page-size"), QStringLiteral("399x800")},
        {book, QStringLiteral("--pages"), QStringLiteral("3"), QStringLiteral("--page-size"), QStringLiteral("800x")},
        {book, book, QStringLiteral("--pages"), QStringLiteral("3")},
        {path(QStringLiteral("fehlt/buch.tif")), QStringLiteral("--pages"), QStringLiteral("3")},
        {book, QStringLiteral("--pages"), QStringLiteral("3"), QStringLiteral("--truth"),
         path(QStringLiteral("fehlt/wahrheit.txt"))},
    };
    for (const QStringList& arguments : badCalls) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const GeneratorRun run = runGenerator(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_FALSE(run.standardError.isEmpty());
    }

    const GeneratorRun help = runGenerator({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.standardOutput.contains("--pages"));
}

} // namespace

namespace {

// Dark pixels in the left and the right half of the current page.
std::pair<std::size_t, std::size_t> inkOfHalves(TIFF* tiff)
{
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    std::vector<uint32_t> raster(static_cast<std::size_t>(width) * height);
    if (!TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return {0, 0};
    std::pair<std::size_t, std::size_t> ink{0, 0};
    for (std::size_t i = 0; i < raster.size(); ++i) {
        const uint32_t pixel = raster[i];
        if (TIFFGetR(pixel) + TIFFGetG(pixel) + TIFFGetB(pixel) < 3 * 100)
            ++(i % width < width / 2 ? ink.first : ink.second);
    }
    return ink;
}

} // namespace

TEST_F(SamplebookTest, SpreadsFollowATitlePageWithTwoFacingPageNumbers)
{
    ASSERT_TRUE(m_dir.isValid());
    const QString book = path(QStringLiteral("aufgeschlagen.tif"));
    const QString truthPath = path(QStringLiteral("aufgeschlagen.txt"));
    const GeneratorRun run = runGenerator({book, QStringLiteral("--pages"), QStringLiteral("4"),
                                           QStringLiteral("--spreads"), QStringLiteral("--kinds"),
                                           QStringLiteral("bw,grey"), QStringLiteral("--truth"), truthPath});
    ASSERT_EQ(run.exitCode, 0) << run.standardError.constData();

    const QStringList imageTexts = QString::fromUtf8(fileBytes(truthPath)).split(QLatin1Char('\f'));
    ASSERT_EQ(imageTexts.size(), 4);
    EXPECT_FALSE(imageTexts[0].contains(QStringLiteral("—"))) << "the title page carries no number";
    for (int image = 2; image <= 4; ++image) {
        SCOPED_TRACE(testing::Message() << "image " << image);
        const QString& text = imageTexts[image - 1];
        const int left = 2 * image - 2;
        EXPECT_TRUE(text.startsWith(QStringLiteral("— %1 —\n\n").arg(left)));
        EXPECT_TRUE(text.contains(QStringLiteral("\n— %1 —\n\n").arg(left + 1)));
    }

    const TiffFile tiff = openTiff(book);
    ASSERT_TRUE(tiff);
    EXPECT_EQ(TIFFNumberOfDirectories(tiff.get()), 4);
    uint32_t pageWidth = 0, pageHeight = 0;
    for (tdir_t image = 0; image < 4; ++image) {
        SCOPED_TRACE(testing::Message() << "image " << image + 1);
        ASSERT_TRUE(TIFFSetDirectory(tiff.get(), image));
        uint32_t width = 0, height = 0;
        TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
        const auto [leftInk, rightInk] = inkOfHalves(tiff.get());
        EXPECT_GT(rightInk, 0u);
        if (image == 0) {
            pageWidth = width;
            pageHeight = height;
            continue;
        }
        EXPECT_EQ(width, 2 * pageWidth);
        EXPECT_EQ(height, pageHeight);
        EXPECT_GT(leftInk, 0u);
    }
}
