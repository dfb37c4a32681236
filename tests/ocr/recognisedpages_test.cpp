// The fingerprints that keep recognised pages: a page moved in its book
// keeps its fingerprint, a changed page gets a new one even where it lies
// exactly where the old picture lay.

#include "BookOcrChecks.h"
#include "RecognisedPages.h"
#include "SampleBooks.h"
#include "TiffEncode.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace palvenor;
using namespace palvenor::ocr;

namespace {

// An uncompressed grey page with a bar at height y: every such page has
// the same size in the file.
QString greyPage(const QString& folder, const QString& name, int y) {
    QImage picture(200, 100, QImage::Format_Grayscale8);
    picture.fill(Qt::white);
    QPainter(&picture).fillRect(10, y, 150, 10, Qt::black);
    QByteArray bytes;
    QString reason;
    if (!imaging::tiff::encodePage(picture, imaging::PageTypeGray8, 300, 300, 1, &bytes, &reason)) return {};
    return test::writeFile(folder, name, bytes);
}

QString joined(const QString& folder, const QString& name, const QStringList& pages) {
    const QString book = QDir(folder).filePath(name);
    return test::runProgram(QStringLiteral("tiffcp"), pages + QStringList{book}).exitCode == 0 ? book : QString();
}

TEST(RecognisedPages, AMovedPageKeepsItsFingerprintAChangedOneGetsANewOne) {
    QTemporaryDir dir;
    const QString top = greyPage(dir.path(), QStringLiteral("oben.tif"), 10);
    const QString bottom = greyPage(dir.path(), QStringLiteral("unten.tif"), 80);
    const QString middle = greyPage(dir.path(), QStringLiteral("mitte.tif"), 45);
    const std::vector<QByteArray> book = pageFingerprints(joined(dir.path(), QStringLiteral("a.tif"), {top, bottom}));
    const std::vector<QByteArray> moved = pageFingerprints(joined(dir.path(), QStringLiteral("b.tif"), {bottom, top}));
    const std::vector<QByteArray> changed = pageFingerprints(joined(dir.path(), QStringLiteral("c.tif"), {top, middle}));
    ASSERT_EQ(book.size(), 2u);
    ASSERT_EQ(moved.size(), 2u);
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_FALSE(book[0].isEmpty());
    EXPECT_NE(book[0], book[1]);
    EXPECT_EQ(moved[0], book[1]);
    EXPECT_EQ(moved[1], book[0]);
    EXPECT_EQ(changed[0], book[0]);
    EXPECT_NE(changed[1], book[1]);  // same size, same place in the file, another picture
}

TEST(RecognisedPages, KeepsPagesByFingerprintAndForgetsThoseGone) {
    RecognisedPages kept;
    BookPage page;
    page.text = QStringLiteral("erkannt");
    kept.keep(QByteArray("a"), page);
    kept.keep(QByteArray(), page);
    EXPECT_EQ(kept.size(), 1);
    ASSERT_NE(kept.find(QByteArray("a")), nullptr);
    EXPECT_EQ(kept.find(QByteArray("a"))->text, QStringLiteral("erkannt"));
    EXPECT_EQ(kept.find(QByteArray()), nullptr);
    kept.keepOnly({QByteArray("b")});
    EXPECT_EQ(kept.find(QByteArray("a")), nullptr);
    EXPECT_TRUE(pageFingerprints(QStringLiteral("/kein/buch.tif")).empty());
}

}  // namespace
