#include "ImageFile.h"
#include "oleImgAdmin.h"
#include "PageAdmin.h"
#include "PageBooks.h"

#include <QFileInfo>

#include <functional>

#include <sys/stat.h>

namespace palvenor::imaging {
namespace {

using test::PatternPage;

class PageOperations : public test::PageBooks {};

std::string codeText(const ImagingError& e)
{
    return failureText(e).toStdString();
}

TEST_F(PageOperations, AppendPutsTheSourcePagesAfterTheLastPage)
{
    ImagingError e = appendPages(book_, bookB_, 1, -1);
    ASSERT_TRUE(e.ok()) << codeText(e);
    EXPECT_EQ(sequenceOf(book_), "A1 A2 A3 A4 A5 B1 B2 B3");

    e = appendPages(book_, bookB_, 2, 1);
    ASSERT_TRUE(e.ok()) << codeText(e);
    EXPECT_EQ(sequenceOf(book_), "A1 A2 A3 A4 A5 B1 B2 B3 B2");
    EXPECT_EQ(test::pageNumberTags(book_), unnumberedPages(9));
    EXPECT_EQ(test::directoryCount(book_), 9);
}

TEST_F(PageOperations, AppendToAMissingBookMakesANewOne)
{
    const QString fresh = folder_.filePath(QStringLiteral("neu.tif"));
    const ImagingError e = appendPages(fresh, bookB_, 2, -1);
    ASSERT_TRUE(e.ok()) << codeText(e);
    EXPECT_EQ(sequenceOf(fresh), "B2 B3");
    EXPECT_EQ(test::pageNumberTags(fresh), unnumberedPages(2));
}

TEST_F(PageOperations, InsertPutsThePagesBeforeThePosition)
{
    const std::pair<int, const char*> cases[] = {
        {1, "B1 B2 A1 A2 A3 A4 A5"}, {3, "A1 A2 B1 B2 A3 A4 A5"}, {6, "A1 A2 A3 A4 A5 B1 B2"}};
    for (const auto& [position, expected] : cases) {
        SCOPED_TRACE(position);
        QFile::remove(book_);
        ASSERT_TRUE(QFile::copy(bookA_, book_));
        const ImagingError e = insertPages(book_, position, bookB_, 1, 2);
        ASSERT_TRUE(e.ok()) << codeText(e);
        EXPECT_EQ(sequenceOf(book_), expected);
        EXPECT_EQ(test::pageNumberTags(book_), unnumberedPages(7));
    }
}

TEST_F(PageOperations, ReplaceOverwritesAndGrowsPastTheEnd)
{
    const struct {
        int position, sourcePage, count;
        const char* expected;
    } cases[] = {{2, 1, 2, "A1 B1 B2 A4 A5"},
                 {1, 3, 1, "B3 A2 A3 A4 A5"},
                 {4, 1, -1, "A1 A2 A3 B1 B2 B3"},
                 {5, 1, 3, "A1 A2 A3 A4 B1 B2 B3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        QFile::remove(book_);
        ASSERT_TRUE(QFile::copy(bookA_, book_));
        const ImagingError e = replacePages(book_, c.position, bookB_, c.sourcePage, c.count);
        ASSERT_TRUE(e.ok()) << codeText(e);
        EXPECT_EQ(sequenceOf(book_), c.expected);
    }
}

TEST_F(PageOperations, DeleteRemovesTheRange)
{
    const struct {
        int start, count;
        const char* expected;
    } cases[] = {{3, 1, "A1 A2 A4 A5"}, {1, 2, "A3 A4 A5"}, {2, -1, "A1"}, {5, 1, "A1 A2 A3 A4"}, {1, 4, "A5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        QFile::remove(book_);
        ASSERT_TRUE(QFile::copy(bookA_, book_));
        const ImagingError e = deletePages(book_, c.start, c.count);
        ASSERT_TRUE(e.ok()) << codeText(e);
        EXPECT_EQ(sequenceOf(book_), c.expected);
    }
}

TEST_F(PageOperations, MoveTakesThePageToItsNewPlace)
{
    const struct {
        int from, to;
        const char* expected;
    } cases[] = {{2, 5, "A1 A3 A4 A5 A2"}, {5, 1, "A5 A1 A2 A3 A4"}, {1, 3, "A2 A3 A1 A4 A5"},
                 {4, 2, "A1 A4 A2 A3 A5"}, {2, 9, "A1 A3 A4 A5 A2"}, {3, 3, "A1 A2 A3 A4 A5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        QFile::remove(book_);
        ASSERT_TRUE(QFile::copy(bookA_, book_));
        const ImagingError e = movePage(book_, c.from, c.to);
        ASSERT_TRUE(e.ok()) << codeText(e);
        EXPECT_EQ(sequenceOf(book_), c.expected);
        if (c.from != c.to) {  // a page left in its place leaves the book untouched
            EXPECT_EQ(test::pageNumberTags(book_), unnumberedPages(5));
        }
    }
}

TEST_F(PageOperations, MovingTheOnlyPageChangesNothing)
{
    ASSERT_TRUE(deletePages(book_, 2, -1).ok());
    const QByteArray before = test::fileBytes(book_);
    for (const int to : {1, 2, 7}) {
        const ImagingError e = movePage(book_, 1, to);
        EXPECT_TRUE(e.ok()) << codeText(e);
        EXPECT_TRUE(test::fileBytes(book_) == before);
    }
}

TEST_F(PageOperations, MovedColourPagesKeepTheirPictureTags)
{
    ASSERT_TRUE(insertPages(book_, 1, mixed_, 1, -1).ok());
    ASSERT_TRUE(movePage(book_, 4, 9).ok());  // the colour page to the end
    ASSERT_TRUE(movePage(book_, 2, 1).ok());  // the grey page to the front
    EXPECT_EQ(sequenceOf(book_), "M2 M1 M3 A1 A2 A3 A4 A5 M4");
    const auto tags = test::pictureTagsOfPages(book_);
    const auto m = test::pictureTagsOfPages(mixed_);
    EXPECT_EQ(tags[0], m[1]);
    EXPECT_EQ(tags[8], m[3]);
}

TEST_F(PageOperations, BlackAndWhiteG4ReducesGreyAndColourPages)
{
    const ImagingError e = appendPages(book_, mixed_, 1, -1, PageCompression::BlackAndWhiteG4);
    ASSERT_TRUE(e.ok()) << codeText(e);
    // The black-and-white G4 page goes in as it is; the others are new pages.
    EXPECT_EQ(sequenceOf(book_), "A1 A2 A3 A4 A5 M1 ? ? ?");
    test::Tiff tif = test::openTiff(book_);
    test::Tiff source = test::openTiff(mixed_);
    ASSERT_TRUE(tif && source);
    for (int page = 6; page <= 9; ++page) {
        SCOPED_TRACE(page);
        ASSERT_TRUE(TIFFSetDirectory(tif.get(), tdir_t(page - 1)));
        ASSERT_TRUE(TIFFSetDirectory(source.get(), tdir_t(page - 6)));
        uint16_t compression = 0, bits = 0, samples = 0;
        TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compression);
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
        EXPECT_EQ(compression, COMPRESSION_CCITTFAX4);
        EXPECT_EQ(bits, 1);
        EXPECT_EQ(samples, 1);
        uint32_t width = 0, sourceWidth = 0;
        float dpi = 0, sourceDpi = 0;
        TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(source.get(), TIFFTAG_IMAGEWIDTH, &sourceWidth);
        TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &dpi);
        TIFFGetField(source.get(), TIFFTAG_XRESOLUTION, &sourceDpi);
        EXPECT_EQ(width, sourceWidth);
        EXPECT_FLOAT_EQ(dpi, sourceDpi);
    }
}

TEST_F(PageOperations, BlackAndWhiteG4TurnsDarkPrintBlackAndPaperWhite)
{
    const QString colour = folder_.filePath(QStringLiteral("colour.tif"));
    QImage page(60, 20, QImage::Format_RGB32);
    page.fill(qRgb(250, 240, 200));  // yellowed paper
    for (int x = 10; x < 50; ++x)
        page.setPixel(x, 10, qRgb(40, 20, 90));  // a dark blue line
    ASSERT_TRUE(writeBook(colour, {PageSource{QString(), 1, page, 300}}).ok());
    ASSERT_TRUE(replacePages(book_, 2, colour, 1, 1, PageCompression::BlackAndWhiteG4).ok());
    const QImage result = test::libtiffPicture(book_, 2);
    EXPECT_EQ(test::firstWrongPixel(result, [](int x, int y) {
                  return y == 10 && x >= 10 && x < 50 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
              }),
              "");
}

TEST_F(PageOperations, PagesOfABookChangedTwiceAreStillTheOriginals)
{
    ASSERT_TRUE(insertPages(book_, 2, mixed_, 1, -1).ok());
    ASSERT_TRUE(deletePages(book_, 1, 1).ok());
    ASSERT_TRUE(replacePages(book_, 8, bookB_, 3, 1).ok());
    ASSERT_TRUE(insertPages(book_, 3, book_, 1, 2).ok());
    EXPECT_EQ(sequenceOf(book_), "M1 M2 M1 M2 M3 M4 A2 A3 A4 B3");
    EXPECT_EQ(test::pageNumberTags(book_), unnumberedPages(10));
}

TEST_F(PageOperations, BadPageNumbersLeaveTheBookAsItWas)
{
    const QByteArray before = test::fileBytes(book_);
    const std::pair<const char*, std::function<ImagingError()>> cases[] = {
        {"insert before 0", [&] { return insertPages(book_, 0, bookB_, 1, 1); }},
        {"insert before 7", [&] { return insertPages(book_, 7, bookB_, 1, 1); }},
        {"source page 0", [&] { return insertPages(book_, 1, bookB_, 0, 1); }},
        {"source page 4 of 3", [&] { return insertPages(book_, 1, bookB_, 4, 1); }},
        {"source count 0", [&] { return insertPages(book_, 1, bookB_, 1, 0); }},
        {"source range past the end", [&] { return appendPages(book_, bookB_, 2, 3); }},
        {"source count -2", [&] { return appendPages(book_, bookB_, 1, -2); }},
        {"replace at 0", [&] { return replacePages(book_, 0, bookB_, 1, 1); }},
        {"replace at 6", [&] { return replacePages(book_, 6, bookB_, 1, 1); }},
        {"delete from 0", [&] { return deletePages(book_, 0, 1); }},
        {"delete from 6", [&] { return deletePages(book_, 6, 1); }},
        {"delete none", [&] { return deletePages(book_, 2, 0); }},
        {"delete past the end", [&] { return deletePages(book_, 4, 3); }},
        {"delete every page", [&] { return deletePages(book_, 1, 5); }},
        {"delete every page to the end", [&] { return deletePages(book_, 1, -1); }},
        {"move page 0", [&] { return movePage(book_, 0, 2); }},
        {"move page 6", [&] { return movePage(book_, 6, 2); }},
        {"move to 0", [&] { return movePage(book_, 2, 0); }},
    };
    for (const auto& [name, operation] : cases) {
        SCOPED_TRACE(name);
        const ImagingError e = operation();
        EXPECT_EQ(e.code, StatusBadPageNumber) << codeText(e);
        EXPECT_FALSE(e.description.isEmpty());
        EXPECT_TRUE(test::fileBytes(book_) == before) << "the book changed";
        EXPECT_EQ(test::folderEntries(folder_.path()), QStringList{QStringLiteral("book.tif")});
    }
}

TEST_F(PageOperations, FailingSourcesAndBooksLeaveTheBookAsItWas)
{
    QTemporaryDir other;
    const auto make = [&](const char* name, const QByteArray& bytes) {
        const QString path = other.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(test::writeBytes(path, bytes));
        return path;
    };
    const QByteArray bBytes = test::fileBytes(bookB_);
    const QString half = make("half.tif", bBytes.left(bBytes.size() / 2));
    const QString loop = make("loop.tif", test::withChainLoop(bookB_));
    const QString text = make("text.tif", "kein Bild");
    const QString empty = make("empty.tif", {});
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QString bmp = other.filePath(QStringLiteral("page.bmp"));
    ASSERT_TRUE(picture.save(bmp, "BMP"));
    const QString missing = other.filePath(QStringLiteral("missing.tif"));
    const QString fifo = other.filePath(QStringLiteral("pipe.tif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const QByteArray before = test::fileBytes(book_);
    const struct {
        const char* name;
        std::function<ImagingError()> operation;
        int code;
    } cases[] = {
        {"missing source", [&] { return insertPages(book_, 1, missing, 1, 1); }, StatusFileNotFound},
        {"text source", [&] { return insertPages(book_, 1, text, 1, 1); }, StatusNotAnImage},
        {"empty source", [&] { return appendPages(book_, empty, 1, 1); }, StatusNotAnImage},
        {"truncated source", [&] { return insertPages(book_, 1, half, 1, 1); }, StatusCorruptFile},
        {"source whose chain loops", [&] { return appendPages(book_, loop, 1, 1); }, StatusCorruptFile},
        {"missing book", [&] { return insertPages(missing, 1, bookB_, 1, 1); }, StatusFileNotFound},
        {"missing book to delete from", [&] { return deletePages(missing, 1, 1); }, StatusFileNotFound},
        {"bmp as the book", [&] { return insertPages(bmp, 1, book_, 1, 1); }, StatusUnsupportedFormat},
        {"truncated book", [&] { return deletePages(half, 1, 1); }, StatusCorruptFile},
        {"pipe as the source", [&] { return appendPages(book_, fifo, 1, 1); }, StatusNotAnImage},
        {"pipe as the book", [&] { return deletePages(fifo, 1, 1); }, StatusNotAnImage},
        {"no pages to write", [&] { return writeBook(book_, {}); }, StatusNoPages},
        {"page without picture", [&] { return writeBook(book_, {PageSource{}}); }, StatusNotAnImage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ImagingError e = c.operation();
        EXPECT_EQ(e.code, c.code) << codeText(e);
        EXPECT_FALSE(e.description.isEmpty());
        EXPECT_TRUE(test::fileBytes(book_) == before) << "the book changed";
        EXPECT_EQ(test::folderEntries(folder_.path()), QStringList{QStringLiteral("book.tif")});
    }
    EXPECT_EQ(test::fileBytes(half), bBytes.left(bBytes.size() / 2));
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(PageOperations, CopiedPagesKeepEveryPictureTag)
{
    ASSERT_TRUE(insertPages(book_, 2, mixed_, 1, -1).ok());
    EXPECT_EQ(sequenceOf(book_), "A1 M1 M2 M3 M4 A2 A3 A4 A5");
    const auto result = test::pictureTagsOfPages(book_);
    const auto a = test::pictureTagsOfPages(bookA_);
    const auto m = test::pictureTagsOfPages(mixed_);
    ASSERT_EQ(result.size(), 9u);
    EXPECT_EQ(result[0], a[0]);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(result[1 + i], m[i]) << "page " << i + 2;
    for (size_t i = 1; i < 5; ++i)
        EXPECT_EQ(result[4 + i], a[i]) << "page " << i + 5;
}

// Pages of the other byte order go in with their values turned round; the
// strips of 8-bit pages need no change.
TEST_F(PageOperations, PagesOfTheOtherByteOrderAreTurnedRound)
{
    std::vector<PatternPage> pages(3);
    pages[0].photometric = PHOTOMETRIC_PALETTE;
    pages[0].yResolution = 150;
    pages[1].samples = 3;
    pages[1].photometric = PHOTOMETRIC_RGB;
    pages[2].bits = 4;
    pages[2].tileSize = 16;
    const QString reference = folder_.filePath(QStringLiteral("reference.tif"));
    const QString motorola = folder_.filePath(QStringLiteral("motorola.tif"));
    ASSERT_TRUE(test::writePatternBook(reference, pages, "wb"));
    ASSERT_TRUE(QFile::copy(reference, motorola));
    ASSERT_EQ(test::fileBytes(reference).left(2), "MM");

    // Into the little-endian book; and a page of that book into the
    // big-endian one, whose byte order the most pages have.
    ASSERT_TRUE(insertPages(book_, 2, reference, 1, -1).ok());
    ASSERT_TRUE(appendPages(motorola, bookA_, 1, 1).ok());
    EXPECT_EQ(test::fileBytes(book_).left(2), "II");
    EXPECT_EQ(test::fileBytes(motorola).left(2), "MM");
    EXPECT_EQ(sequenceOf(book_), "A1 ? ? ? A2 A3 A4 A5");
    EXPECT_EQ(sequenceOf(motorola), "? ? ? A1");

    const auto tags = test::pictureTagsOfPages(reference);
    const auto strips = test::rawPages(reference);
    const struct {
        QString path;
        int first;
    } results[] = {{book_, 2}, {motorola, 1}};
    for (const auto& result : results) {
        const auto resultTags = test::pictureTagsOfPages(result.path);
        const auto resultStrips = test::rawPages(result.path);
        ImagingError error;
        const auto file = ImageFile::open(result.path, &error);
        ASSERT_TRUE(file) << error.description.toStdString();
        for (int i = 0; i < 3; ++i) {
            const int page = result.first + i;
            SCOPED_TRACE(result.path.toStdString() + " page " + std::to_string(page));
            EXPECT_EQ(resultTags[size_t(page - 1)], tags[size_t(i)]);
            EXPECT_EQ(resultStrips[size_t(page - 1)], strips[size_t(i)]);
            const QImage image = file->readPage(page, &error);
            EXPECT_EQ(test::firstWrongPixel(image, [&](int x, int y) { return pages[size_t(i)].expected(x, y); }),
                      "");
        }
    }
}

TEST_F(PageOperations, JpegPagesKeepTheirTables)
{
    PatternPage page;
    page.width = 64;
    page.height = 48;
    page.samples = 3;
    page.photometric = PHOTOMETRIC_YCBCR;
    page.compression = COMPRESSION_JPEG;
    page.rowsPerStrip = 16;
    const QString jpeg = folder_.filePath(QStringLiteral("jpeg.tif"));
    ASSERT_TRUE(test::writePatternBook(jpeg, {page}));
    ASSERT_TRUE(insertPages(book_, 2, jpeg, 1, 1).ok());

    EXPECT_EQ(test::rawPages(book_)[1], test::rawPages(jpeg)[0]);
    ImagingError error;
    const auto source = ImageFile::open(jpeg, &error);
    const auto copy = ImageFile::open(book_, &error);
    ASSERT_TRUE(source && copy);
    const QImage original = source->readPage(1, &error);
    const QImage copied = copy->readPage(2, &error);
    ASSERT_FALSE(copied.isNull()) << error.description.toStdString();
    EXPECT_EQ(test::firstWrongPixel(copied, [&](int x, int y) { return original.pixel(x, y); }), "");
}

QImage monoPicture()
{
    QImage image(75, 40, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});  // black at index 0
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, uint((x / 3 + y / 2) % 2));
    return image;
}

QImage greyPicture()
{
    QImage image(75, 40, QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 3, x * 3, x * 3));
    return image;
}

QImage indexedPicture(int colours)
{
    QImage image(75, 40, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table.append(qRgb(i * 255 / (colours - 1), 255 - i * 255 / (colours - 1), (i * 7 % colours) * 10 % 256));
    image.setColorTable(table);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, uint((x + 2 * y) % colours));
    return image;
}

QImage colourPicture()
{
    QImage image(75, 40, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 3, y * 6, 255 - x * 2));
    return image;
}

QImage grey16Picture()
{
    QImage image(75, 40, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 16; ++i)
        table.append(qRgb(i * 17, i * 17, i * 17));
    image.setColorTable(table);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, uint((x + y) % 16));
    return image;
}

TEST_F(PageOperations, PicturesAndBmpPagesAreEncodedByType)
{
    const QString bmp = folder_.filePath(QStringLiteral("grey16.bmp"));
    QImage bmpPicture = grey16Picture();
    bmpPicture.setDotsPerMeterX(7874);  // 200 dpi
    bmpPicture.setDotsPerMeterY(7874);
    ASSERT_TRUE(bmpPicture.save(bmp, "BMP"));
    const QImage pictures[] = {monoPicture(), greyPicture(), indexedPicture(16), indexedPicture(200),
                               colourPicture()};
    std::vector<PageSource> sources;
    for (const QImage& picture : pictures) {
        PageSource source;
        source.picture = picture;
        source.resolution = 400;
        sources.push_back(source);
    }
    sources.push_back(pageOfFile(bmp, 1));
    sources.push_back(pageOfFile(bookB_, 2));
    const QString target = folder_.filePath(QStringLiteral("pictures.tif"));
    const ImagingError e = writeBook(target, sources);
    ASSERT_TRUE(e.ok()) << codeText(e);

    EXPECT_EQ(sequenceOf(target), "? ? ? ? ? ? B2");
    const struct {
        uint16_t compression, bits;
        int pageType;
        double dpi;
    } expected[] = {{COMPRESSION_CCITTFAX4, 1, PageTypeBlackWhite, 400}, {COMPRESSION_LZW, 8, PageTypeGray8, 400},
                    {COMPRESSION_LZW, 4, PageTypePalette4, 400},        {COMPRESSION_LZW, 8, PageTypePalette8, 400},
                    {COMPRESSION_LZW, 8, PageTypeRgb24, 400},           {COMPRESSION_LZW, 4, PageTypeGray4, 200}};
    test::Tiff tif = test::openTiff(target);
    ImagingError error;
    const auto file = ImageFile::open(target, &error);
    ASSERT_TRUE(tif && file);
    for (int page = 1; page <= 6; ++page) {
        SCOPED_TRACE(page);
        const auto& want = expected[page - 1];
        ASSERT_TRUE(TIFFSetDirectory(tif.get(), tdir_t(page - 1)));
        uint16_t compression = 0, bits = 0;
        TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compression);
        TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
        EXPECT_EQ(compression, want.compression);
        EXPECT_EQ(bits, want.bits);
        EXPECT_EQ(file->pageInfo(page).pageType, want.pageType);
        EXPECT_NEAR(file->pageInfo(page).xResolution, want.dpi, 0.1);
        const QImage& picture = page <= 5 ? pictures[page - 1] : bmpPicture;
        const QImage decoded = file->readPage(page, &error);
        EXPECT_EQ(test::firstWrongPixel(decoded, [&](int x, int y) { return picture.pixel(x, y); }), "");
    }
}

TEST_F(PageOperations, PagesOfOtherFilesKeepTheirOwnCompression)
{
    const QString bmp = folder_.filePath(QStringLiteral("grey.bmp"));
    ASSERT_TRUE(greyPicture().save(bmp, "BMP"));
    ASSERT_TRUE(appendPages(book_, mixed_, 1, -1, PageCompression::Own).ok());
    ASSERT_TRUE(insertPages(book_, 1, bmp, 1, 1).ok());
    ASSERT_TRUE(insertPages(book_, 1, bmp, 1, 1, PageCompression::BlackAndWhiteG4).ok());
    EXPECT_EQ(sequenceOf(book_), "? ? A1 A2 A3 A4 A5 M1 M2 M3 M4");
    test::Tiff tif = test::openTiff(book_);
    ASSERT_TRUE(tif);
    uint16_t compression = 0, bits = 0;
    TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    EXPECT_EQ(compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(bits, 1);
    ASSERT_TRUE(TIFFReadDirectory(tif.get()));
    TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    EXPECT_EQ(compression, COMPRESSION_LZW);
    EXPECT_EQ(bits, 8);
}

TEST_F(PageOperations, TheAdministratorPassesCompressionTypeFiveAsBlackAndWhiteG4)
{
    oleImgAdmin admin;
    admin.setImage(book_);
    ASSERT_TRUE(admin.Append(mixed_, 2, 1).ok());
    ASSERT_TRUE(admin.Insert(mixed_, 2, 1, 1, oleImgAdmin::BlackAndWhiteG4).ok());
    ASSERT_TRUE(admin.Replace(mixed_, 4, 1, 3, 5, 0).ok());
    ASSERT_TRUE(admin.MovePage(1, 4).ok());
    EXPECT_EQ(sequenceOf(book_), "A1 ? A3 ? A4 A5 M2");
    EXPECT_EQ(admin.StatusCode(), 0);
    EXPECT_EQ(admin.MovePage(8, 1).code, StatusBadPageNumber);
    EXPECT_EQ(admin.StatusCode(), StatusBadPageNumber);
    const auto tags = test::pictureTagsOfPages(book_);
    EXPECT_NE(tags[1].find("compression 4 "), std::string::npos) << tags[1];
    EXPECT_NE(tags[3].find("compression 4 "), std::string::npos) << tags[3];
}

TEST_F(PageOperations, ABookBehindASymbolicLinkIsChangedInPlace)
{
    const QString link = folder_.filePath(QStringLiteral("link.tif"));
    ASSERT_TRUE(QFile::link(book_, link));
    ASSERT_TRUE(deletePages(link, 2, 2).ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(sequenceOf(book_), "A1 A4 A5");
}

}  // namespace
}  // namespace palvenor::imaging
