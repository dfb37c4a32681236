#include "PageBooks.h"
#include "PageWork.h"
#include "RealFiles.h"

#include <QCryptographicHash>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <map>
#include <random>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace palvenor::imaging {
namespace {

// A page operation running in a child process.
class Worker {
public:
    // With fileLimit, no file of the child may grow beyond that many bytes;
    // its failure then goes to errors.
    Worker(const char* work, const QString& book, const QString& source, const QString& copy,
           const QByteArray& fileLimit = {}, const QString& errors = {})
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        const QByteArray args[] = {QByteArray(PALVENOR_PAGEWORKER), QByteArray(work), QFile::encodeName(book),
                                   QFile::encodeName(source), QFile::encodeName(copy), fileLimit};
        const QByteArray errorFile = QFile::encodeName(errors);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            if (!errorFile.isEmpty())
                ::dup2(::open(errorFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            ::execl(args[0].constData(), args[0].constData(), args[1].constData(), args[2].constData(),
                    args[3].constData(), args[4].constData(),
                    fileLimit.isEmpty() ? static_cast<char*>(nullptr) : args[5].constData(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        char ready = 0;
        ready_ = pid_ > 0 && ::read(out[0], &ready, 1) == 1;
        ::close(out[0]);
    }

    bool ready() const { return ready_; }

    // Kills the child after `delay` microseconds unless it has ended by
    // then; its wait status.
    int killAfter(long delay)
    {
        ::usleep(useconds_t(delay));
        ::kill(pid_, SIGKILL);
        return finish();
    }

    // Waits for the child to end; its wait status.
    int finish()
    {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return status;
    }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

bool didTheWork(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QByteArray digest(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

// What a reader finds in a book: each page's entries and raw strips. A page
// operation committed in place leaves bytes behind that no directory points
// at, so a book can read the same as another while its bytes differ.
std::string contentOf(const QString& path)
{
    std::string content;
    const std::vector<test::RawPage> pages = test::rawPages(path);
    for (size_t i = 0; i < pages.size(); ++i) {
        content += test::entriesOfPage(path, int(i + 1));
        for (const QByteArray& strip : pages[i])
            content += strip.toStdString();
        content += '\f';
    }
    return content;
}

class KillDuringPageWork : public ::testing::Test {
protected:
    void SetUp() override
    {
        source_ = test::sampleBook(shelf_.filePath(QStringLiteral("source.tif")), 3, QStringLiteral("bw,grey"), 31);
        ASSERT_FALSE(source_.isEmpty());
        book_ = test::sampleBook(desk_.filePath(QStringLiteral("book.tif")), 4, QStringLiteral("grey,bw"), 32);
        ASSERT_FALSE(book_.isEmpty());
        copy_ = desk_.filePath(QStringLiteral("copy.tif"));
        ASSERT_TRUE(QFile::copy(book_, copy_));
        ASSERT_TRUE(QDir(shelf_.path()).mkdir(QStringLiteral("expected")));
    }

    // What the book and its copy read after work, as the operation run here
    // makes them; worked out once for each book, copy and work.
    const std::pair<std::string, std::string>& expectedAfter(const char* work, const QByteArray& book,
                                                           const QByteArray& copy)
    {
        const QByteArray key = digest(book) + digest(copy) + work;
        if (const auto known = expected_.find(key); known != expected_.end())
            return known->second;
        const QDir folder(shelf_.filePath(QStringLiteral("expected")));
        const QString bookPath = folder.filePath(QStringLiteral("book.tif"));
        const QString copyPath = folder.filePath(QStringLiteral("copy.tif"));
        EXPECT_TRUE(test::writeBytes(bookPath, book));
        EXPECT_TRUE(test::writeBytes(copyPath, copy));
        const ImagingError error = test::runPageWork(work, bookPath, source_, copyPath);
        EXPECT_TRUE(error.ok()) << work << ": " << error.description.toStdString();
        return expected_[key] = {contentOf(bookPath), contentOf(copyPath)};
    }

    int pageCount()
    {
        ImagingError error;
        const auto file = ImageFile::open(book_, &error);
        return file ? file->pageCount() : 0;
    }

    // The work for a round: the operations in turn, the book kept between
    // three and seven pages.
    const char* workFor(int round)
    {
        const std::string work = test::kPageWorks[size_t(round) % std::size(test::kPageWorks)];
        const int pages = pageCount();
        if (work == "delete" && pages <= 3)
            return "insert";
        if (work == "insert" && pages >= 7)
            return "delete";
        return test::kPageWorks[size_t(round) % std::size(test::kPageWorks)];
    }

    QTemporaryDir shelf_;
    QTemporaryDir desk_;  // holds only the book and its copy
    QString source_;
    QString book_;
    QString copy_;
    std::map<QByteArray, std::pair<std::string, std::string>> expected_;
};

TEST_F(KillDuringPageWork, TheBookIsAlwaysTheOneBeforeOrAfterAndLeftoversGoOnOpening)
{
    std::mt19937 random(20261207);
    std::map<std::string, long> duration;  // microseconds, as a finished run of the work took
    std::map<std::string, int> killsOf;
    int kills = 0;
    for (int round = 0; kills < 110 && round < 1000; ++round) {
        const char* work = workFor(round);
        const QByteArray bookBytes = test::fileBytes(book_);
        const QByteArray copyBytes = test::fileBytes(copy_);
        const std::string bookBefore = contentOf(book_);
        const std::string copyBefore = contentOf(copy_);
        const auto& [bookAfter, copyAfter] = expectedAfter(work, bookBytes, copyBytes);

        Worker worker(work, book_, source_, copy_);
        ASSERT_TRUE(worker.ready());
        int status = 0;
        if (const auto known = duration.find(work); known != duration.end()) {
            status = worker.killAfter(std::uniform_int_distribution<long>(0, known->second * 11 / 10)(random));
        } else {
            QElapsedTimer timer;
            timer.start();
            status = worker.finish();
            duration[work] = long(timer.nsecsElapsed() / 1000);
        }
        const bool killed = WIFSIGNALED(status);
        ASSERT_TRUE(killed || didTheWork(status)) << work;
        kills += killed;
        killsOf[work] += killed;

        SCOPED_TRACE(std::string(work) + (killed ? " killed" : " finished") + " in round " + std::to_string(round));
        ImagingError error;
        ASSERT_TRUE(ImageFile::open(book_, &error)) << error.description.toStdString();
        ASSERT_TRUE(ImageFile::open(copy_, &error)) << error.description.toStdString();
        const std::string book = contentOf(book_);
        const std::string copy = contentOf(copy_);
        ASSERT_TRUE(book == bookBefore || book == bookAfter);
        ASSERT_TRUE(copy == copyBefore || copy == copyAfter);
        if (!killed) {
            ASSERT_TRUE(book == bookAfter && copy == copyAfter);
        }
        ASSERT_EQ(test::folderEntries(desk_.path()),
                  (QStringList{QStringLiteral("book.tif"), QStringLiteral("copy.tif")}));
    }
    EXPECT_GE(kills, 100);
    for (const char* work : test::kPageWorks)
        EXPECT_GT(killsOf[work], 0) << work;
}

TEST_F(KillDuringPageWork, AFullDiskLeavesTheBookAsItWasAndSaysWhy)
{
    const QString errors = shelf_.filePath(QStringLiteral("errors.txt"));
    for (const char* work : test::kPageWorks) {
        SCOPED_TRACE(work);
        const QByteArray bookBefore = test::fileBytes(book_);
        const QByteArray copyBefore = test::fileBytes(copy_);
        Worker worker(work, book_, source_, copy_, "4096", errors);
        ASSERT_TRUE(worker.ready());
        const int status = worker.finish();
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        const QString target = std::string(work) == "saveas" ? copy_ : book_;
        EXPECT_EQ(QString::fromLocal8Bit(test::fileBytes(errors)),
                  QStringLiteral("Die Datei konnte nicht geschrieben werden: %1 (die Datei würde größer, als das "
                                 "System erlaubt)\n")
                      .arg(target));
        EXPECT_TRUE(test::fileBytes(book_) == bookBefore);
        EXPECT_TRUE(test::fileBytes(copy_) == copyBefore);
        EXPECT_EQ(test::folderEntries(desk_.path()),
                  (QStringList{QStringLiteral("book.tif"), QStringLiteral("copy.tif")}));
    }
}

}  // namespace
}  // namespace palvenor::imaging
