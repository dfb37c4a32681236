#include "ImageFile.h"
#include "PageAdmin.h"
#include "PageBooks.h"
#include "RealFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

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
    {"test_ifd_loop_subifd.tif", StatusCorruptFile, "beschädigt", true},
    {"test_ifd_loop_to_first.tif", StatusCorruptFile, "beschädigt", true},
    {"test_ifd_loop_to_self.tif", StatusCorruptFile, "beschädigt", true},
    {"testfax3_bug54_1dnoEOL.tif", StatusCorruptFile, "Premature EOL", false},
    {"testfax3_bug_513.tiff", StatusCorruptFile, "Buffer overflow", false},
};

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
        EXPECT_EQ(test::pageNumberTags(book), numberedPages(n + 1));
    }

    static inline std::unique_ptr<QTemporaryDir> made_;
    static inline QStringList others_;
    static inline QString failed_;
};

TEST_F(RealFilePages, LibtiffsTestImagesComeThroughUntouched)
{
    for (const QString& name : test::tiffSampleNames()) {
        const Refusal* refusal = refusalOf(name);
        if (refusal && refusal->code == StatusCorruptFile && refusal->atOpen)
            continue;  // a broken chain: the next test
        checkOperations(test::tiffSamplesFolder() + QLatin1Char('/') + name);
    }
}

TEST_F(RealFilePages, BooksWithABrokenChainAreLeftAlone)
{
    for (const Refusal& r : kRefusals) {
        if (r.code != StatusCorruptFile || !r.atOpen)
            continue;
        SCOPED_TRACE(r.file);
        const QString source = test::tiffSamplesFolder() + QLatin1Char('/') + QLatin1String(r.file);
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

TEST_F(RealFilePages, ArchiveEntriesSurviveAPageOperation)
{
    ASSERT_TRUE(failed_.isEmpty()) << failed_.toStdString();
    const QString rich = made_->filePath(QStringLiteral("rich.tif"));
    ASSERT_TRUE(insertPages(book_, 2, rich, 1, 1).ok());
    ASSERT_TRUE(deletePages(book_, 1, 1).ok());
    test::Tiff tif = test::openTiff(book_);
    ASSERT_TRUE(tif);
    uint32_t length = 0;
    const char* data = nullptr;
    ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &length, &data));
    EXPECT_EQ(QByteArray(data, int(length)), QByteArray(600, '\x5a'));
    ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_XMLPACKET, &length, &data));
    EXPECT_TRUE(QByteArray(data, int(length)).startsWith("<x:xmpmeta"));
    float x = 0;
    uint16_t unit = 0;
    ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &x));
    ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit));
    EXPECT_FLOAT_EQ(x, 118.11f);
    EXPECT_EQ(unit, RESUNIT_CENTIMETER);
    const std::string entries = test::entriesOfPage(book_, 1);
    EXPECT_NE(entries.find(std::to_string(test::PrivateTag) + " 2 14 " +
                           QByteArray("Archiv 1923/7", 14).toHex().toStdString()),
              std::string::npos)
        << entries;
    EXPECT_NE(entries.find(std::to_string(AnnotationTag) + " 7 15 "), std::string::npos) << entries;
}

}  // namespace
}  // namespace palvenor::imaging
