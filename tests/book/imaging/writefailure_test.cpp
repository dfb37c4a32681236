#include "PageAdmin.h"
#include "PageBooks.h"

#include <QFileInfo>

#include <functional>

namespace palvenor::imaging {
namespace {

// A write that fails part way, as on a full disk, must leave the book byte
// for byte as it was and no half-written file beside it.
class WriteFailure : public test::PageBooks {
protected:
    void TearDown() override { fault_injection::failAfterPages(-1); }
};

TEST_F(WriteFailure, EveryOperationLeavesTheBookAndFolderAsTheyWere)
{
    const QByteArray before = test::fileBytes(book_);
    const std::pair<const char*, std::function<ImagingError()>> operations[] = {
        {"append", [&] { return appendPages(book_, bookB_, 1, -1); }},
        {"insert", [&] { return insertPages(book_, 3, mixed_, 1, -1); }},
        {"replace", [&] { return replacePages(book_, 4, bookB_, 1, 3); }},
        {"delete", [&] { return deletePages(book_, 2, 1); }},
        {"write over", [&] { return writeBook(book_, {pageOfFile(bookB_, 1), pageOfFile(bookB_, 2)}); }},
    };
    for (const auto& [name, operation] : operations) {
        for (int pages : {0, 1, 2}) {
            SCOPED_TRACE(std::string(name) + " failing after " + std::to_string(pages) + " pages");
            fault_injection::failAfterPages(pages);
            const ImagingError e = operation();
            EXPECT_EQ(e.code, StatusWriteFailed) << failureText(e).toStdString();
            EXPECT_FALSE(e.description.isEmpty());
            EXPECT_TRUE(test::fileBytes(book_) == before) << "the book changed";
            EXPECT_EQ(test::folderEntries(folder_.path()), QStringList{QStringLiteral("book.tif")});
        }
    }
}

TEST_F(WriteFailure, ANewBookIsNotLeftBehind)
{
    const QString fresh = folder_.filePath(QStringLiteral("neu.tif"));
    fault_injection::failAfterPages(2);
    EXPECT_EQ(appendPages(fresh, bookB_, 1, -1).code, StatusWriteFailed);
    EXPECT_FALSE(QFileInfo::exists(fresh));
    EXPECT_EQ(test::folderEntries(folder_.path()), QStringList{QStringLiteral("book.tif")});
}

TEST_F(WriteFailure, TheFaultFiresOnceAndCanBeDisarmed)
{
    fault_injection::failAfterPages(1);
    EXPECT_EQ(deletePages(book_, 1, 1).code, StatusWriteFailed);
    ASSERT_TRUE(deletePages(book_, 1, 1).ok());
    EXPECT_EQ(sequenceOf(book_), "A2 A3 A4 A5");

    fault_injection::failAfterPages(1);
    fault_injection::failAfterPages(-1);
    ASSERT_TRUE(insertPages(book_, 1, bookB_, 3, 1).ok());
    EXPECT_EQ(sequenceOf(book_), "B3 A2 A3 A4 A5");
}

TEST_F(WriteFailure, AFaultBeyondTheLastPageLetsTheWriteFinish)
{
    fault_injection::failAfterPages(7);  // the new book has 6
    ASSERT_TRUE(appendPages(book_, bookB_, 1, 1).ok());
    EXPECT_EQ(sequenceOf(book_), "A1 A2 A3 A4 A5 B1");
}

}  // namespace
}  // namespace palvenor::imaging
