#include "BookReplacement.h"
#include "FileOwnership.h"
#include "ImageFile.h"
#include "PageAdmin.h"
#include "PageBooks.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace palvenor::imaging {
namespace {

using palvenor::test::giveAway;
using palvenor::test::Ownership;
using palvenor::test::ownershipOf;

class BookReplacement : public test::PageBooks {
protected:
    struct stat statOf(const QString& path)
    {
        struct stat info {};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        return info;
    }

    // As if another program had written the book since it was opened here:
    // the next page operation writes the whole book anew and replaces it,
    // instead of committing in place.
    void changeElsewhere(const QString& path)
    {
        ImagingError error;
        ASSERT_TRUE(ImageFile::open(path, &error));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(file.fileTime(QFileDevice::FileModificationTime).addSecs(-60),
                                     QFileDevice::FileModificationTime));
    }

    QString make(const char* name)
    {
        const QString path = folder_.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(test::writeBytes(path, "Rest"));
        return path;
    }
};

TEST_F(BookReplacement, OpeningTheBookRemovesTheNewBookOfAKilledSave)
{
    make("book.tif.aB3xZ9");
    make("book.tif.bak");
    make("book.tif.aB3xZ9x");
    make("other.tif.aB3xZ9");
    ImagingError error;
    EXPECT_TRUE(ImageFile::open(book_, &error));
    const QStringList expected{QStringLiteral("book.tif"), QStringLiteral("book.tif.aB3xZ9x"),
                               QStringLiteral("book.tif.bak"), QStringLiteral("other.tif.aB3xZ9")};
    EXPECT_EQ(test::folderEntries(folder_.path()), expected);

    make("book.tif.Q0w9e8");
    ASSERT_TRUE(deletePages(book_, 1, 1).ok());
    EXPECT_EQ(test::folderEntries(folder_.path()), expected);
}

TEST_F(BookReplacement, ARewriteKeepsModeOwnerAndGroup)
{
    const Ownership given = giveAway(book_);
    changeElsewhere(book_);
    ASSERT_TRUE(deletePages(book_, 1, 1).ok());
    EXPECT_EQ(sequenceOf(book_), "A2 A3 A4 A5");
    const Ownership after = ownershipOf(book_);
    EXPECT_NE(after.inode, given.inode) << "the book was not written anew";
    EXPECT_EQ(after, given);
}

TEST_F(BookReplacement, ABookWithFurtherHardLinksIsChangedInPlaceOrNotAtAll)
{
    const QString other = folder_.filePath(QStringLiteral("zweiter-name.tif"));
    ASSERT_EQ(::link(QFile::encodeName(book_).constData(), QFile::encodeName(other).constData()), 0);
    ASSERT_TRUE(deletePages(book_, 5, 1).ok());
    EXPECT_EQ(sequenceOf(other), "A1 A2 A3 A4");

    changeElsewhere(book_);
    const QByteArray before = test::fileBytes(book_);
    const ImagingError e = deletePages(book_, 1, 1);
    EXPECT_EQ(e.code, StatusWriteFailed);
    EXPECT_EQ(e.description, QStringLiteral("Die Datei konnte nicht geschrieben werden: %1 (die Datei hat weitere harte "
                                            "Verknüpfungen, die beim Ersetzen getrennt würden; bitte unter neuem "
                                            "Namen speichern)")
                                 .arg(book_));
    EXPECT_EQ(test::fileBytes(book_), before);
    EXPECT_EQ(statOf(book_).st_ino, statOf(other).st_ino);
    EXPECT_EQ(test::folderEntries(folder_.path()),
              (QStringList{QStringLiteral("book.tif"), QStringLiteral("zweiter-name.tif")}));
}

TEST_F(BookReplacement, TheFolderIsFlushedAfterTheRename)
{
    QString reason;
    EXPECT_TRUE(syncFolderOf(book_, &reason));
    EXPECT_FALSE(syncFolderOf(folder_.filePath(QStringLiteral("fehlt/book.tif")), &reason));
    EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(ENOENT))) << "the system's reason, in the user's language";
}

TEST_F(BookReplacement, AReplacedFileKeepsModeOwnerAndGroupThroughASymbolicLink)
{
    const QString text = folder_.filePath(QStringLiteral("text.txt"));
    const QString link = folder_.filePath(QStringLiteral("verweis.txt"));
    ASSERT_TRUE(test::writeBytes(text, "alt"));
    ASSERT_TRUE(QFile::link(text, link));
    const Ownership given = giveAway(text);
    QString reason;
    ASSERT_TRUE(replaceFile(link, [](QIODevice& file) { return file.write("neu") == 3; }, &reason)) << reason.toStdString();
    EXPECT_EQ(test::fileBytes(text), "neu");
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link stays a link to the replaced file";
    const Ownership after = ownershipOf(text);
    EXPECT_NE(after.inode, given.inode) << "the file was not replaced by a rename";
    EXPECT_EQ(after, given);
}

TEST_F(BookReplacement, AReplacementWhoseWriteFailsLeavesTheOldFileAndNoOther)
{
    const QString text = folder_.filePath(QStringLiteral("text.txt"));
    ASSERT_TRUE(test::writeBytes(text, "alt"));
    QString reason;
    EXPECT_FALSE(replaceFile(text, [](QIODevice& file) { return file.write("halb") < 0; }, &reason));
    EXPECT_EQ(test::fileBytes(text), "alt");
    EXPECT_FALSE(replaceFile(folder_.filePath(QStringLiteral("fehlt/text.txt")), [](QIODevice&) { return true; },
                             &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(test::folderEntries(folder_.path()), (QStringList{QStringLiteral("book.tif"), QStringLiteral("text.txt")}));
}

}  // namespace
}  // namespace palvenor::imaging
