#include "OpenRequest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using palvenor::fileNameOf;
using palvenor::folderOf;
using palvenor::OpenRequest;

namespace {

struct RequestFolder {
    QTemporaryDir dir;
    QString file(const QString& name) {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        return path;
    }
};

}  // namespace

TEST(OpenRequest, SplitsAPageSuffixOnlyWhenTheWholeIsNoFile) {
    RequestFolder folder;
    const QString book = folder.file(QStringLiteral("buch.tif"));
    const QString digitsName = folder.file(QStringLiteral("12"));

    struct Case {
        QString request, path;
        std::optional<QString> page;
    } cases[] = {
        {book, book, std::nullopt},
        {book + QStringLiteral("/12"), book, QStringLiteral("12")},
        {QLatin1Char('"') + book + QStringLiteral("\"/12"), book, QStringLiteral("12")},
        {QLatin1Char('"') + book + QLatin1Char('"'), book, std::nullopt},
        {QLatin1Char('"') + book, book, std::nullopt},  // unmatched quote
        {book + QStringLiteral("/abc"), book + QStringLiteral("/abc"), std::nullopt},
        {book + QStringLiteral("/"), book + QStringLiteral("/"), std::nullopt},
        {digitsName, digitsName, std::nullopt},  // a file named by digits stays whole
        {QStringLiteral("buch.tif/7"), QStringLiteral("buch.tif"), QStringLiteral("7")},
        {QStringLiteral("/fehlt/buch.tif"), QStringLiteral("/fehlt/buch.tif"), std::nullopt},
        {QStringLiteral("12"), QStringLiteral("12"), std::nullopt},
        {QStringLiteral("NEU:/tmp/scan.tif"), QStringLiteral("NEU:/tmp/scan.tif"), std::nullopt},
    };
    for (const Case& c : cases) {
        const OpenRequest parsed = OpenRequest::parse(c.request);
        EXPECT_EQ(parsed.path, c.path) << c.request.toStdString();
        EXPECT_EQ(parsed.page, c.page) << c.request.toStdString();
    }
}

TEST(OpenRequest, RelativePathsWorkFromTheCurrentFolder) {
    RequestFolder folder;
    folder.file(QStringLiteral("band.tif"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.dir.path());
    const OpenRequest parsed = OpenRequest::parse(QStringLiteral("band.tif/3"));
    QDir::setCurrent(previous);
    EXPECT_EQ(parsed.path, QStringLiteral("band.tif"));
    EXPECT_EQ(parsed.page, QStringLiteral("3"));
}

TEST(OpenRequest, FolderAndNameSplitAtTheLastSeparator) {
    EXPECT_EQ(folderOf(QStringLiteral("/home/a/buch.tif")), QStringLiteral("/home/a/"));
    EXPECT_EQ(fileNameOf(QStringLiteral("/home/a/buch.tif")), QStringLiteral("buch.tif"));
    EXPECT_EQ(folderOf(QStringLiteral("C:\\Bücher\\band.tif")), QStringLiteral("C:\\Bücher\\"));
    EXPECT_EQ(fileNameOf(QStringLiteral("C:\\Bücher\\band.tif")), QStringLiteral("band.tif"));
    EXPECT_EQ(folderOf(QStringLiteral("buch.tif")), QString());
    EXPECT_EQ(fileNameOf(QStringLiteral("buch.tif")), QStringLiteral("buch.tif"));
}

TEST(OpenRequest, RequestsBecomeAbsoluteAgainstTheStartingFolder) {
    using palvenor::absoluteRequest;
    const QString start = QStringLiteral("/home/leser/bücher");
    const std::pair<const char*, const char*> cases[] = {
        {"band.tif", "/home/leser/bücher/band.tif"},
        {"alt/band.tif/12", "/home/leser/bücher/alt/band.tif/12"},
        {"../band.tif", "/home/leser/band.tif"},
        {"\"mit blank.tif\"", "/home/leser/bücher/mit blank.tif"},
        {"NEU:scan.tif", "NEU:/home/leser/bücher/scan.tif"},
        {"neu:scan.tif", "neu:/home/leser/bücher/scan.tif"},
        {"/srv/band.tif/3", "/srv/band.tif/3"},
        {"", ""},
        {" ", " "}};
    for (const auto& [request, expected] : cases)
        EXPECT_EQ(absoluteRequest(QString::fromUtf8(request), start), QString::fromUtf8(expected)) << request;
}
