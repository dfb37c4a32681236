#include "ImageFile.h"
#include "PageAdmin.h"
#include "PageBooks.h"
#include "RealFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>

namespace palvenor::imaging {
namespace {

// The files libtiff's test suite breaks on purpose, and what the user is told.
struct Refusal {
    const char* file;
    int code;
    const char* reason;
    bool atOpen;  // refused when the book opens; otherwise when its page is shown
};

const Refusal kRefusals[] = {
    {"test_float64_predictor2_be_lzw.tif", StatusUnsupportedFormat, "Gleitkomma-Abtastwerte", true},
    {"test_float64_predictor2_le_lzw.tif", StatusUnsupportedFormat, "Gleitkomma-Abtastwerte", true},
    {"testfax3_bug54_1dnoEOL.tif", StatusCorruptFile, "Premature EOL", false},
    {"testfax3_bug_513.tiff", StatusCorruptFile, "Buffer overflow", false},
};

// Files whose directory chain links back into itself: they open with the
// pages before the loop, and page operations leave them alone.
const char* const kLoopingChains[] = {"test_ifd_loop_subifd.tif", "test_ifd_loop_to_first.tif",
                                      "test_ifd_loop_to_self.tif"};

bool chainLoops(const QString& name)
{
    return std::find(std::begin(kLoopingChains), std::end(kLoopingChains), name) != std::end(kLoopingChains);
}

const Refusal* refusalOf(const QString& name)
{
    for (const Refusal& r : kRefusals)
        if (name == QLatin1String(r.file))
            return &r;
    return nullptr;
}

// How far a shown pixel may lie from libtiff's own reading: JPEG pages are
// turned into RGB by libjpeg on our side and by libtiff's YCbCr conversion on
// the other.
int greatestDifference(const QImage& shown, const QImage& reference)
{
    int worst = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y), b = reference.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    return worst;
}

// Files whose directory chain links back into itself open with the pages
// before the loop and say after which page they are damaged.
TEST(TiffSamples, ChainsLoopingBackOpenUpToTheLoop)
{
    for (const char* name : kLoopingChains) {
        SCOPED_TRACE(name);
        const QString path = test::tiffSamplesFolder() + QLatin1Char('/') + QString::fromLatin1(name);
        ImagingError error;
        const auto file = ImageFile::open(path, &error);
        ASSERT_TRUE(file) << error.description.toStdString();
        EXPECT_EQ(error.code, StatusOk);
        EXPECT_EQ(error.description,
                  QStringLiteral("Die Bilddatei ist nach Seite %1 beschädigt: %2").arg(file->pageCount()).arg(path));
    }
}

TEST(TiffSamples, EachOpensAndShowsOrIsRefusedSayingWhy)
{
    const QStringList names = test::tiffSampleNames();
    ASSERT_GE(names.size(), 30);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString path = test::tiffSamplesFolder() + QLatin1Char('/') + name;
        const Refusal* refusal = refusalOf(name);
        ImagingError error;
        const auto file = ImageFile::open(path, &error);
        if (refusal && refusal->atOpen) {
            EXPECT_FALSE(file);
            EXPECT_EQ(error.code, refusal->code);
            EXPECT_TRUE(error.description.contains(QString::fromUtf8(refusal->reason))) << error.description.toStdString();
            continue;
        }
        ASSERT_TRUE(file) << error.description.toStdString();
        for (int page = 1; page <= file->pageCount(); ++page) {
            SCOPED_TRACE(page);
            const QImage shown = file->readPage(page, &error);
            if (refusal) {
                EXPECT_TRUE(shown.isNull());
                EXPECT_EQ(error.code, refusal->code);
                EXPECT_TRUE(error.description.contains(QString::fromUtf8(refusal->reason)))
                    << error.description.toStdString();
                continue;
            }
            ASSERT_FALSE(shown.isNull()) << error.description.toStdString();
            const QImage reference = test::libtiffPicture(path, page);
            ASSERT_EQ(shown.size(), reference.size());
            const bool jpeg = file->pageInfo(page).compression == COMPRESSION_JPEG ||
                              file->pageInfo(page).compression == COMPRESSION_OJPEG;
            EXPECT_LE(greatestDifference(shown, reference), jpeg ? 12 : 1);
        }
    }
}

// A book made from a real file goes through an insert, a delete, an append
// and a move; after each, the file's own pages are as they were: the same
// strips, the same entries with the data they point at, the same pixels.
class RealFilePages : public test::PageBooks {
protected:
    static void SetUpTestSuite()
    {
        PageBooks::SetUpTestSuite();
        made_ = std::make_unique<QTemporaryDir>();
        QString failed;
        others_ = test::otherProgramsFiles(made_->path(), &failed);
        failed_ = failed;
    }

    static void TearDownTestSuite()
    {
        others_.clear();
        made_.reset();
        PageBooks::TearDownTestSuite();
    }

    // Pages first..first+n-1 of the book are the pages of `before`.
    static void expectPagesAsBefore(const QString& book, int first, const std::vector<test::PageRecord>& before)
    {
        const std::vector<test::PageRecord> after = test::pageRecords(book);
        ASSERT_GE(after.size(), first - 1 + before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            SCOPED_TRACE("page " + std::to_string(i + 1));
            const test::PageRecord& now = after[size_t(first - 1) + i];
            EXPECT_TRUE(now.strips == before[i].strips) << "strips differ";
            EXPECT_EQ(now.entries, before[i].entries);
            EXPECT_EQ(now.picture.isNull(), before[i].picture.isNull());
            if (!before[i].picture.isNull()) {
                EXPECT_TRUE(now.picture == before[i].picture) << "pixels differ";
            }
        }
    }

    // Runs the four operations on a copy of source.
    void checkOperations(const QString& source)
    {
        SCOPED_TRACE(source.toStdString());
        const QString book = folder_.filePath(QStringLiteral("real.tif"));
        QFile::remove(book);
        ASSERT_TRUE(QFile::copy(source, book));
        QFile(book).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        const std::vector<test::PageRecord> before = test::pageRecords(source);
        const int n = int(before.size());
        ASSERT_GT(n, 0);
        const test::RawPage marker = test::rawPages(bookA_)[0];

        ImagingError e = insertPages(book, 1, bookA_, 1, 1);
        ASSERT_TRUE(e.ok()) << failureText(e).toStdString();
        EXPECT_TRUE(test::rawPages(book)[0] == marker);
        expectPagesAsBefore(book, 2, before);

        e = deletePages(book, 1, 1);
        ASSERT_TRUE(e.ok()) << failureText(e).toStdString();
        EXPECT_EQ(test::directoryCount(book), n);
        expectPagesAsBefore(book, 1, before);

        e = appendPages(book, bookA_, 1, 1);
        ASSERT_TRUE(e.ok()) << failureText(e).toStdString();
        e = movePage(book, n + 1, 1);
        ASSERT_TRUE(e.ok()) << failureText(e).toStdString();
        EXPECT_TRUE(test::rawPages(book)[0] == marker);
        expectPagesAsBefore(book, 2, before);
        EXPECT_EQ(test::pageNumberTags(book), unnumberedPages(n + 1));
    }

    static inline std::unique_ptr<QTemporaryDir> made_;
    static inline QStringList others_;
    static inline QString failed_;
};

TEST_F(RealFilePages, LibtiffsTestImagesComeThroughUntouched)
{
    for (const QString& name : test::tiffSampleNames()) {
        if (chainLoops(name))
            continue;  // the next test
        checkOperations(test::tiffSamplesFolder() + QLatin1Char('/') + name);
    }
}

TEST_F(RealFilePages, BooksWithABrokenChainAreLeftAlone)
{
    for (const char* name : kLoopingChains) {
        SCOPED_TRACE(name);
        const QString source = test::tiffSamplesFolder() + QLatin1Char('/') + QLatin1String(name);
        const QString book = folder_.filePath(QStringLiteral("broken.tif"));
        QFile::remove(book);
        ASSERT_TRUE(QFile::copy(source, book));
        const QByteArray bytes = test::fileBytes(book);
        const ImagingError e = insertPages(book, 1, bookA_, 1, 1);
        EXPECT_EQ(e.code, StatusCorruptFile);
        EXPECT_TRUE(test::fileBytes(book) == bytes);
        EXPECT_EQ(appendPages(book_, source, 1, 1).code, StatusCorruptFile);
    }
}

// Strips of 16-bit pages hold samples in their file's byte order, so the
// book takes that order; pages of the two orders cannot share a book.
TEST_F(RealFilePages, SixteenBitPagesSetTheByteOrderOfTheBook)
{
    const QString motorola = test::tiffSamplesFolder() + QStringLiteral("/minisblack-1c-16b.tiff");
    const QString intel = test::tiffSamplesFolder() + QStringLiteral("/test_float64_predictor2_le_lzw.tif");
    const std::vector<test::PageRecord> before = test::pageRecords(motorola);
    ASSERT_TRUE(insertPages(book_, 2, motorola, 1, 1).ok());
    EXPECT_EQ(test::fileBytes(book_).left(2), "MM");
    expectPagesAsBefore(book_, 2, before);
    EXPECT_EQ(sequenceOf(book_), "A1 ? A2 A3 A4 A5");

    const QByteArray bytes = test::fileBytes(book_);
    const ImagingError e = appendPages(book_, intel, 1, 1);
    EXPECT_EQ(failureText(e).toStdString(),
              "Dieses Bildformat wird nicht unterstützt: Seiten mit mehr als 8 Bit je Abtastwert aus Dateien "
              "unterschiedlicher Bytereihenfolge Fehlercode = 7D3");
    EXPECT_TRUE(test::fileBytes(book_) == bytes);
}

TEST_F(RealFilePages, FilesOfOtherProgramsComeThroughUntouched)
{
    ASSERT_TRUE(failed_.isEmpty()) << "could not make the files: " << failed_.toStdString();
    for (const QString& path : others_)
        checkOperations(path);
}

// The entries of page `page` an archive cares about, as libtiff reads them.
struct ArchiveEntries {
    QByteArray icc, xmp, description;
    float xResolution = 0;
    uint16_t unit = 0;
    uint16_t compression = 0;
};

ArchiveEntries archiveEntriesOf(const QString& path, int page)
{
    ArchiveEntries found;
    test::Tiff tif = test::openTiff(path);
    if (!tif || !TIFFSetDirectory(tif.get(), tdir_t(page - 1)))
        return found;
    uint32_t length = 0;
    const char* data = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &length, &data))
        found.icc = QByteArray(data, int(length));
    if (TIFFGetField(tif.get(), TIFFTAG_XMLPACKET, &length, &data))
        found.xmp = QByteArray(data, int(length));
    if (TIFFGetField(tif.get(), TIFFTAG_IMAGEDESCRIPTION, &data))
        found.description = data;
    TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &found.xResolution);
    TIFFGetField(tif.get(), TIFFTAG_RESOLUTIONUNIT, &found.unit);
    TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &found.compression);
    return found;
}

void expectPrivateAndAnnotationEntries(const QString& path, int page)
{
    const std::string entries = test::entriesOfPage(path, page);
    EXPECT_NE(entries.find(std::to_string(test::PrivateTag) + " 2 14 " +
                           QByteArray("Archiv 1923/7", 14).toHex().toStdString()),
              std::string::npos)
        << entries;
    EXPECT_NE(entries.find(std::to_string(AnnotationTag) + " 7 15 "), std::string::npos) << entries;
}

TEST_F(RealFilePages, ArchiveEntriesSurviveAPageOperation)
{
    ASSERT_TRUE(failed_.isEmpty()) << failed_.toStdString();
    const QString rich = made_->filePath(QStringLiteral("rich.tif"));
    ASSERT_TRUE(insertPages(book_, 2, rich, 1, 1).ok());
    ASSERT_TRUE(deletePages(book_, 1, 1).ok());
    const ArchiveEntries kept = archiveEntriesOf(book_, 1);
    EXPECT_EQ(kept.icc, QByteArray(600, '\x5a'));
    EXPECT_TRUE(kept.xmp.startsWith("<x:xmpmeta"));
    EXPECT_EQ(kept.description, "Band 3, Blatt 17");
    EXPECT_FLOAT_EQ(kept.xResolution, 118.11f);
    EXPECT_EQ(kept.unit, RESUNIT_CENTIMETER);
    expectPrivateAndAnnotationEntries(book_, 1);
}

// A page made black and white is a new picture of the same page: it keeps
// what describes the page, from a file of either byte order; the colour
// profile of its colours goes.
TEST_F(RealFilePages, APageMadeBlackAndWhiteKeepsWhatDescribesIt)
{
    ASSERT_TRUE(failed_.isEmpty()) << failed_.toStdString();
    ASSERT_TRUE(test::writeRichPage(made_->filePath(QStringLiteral("rich-motorola.tif")), test::richColourPage(), "wb"));
    for (const char* name : {"rich.tif", "rich-motorola.tif"}) {
        SCOPED_TRACE(name);
        QFile::remove(book_);
        ASSERT_TRUE(QFile::copy(bookA_, book_));
        ASSERT_TRUE(appendPages(book_, made_->filePath(QString::fromLatin1(name)), 1, 1,
                                PageCompression::BlackAndWhiteG4)
                        .ok());
        const ArchiveEntries kept = archiveEntriesOf(book_, 6);
        EXPECT_EQ(kept.compression, COMPRESSION_CCITTFAX4);
        EXPECT_TRUE(kept.icc.isEmpty());
        EXPECT_TRUE(kept.xmp.startsWith("<x:xmpmeta"));
        EXPECT_EQ(kept.description, "Band 3, Blatt 17");
        EXPECT_FLOAT_EQ(kept.xResolution, 118.11f);
        EXPECT_EQ(kept.unit, RESUNIT_CENTIMETER);
        expectPrivateAndAnnotationEntries(book_, 6);
    }

    // A black-and-white page in G3 becomes G4 and keeps its colour profile too.
    test::PatternPage fax;
    fax.bits = 1;
    fax.photometric = PHOTOMETRIC_MINISWHITE;
    fax.compression = COMPRESSION_CCITTFAX3;
    const QString richFax = made_->filePath(QStringLiteral("rich-fax.tif"));
    ASSERT_TRUE(test::writeRichPage(richFax, fax));
    ASSERT_TRUE(appendPages(book_, richFax, 1, 1, PageCompression::BlackAndWhiteG4).ok());
    const ArchiveEntries kept = archiveEntriesOf(book_, 7);
    EXPECT_EQ(kept.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(kept.icc, QByteArray(600, '\x5a'));
    expectPrivateAndAnnotationEntries(book_, 7);
    EXPECT_TRUE(test::libtiffPicture(book_, 7) == test::libtiffPicture(richFax, 1));
}

// A new picture of a page (as the page view saves a changed page) keeps
// the page's describing entries; its colour profile only while its colours
// stay colours.
TEST_F(RealFilePages, ANewPictureOfAPageKeepsWhatDescribesThePage)
{
    ASSERT_TRUE(failed_.isEmpty()) << failed_.toStdString();
    const QString rich = made_->filePath(QStringLiteral("rich.tif"));
    const QImage colour = test::libtiffPicture(rich, 1).convertToFormat(QImage::Format_RGB32);
    const QImage mono = colour.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    PageSource changedColour{rich, 1, colour, 300};
    changedColour.pictureCompression = COMPRESSION_ADOBE_DEFLATE;
    const PageSource changedToMono{rich, 1, mono, 300};
    const QString target = folder_.filePath(QStringLiteral("neu.tif"));
    ASSERT_TRUE(writeBook(target, {changedColour, changedToMono}).ok());

    const ArchiveEntries first = archiveEntriesOf(target, 1);
    EXPECT_EQ(first.compression, COMPRESSION_ADOBE_DEFLATE);
    EXPECT_EQ(first.icc, QByteArray(600, '\x5a'));
    EXPECT_EQ(first.description, "Band 3, Blatt 17");
    const ArchiveEntries second = archiveEntriesOf(target, 2);
    EXPECT_EQ(second.compression, COMPRESSION_CCITTFAX4);
    EXPECT_TRUE(second.icc.isEmpty());
    EXPECT_TRUE(second.xmp.startsWith("<x:xmpmeta"));
    for (int page : {1, 2}) {
        SCOPED_TRACE(page);
        expectPrivateAndAnnotationEntries(target, page);
        EXPECT_FLOAT_EQ(archiveEntriesOf(target, page).xResolution, 118.11f);
    }
    EXPECT_TRUE(test::libtiffPicture(target, 1) == test::libtiffPicture(rich, 1));
}

}  // namespace
}  // namespace palvenor::imaging
