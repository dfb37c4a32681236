// Page operations that change a book where it lies: the old bytes stay, the
// new pages and directories go after them, and one link switches to
// the new chain. Read back with libtiff and with the tools of other
// programs, after every operation and after a crash at either side of the
// switch.

#include "ImageFile.h"
#include "PageAdmin.h"
#include "PageBooks.h"
#include "RealFiles.h"

#include <QFileInfo>

#include <chrono>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace palvenor::imaging {
namespace {

using test::fileBytes;
using test::runTool;

// A BigTIFF book of uncompressed RGB pages of A4 at 300 dpi, above 4 GiB,
// made in moments: the directories lie together at the front, and each
// page's strip is left a hole that reads as black, but for the pages in
// `painted`, whose strips get the pattern of painted().
class LargeColourBook {
public:
    static constexpr uint32_t Width = 2480;
    static constexpr uint32_t Height = 3508;
    static constexpr uint64_t PageBytes = uint64_t(Width) * Height * 3;
    static constexpr int Pages = 165;  // 4.31 GB

    static QRgb painted(int page, int x, int y)
    {
        return qRgb((x + page) & 0xff, (y * 3) & 0xff, (x ^ y) & 0xff);
    }

    static bool make(const QString& path, const std::set<int>& painted)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        QByteArray directories;
        put(directories, 0x2b4949, 4);  // "II", 43
        put(directories, 8, 2);
        put(directories, 0, 2);
        put(directories, 16, 8);
        const uint64_t directorySize = 8 + EntryCount * 20 + 8;
        const uint64_t dataStart = 16 + Pages * directorySize;
        for (int page = 1; page <= Pages; ++page) {
            const uint64_t next = page < Pages ? 16 + page * directorySize : 0;
            appendDirectory(directories, dataStart + (page - 1) * PageBytes, next);
        }
        if (file.write(directories) != directories.size() || !file.resize(qint64(dataStart + Pages * PageBytes)))
            return false;
        for (const int page : painted)
            if (!file.seek(qint64(dataStart + (page - 1) * PageBytes)) || file.write(pattern(page)) != qint64(PageBytes))
                return false;
        return true;
    }

    // The first bytes of the file at path.
    static QByteArray start(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
    }

private:
    static constexpr uint64_t EntryCount = 10;

    static void put(QByteArray& out, uint64_t value, int size)
    {
        for (int i = 0; i < size; ++i)
            out.append(char(value >> (8 * i)));
    }

    static void appendDirectory(QByteArray& out, uint64_t strip, uint64_t next)
    {
        const auto entry = [&](uint16_t tag, uint16_t type, uint64_t count, uint64_t value) {
            put(out, tag, 2);
            put(out, type, 2);
            put(out, count, 8);
            put(out, value, 8);
        };
        put(out, EntryCount, 8);
        entry(256, 4, 1, Width);
        entry(257, 4, 1, Height);
        entry(258, 3, 3, 0x0008'0008'0008);  // 8 bits for each of the three samples
        entry(259, 3, 1, 1);                 // uncompressed
        entry(262, 3, 1, 2);                 // RGB
        entry(273, 16, 1, strip);
        entry(277, 3, 1, 3);
        entry(278, 4, 1, Height);
        entry(279, 16, 1, PageBytes);
        entry(284, 3, 1, 1);
        put(out, next, 8);
    }

    static QByteArray pattern(int page)
    {
        QByteArray bytes(qsizetype(PageBytes), Qt::Uninitialized);
        char* at = bytes.data();
        for (uint32_t y = 0; y < Height; ++y)
            for (uint32_t x = 0; x < Width; ++x) {
                const QRgb rgb = painted(page, int(x), int(y));
                *at++ = char(qRed(rgb));
                *at++ = char(qGreen(rgb));
                *at++ = char(qBlue(rgb));
            }
        return bytes;
    }
};

// A classic TIFF of three black-and-white pages of 64 × 64 pixels, each
// strip filled with its page's number, whose directories lie together from
// `firstDirectory` on.
QByteArray threePageBook(uint32_t firstDirectory)
{
    constexpr uint32_t StripBytes = 64 / 8 * 64;
    constexpr uint32_t DirectoryBytes = 2 + 9 * 12 + 4;
    QByteArray book("II*\0", 4);
    const auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            book.append(char(value >> (8 * i)));
    };
    put(firstDirectory, 4);
    for (char page = 1; page <= 3; ++page)
        book.append(QByteArray(StripBytes, page));
    book.append(QByteArray(qsizetype(firstDirectory) - book.size(), '\0'));
    for (uint32_t page = 0; page < 3; ++page) {
        put(9, 2);
        const std::pair<uint16_t, uint32_t> entries[] = {{256, 64}, {257, 64}, {258, 1}, {259, 1}, {262, 0},
                                                         {273, 8 + page * StripBytes}, {277, 1}, {278, 64},
                                                         {279, StripBytes}};
        for (const auto& [tag, value] : entries) {
            put(tag, 2);
            put(tag == 273 || tag == 279 ? 4 : 3, 2);  // LONG or SHORT
            put(1, 4);
            put(value, 4);
        }
        put(page < 2 ? firstDirectory + (page + 1) * DirectoryBytes : 0, 4);
    }
    return book;
}

class ChangeInPlace : public test::PageBooks {
protected:
    // Where the header of a little-endian book says the first directory is.
    static uint64_t firstDirectory(const QString& path)
    {
        const QByteArray bytes = fileBytes(path);
        const bool bigTiff = bytes.size() >= 16 && bytes[2] == 43;
        const int at = bigTiff ? 8 : 4;
        uint64_t offset = 0;
        for (int i = (bigTiff ? 7 : 3); i >= 0 && at + i < bytes.size(); --i)
            offset = offset << 8 | uint8_t(bytes[at + i]);
        return offset;
    }

    // libtiff's tools and ImageMagick read the book with `pages` pages.
    void expectReadableByOthers(int pages)
    {
        EXPECT_TRUE(runTool(QStringLiteral("tiffinfo"), {book_}));
        const QString copy = folder_.filePath(QStringLiteral("copied.tif"));
        EXPECT_TRUE(runTool(QStringLiteral("tiffcp"), {book_, copy}));
        EXPECT_EQ(test::directoryCount(copy), pages);
        QFile::remove(copy);
        QProcess identify;
        identify.start(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%p\n"), book_});
        ASSERT_TRUE(identify.waitForFinished(60000));
        EXPECT_EQ(identify.exitCode(), 0);
        EXPECT_EQ(identify.readAllStandardOutput().trimmed().split('\n').size(), pages);
    }

    // The book kept every byte it had but one link, the header's or that of
    // one of its directories; what the operation wrote follows them.
    void expectOldBytesKept(const QByteArray& before)
    {
        const QByteArray after = fileBytes(book_);
        ASSERT_GE(after.size(), before.size());
        const qsizetype linkSize = before[2] == 43 ? 8 : 4;
        qsizetype firstChange = -1;
        qsizetype lastChange = -1;
        for (qsizetype i = 0; i < before.size(); ++i) {
            if (after[i] != before[i]) {
                firstChange = firstChange < 0 ? i : firstChange;
                lastChange = i;
            }
        }
        EXPECT_LT(lastChange - firstChange, linkSize) << "bytes of the old book changed beyond one link";
    }

    void expectChangedInPlace(const std::function<ImagingError()>& operation, const std::string& sequence,
                              int pages)
    {
        const QByteArray before = fileBytes(book_);
        const ImagingError e = operation();
        ASSERT_TRUE(e.ok()) << failureText(e).toStdString();
        expectOldBytesKept(before);
        EXPECT_EQ(sequenceOf(book_), sequence);
        EXPECT_EQ(test::pageNumberTags(book_), unnumberedPages(pages));
        expectReadableByOthers(pages);
    }
};

TEST_F(ChangeInPlace, EveryPageOperationAppendsAndKeepsTheOldBytes)
{
    expectChangedInPlace([&] { return deletePages(book_, 2, 1); }, "A1 A3 A4 A5", 4);
    expectChangedInPlace([&] { return movePage(book_, 1, 4); }, "A3 A4 A5 A1", 4);
    expectChangedInPlace([&] { return insertPages(book_, 2, bookB_, 1, 2); }, "A3 B1 B2 A4 A5 A1", 6);
    expectChangedInPlace([&] { return appendPages(book_, bookB_, 3, 1); }, "A3 B1 B2 A4 A5 A1 B3", 7);
    expectChangedInPlace([&] { return replacePages(book_, 7, mixed_, 1, 2); }, "A3 B1 B2 A4 A5 A1 M1 M2", 8);
}

TEST_F(ChangeInPlace, AnOperationWritesOnlyTheDirectoriesItChanges)
{
    // Once written here, no page carries a page number, and the stretches of
    // the chain before and after a change stay where they lie.
    ASSERT_TRUE(writeBook(book_, {pageOfFile(bookA_, 1), pageOfFile(bookA_, 2), pageOfFile(bookA_, 3),
                                  pageOfFile(bookA_, 4), pageOfFile(bookA_, 5)})
                    .ok());
    const qint64 page = QFileInfo(bookB_).size() / 3;  // about the bytes of a page of B with its directory
    const auto growthOf = [&](const std::function<ImagingError()>& operation, const std::string& sequence,
                              int pages) {
        const qint64 before = QFileInfo(book_).size();
        expectChangedInPlace(operation, sequence, pages);
        return QFileInfo(book_).size() - before;
    };
    EXPECT_EQ(growthOf([&] { return deletePages(book_, 3, 1); }, "A1 A2 A4 A5", 4), 0);
    EXPECT_EQ(growthOf([&] { return deletePages(book_, 1, 1); }, "A2 A4 A5", 3), 0);
    EXPECT_LT(growthOf([&] { return insertPages(book_, 2, bookB_, 2, 1); }, "A2 B2 A4 A5", 4), 2 * page);
    EXPECT_LT(growthOf([&] { return appendPages(book_, bookB_, 3, 1); }, "A2 B2 A4 A5 B3", 5), 2 * page);
    EXPECT_LT(growthOf([&] { return replacePages(book_, 4, bookB_, 1, 1); }, "A2 B2 A4 B1 B3", 5), 2 * page);
    EXPECT_LT(growthOf([&] { return movePage(book_, 3, 1); }, "A4 A2 B2 B1 B3", 5), 2048);
    EXPECT_LT(growthOf([&] { return movePage(book_, 1, 5); }, "A2 B2 B1 B3 A4", 5), 2048);
}

TEST_F(ChangeInPlace, ALongRunOfOperationsStaysTrueToTheBook)
{
    // Each operation after the first works from the chain the one before
    // wrote, not from reading the book; libtiff must find what it wrote.
    std::vector<std::string> expected = {"A1", "A2", "A3", "A4", "A5"};
    const auto joined = [&] {
        std::string text;
        for (const std::string& page : expected)
            text += (text.empty() ? "" : " ") + page;
        return text;
    };
    std::mt19937 random(7);
    const auto place = [&](int last) { return std::uniform_int_distribution<>(1, last)(random); };
    for (int step = 0; step < 60; ++step) {
        const int n = int(expected.size());
        const int at = place(n);
        ImagingError e;
        switch (step % 5) {
        case 0: {
            const int page = place(3);
            e = insertPages(book_, at, bookB_, page, 1);
            expected.insert(expected.begin() + (at - 1), "B" + std::to_string(page));
            break;
        }
        case 1:
            if (n == 1)
                continue;
            e = deletePages(book_, at, 1);
            expected.erase(expected.begin() + (at - 1));
            break;
        case 2: {
            const int to = place(n);
            e = movePage(book_, at, to);
            const std::string moved = expected[size_t(at - 1)];
            expected.erase(expected.begin() + (at - 1));
            expected.insert(expected.begin() + (to - 1), moved);
            break;
        }
        case 3: {
            const int page = place(4);
            e = replacePages(book_, at, mixed_, page, 1);
            expected[size_t(at - 1)] = "M" + std::to_string(page);
            break;
        }
        default:
            e = appendPages(book_, bookA_, 5, 1);
            expected.push_back("A5");
        }
        ASSERT_TRUE(e.ok()) << "step " << step << ": " << failureText(e).toStdString();
        ASSERT_EQ(sequenceOf(book_), joined()) << "step " << step;
        if (step == 30) {
            // Another program rewrites the book: what this program wrote
            // last no longer says where its pages lie.
            const QString copy = folder_.filePath(QStringLiteral("umgeschrieben.tif"));
            ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {book_, copy}));
            ASSERT_TRUE(QFile::remove(book_) && QFile::rename(copy, book_));
        }
    }
    expectReadableByOthers(int(expected.size()));
}

TEST_F(ChangeInPlace, ALinkAcrossTwoSectorsIsLeftAloneAndTheHeaderSwitches)
{
    // The link of the first directory lies at 2046 to 2049 in one book and
    // at 2048 to 2051 in the other; deleting page 2 switches that link
    // only where it lies within one 512-byte sector.
    for (const uint32_t first : {1936u, 1938u}) {
        SCOPED_TRACE(first);
        // A new name each time: a book rewritten behind this program's back
        // would be written anew.
        book_ = folder_.filePath(QStringLiteral("drei-%1.tif").arg(first));
        const QByteArray before = threePageBook(first);
        ASSERT_TRUE(test::writeBytes(book_, before));
        ASSERT_TRUE(deletePages(book_, 2, 1).ok());
        const QByteArray after = fileBytes(book_);
        const bool acrossSectors = first == 1936;
        EXPECT_EQ(after.mid(4, 4) == before.mid(4, 4), !acrossSectors) << "header";
        EXPECT_EQ(after.mid(first + 110, 4) == before.mid(first + 110, 4), acrossSectors) << "link of page 1";
        const std::vector<test::RawPage> pages = test::rawPages(book_);
        ASSERT_EQ(pages.size(), 2u);
        EXPECT_EQ(pages[0].front(), QByteArray(512, 1));
        EXPECT_EQ(pages[1].front(), QByteArray(512, 3));
        expectReadableByOthers(2);
    }
}

TEST_F(ChangeInPlace, ABigTiffBookIsChangedInPlaceToo)
{
    ASSERT_TRUE(QFile::remove(book_));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {QStringLiteral("-8"), bookA_, book_}));
    ASSERT_EQ(fileBytes(book_)[2], 43) << "not BigTIFF";
    expectChangedInPlace([&] { return deletePages(book_, 1, 1); }, "A2 A3 A4 A5", 4);
    expectChangedInPlace([&] { return insertPages(book_, 3, bookB_, 2, 2); }, "A2 A3 B2 B3 A4 A5", 6);
    expectChangedInPlace([&] { return movePage(book_, 6, 1); }, "A5 A2 A3 B2 B3 A4", 6);
    EXPECT_EQ(fileBytes(book_)[2], 43);
}

TEST_F(ChangeInPlace, AColourBookAboveFourGigabytesIsPagedEditedAndSaved)
{
    ASSERT_TRUE(QFile::remove(book_));
    ASSERT_TRUE(LargeColourBook::make(book_, {1, LargeColourBook::Pages}));
    constexpr int last = LargeColourBook::Pages;
    const auto expectPainted = [](const QImage& page, int painted) {
        ASSERT_EQ(page.size(), QSize(LargeColourBook::Width, LargeColourBook::Height));
        for (const QPoint at : {QPoint(0, 0), QPoint(1234, 2345), QPoint(2479, 3507)})
            EXPECT_EQ(page.pixel(at) & 0xffffff, LargeColourBook::painted(painted, at.x(), at.y()) & 0xffffff)
                << "page painted as " << painted << " at " << at.x() << "," << at.y();
    };
    {
        ImagingError e;
        const std::unique_ptr<ImageFile> file = ImageFile::open(book_, &e);
        ASSERT_TRUE(file) << failureText(e).toStdString();
        ASSERT_EQ(file->pageCount(), last);
        expectPainted(file->readPage(last, &e), last);
        expectPainted(file->readPage(1, &e), 1);
        EXPECT_EQ(file->readPage(2, &e).pixel(100, 100) & 0xffffff, 0u);
    }
    const qint64 size = QFileInfo(book_).size();
    ASSERT_GT(size, qint64(1) << 32);

    // A small colour page goes in after the first, the last page (whose
    // strip lies beyond 4 GiB) to the front, and a black page goes.
    ASSERT_TRUE(insertPages(book_, 2, mixed_, 4, 1).ok());
    EXPECT_LT(QFileInfo(book_).size() - size, QFileInfo(mixed_).size()) << "not changed in place";
    ASSERT_TRUE(movePage(book_, last + 1, 1).ok());
    ASSERT_TRUE(deletePages(book_, 4, 1).ok());
    // Saving a changed page: the small page painted anew.
    QImage changed(64, 48, QImage::Format_RGB32);
    changed.fill(qRgb(10, 200, 30));
    PageSource page = pageOfFile(book_, 3);
    page.picture = changed;
    std::vector<PageSource> pages = {pageOfFile(book_, 1), pageOfFile(book_, 2), page};
    for (int p = 4; p <= last; ++p)
        pages.push_back(pageOfFile(book_, p));
    ASSERT_TRUE(writeBook(book_, pages).ok());
    EXPECT_LT(QFileInfo(book_).size() - size, qint64(1) << 20) << "not changed in place";
    EXPECT_EQ(LargeColourBook::start(book_), QByteArray("II+\0", 4));

    // libtiff reads the pages in their new order.
    EXPECT_EQ(test::directoryCount(book_), last);
    expectPainted(test::libtiffPicture(book_, 1), last);
    expectPainted(test::libtiffPicture(book_, 2), 1);
    EXPECT_EQ(test::libtiffPicture(book_, 3).pixel(5, 5) & 0xffffff, qRgb(10, 200, 30) & 0xffffff);
    EXPECT_TRUE(runTool(QStringLiteral("tiffinfo"), {book_}));
}

TEST_F(ChangeInPlace, ACrashBeforeTheSwitchLeavesTheOldBook)
{
    const QByteArray before = fileBytes(book_);
    fault_injection::crashAt(fault_injection::CommitStep::BeforeSwitch);
    const ImagingError e = deletePages(book_, 1, 2);
    EXPECT_EQ(e.code, StatusWriteFailed);
    EXPECT_EQ(failureText(e).toStdString(),
              failureText(ImagingError{StatusWriteFailed, QStringLiteral("Die Datei konnte nicht geschrieben werden: ") +
                                                              book_ + QStringLiteral(" (simulierter Absturz)")})
                  .toStdString());
    EXPECT_GT(fileBytes(book_).size(), before.size()) << "the new chain was not written";
    EXPECT_EQ(fileBytes(book_).left(8), before.left(8));
    EXPECT_EQ(sequenceOf(book_), "A1 A2 A3 A4 A5");
    expectReadableByOthers(5);

    // The next operation starts from the old book and its leftover tail.
    expectChangedInPlace([&] { return deletePages(book_, 5, 1); }, "A1 A2 A3 A4", 4);
}

TEST_F(ChangeInPlace, ACrashAfterTheSwitchLeavesTheNewBook)
{
    const QByteArray before = fileBytes(book_);
    fault_injection::crashAt(fault_injection::CommitStep::AfterSwitch);
    EXPECT_EQ(movePage(book_, 5, 1).code, StatusWriteFailed);
    expectOldBytesKept(before);
    EXPECT_EQ(sequenceOf(book_), "A5 A1 A2 A3 A4");
    EXPECT_EQ(test::pageNumberTags(book_), unnumberedPages(5));
    expectReadableByOthers(5);
}

TEST_F(ChangeInPlace, KillingTheProgramAtAnyMomentLeavesTheBookBeforeOrAfter)
{
    // Moving the first page to the end, again and again, only ever turns
    // the book round.
    std::set<std::string> rounds;
    std::string turned = "A1 A2 A3 A4 A5";
    for (int i = 0; i < 5; ++i) {
        rounds.insert(turned);
        turned = turned.substr(3) + " " + turned.substr(0, 2);
    }
    std::mt19937 random(20);
    std::set<std::string> seen;
    for (int kill = 0; kill < 12; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;)
                movePage(book_, 1, 5);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<>(200, 40000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const std::string sequence = sequenceOf(book_);
        EXPECT_TRUE(rounds.count(sequence)) << "after kill " << kill << ": " << sequence;
        EXPECT_EQ(test::pageNumberTags(book_), unnumberedPages(5)) << "after kill " << kill;
        seen.insert(sequence);
    }
    EXPECT_GT(seen.size(), 1u) << "the book was never changed";
    expectReadableByOthers(5);
}

TEST_F(ChangeInPlace, ABookChangedOnDiskSinceItWasOpenedIsWrittenAnew)
{
    ImagingError e;
    ASSERT_TRUE(ImageFile::open(book_, &e)) << failureText(e).toStdString();
    // Another program leaves the pages alone but rewrites the file.
    QFile file(book_);
    ASSERT_TRUE(file.open(QIODevice::Append));
    ASSERT_EQ(file.write("trailing bytes"), 14);
    file.close();

    ASSERT_TRUE(deletePages(book_, 1, 1).ok());
    EXPECT_EQ(firstDirectory(book_), 8u) << "changed in place";
    EXPECT_EQ(sequenceOf(book_), "A2 A3 A4 A5");

    // Written here, the book is known again and changed in place.
    const QByteArray before = fileBytes(book_);
    ASSERT_TRUE(deletePages(book_, 1, 1).ok());
    expectOldBytesKept(before);
}

TEST_F(ChangeInPlace, ABookWithSameSizeButNewTimeIsWrittenAnew)
{
    ImagingError e;
    ASSERT_TRUE(ImageFile::open(book_, &e));
    QFile file(book_);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QFileInfo(book_).lastModified().addSecs(60), QFileDevice::FileModificationTime));
    file.close();

    ASSERT_TRUE(movePage(book_, 1, 2).ok());
    EXPECT_EQ(firstDirectory(book_), 8u);
    EXPECT_EQ(sequenceOf(book_), "A2 A1 A3 A4 A5");
}

TEST_F(ChangeInPlace, GarbageOfMoreThanHalfTheBookIsCompactedAway)
{
    std::string expected = "A1 A2 A3 A4 A5";
    bool compacted = false;
    for (int round = 0; round < 400 && !compacted; ++round) {
        ASSERT_TRUE(movePage(book_, 1, 5).ok());
        expected = expected.substr(3) + " " + expected.substr(0, 2);
        compacted = firstDirectory(book_) == 8;
    }
    ASSERT_TRUE(compacted) << "the book only grew";
    EXPECT_EQ(sequenceOf(book_), expected);
    EXPECT_LT(QFileInfo(book_).size(), QFileInfo(bookA_).size() * 11 / 10);
    expectReadableByOthers(5);
}

TEST_F(ChangeInPlace, SavingUnderAnotherNameWritesTheBookAnew)
{
    ASSERT_TRUE(deletePages(book_, 1, 1).ok());
    ASSERT_GT(firstDirectory(book_), 8u);
    const QString saved = folder_.filePath(QStringLiteral("gespeichert.tif"));
    ASSERT_TRUE(writeBook(saved, {pageOfFile(book_, 2), pageOfFile(book_, 1)}).ok());
    EXPECT_EQ(firstDirectory(saved), 8u);
    EXPECT_EQ(sequenceOf(saved), "A3 A2");
}

TEST_F(ChangeInPlace, PagesListedOneByOneKeepTheirOrderAndWhatIsAskedOfEach)
{
    // Neighbouring pages of one file go together; a repeated page, a page
    // of another file, one with its own annotations and one to be made
    // black and white again each stand on their own.
    PageSource noted = pageOfFile(book_, 4);
    noted.annotations = QByteArray("note");
    PageSource reduced = pageOfFile(mixed_, 2);
    reduced.compression = PageCompression::BlackAndWhiteG4;
    ASSERT_TRUE(writeBook(book_, {pageOfFile(book_, 1), pageOfFile(book_, 2), pageOfFile(book_, 2), noted,
                                  pageOfFile(book_, 5), pageOfFile(bookB_, 1), pageOfFile(bookB_, 2),
                                  pageOfFile(mixed_, 1), reduced, pageOfFile(mixed_, 3)})
                    .ok());
    EXPECT_EQ(sequenceOf(book_).substr(0, 20), "A1 A2 A2 A4 A5 B1 B2");
    ImagingError e;
    const std::unique_ptr<ImageFile> file = ImageFile::open(book_, &e);
    ASSERT_TRUE(file) << failureText(e).toStdString();
    ASSERT_EQ(file->pageCount(), 10);
    for (int page = 1; page <= 10; ++page)
        EXPECT_EQ(file->annotationData(page), page == 4 ? QByteArray("note") : QByteArray()) << page;
    EXPECT_EQ(file->pageInfo(8).pageType, ImageFile::open(mixed_, &e)->pageInfo(1).pageType);
    EXPECT_EQ(file->pageInfo(9).pageType, PageTypeBlackWhite);
    EXPECT_EQ(file->pageInfo(10).pageType, ImageFile::open(mixed_, &e)->pageInfo(3).pageType);
}

TEST_F(ChangeInPlace, AChangedPageGoesAfterTheBookWithANewChain)
{
    const QByteArray before = fileBytes(book_);
    PageSource changed = pageOfFile(book_, 3);
    changed.annotations = QByteArray("note");
    ASSERT_TRUE(writeBook(book_, {pageOfFile(book_, 1), pageOfFile(book_, 2), changed, pageOfFile(book_, 4),
                                  pageOfFile(book_, 5)})
                    .ok());
    expectOldBytesKept(before);
    EXPECT_EQ(sequenceOf(book_), "A1 A2 A3 A4 A5");
    ImagingError e;
    const std::unique_ptr<ImageFile> file = ImageFile::open(book_, &e);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->annotationData(3), QByteArray("note"));
    EXPECT_TRUE(file->annotationData(2).isEmpty());
}

}  // namespace
}  // namespace palvenor::imaging
