#include "FrameScene.h"

#include <QAction>
#include <QFile>
#include <QTabBar>

#include <tiffio.h>

#include <gtest/gtest.h>

#include <vector>

using namespace palvenor;
using palvenor::test::FrameScene;

namespace {

struct TiffPage {
    uint16_t compression = 0;
    QByteArray rawStrips;
};

// Every page of a TIFF as libtiff reads it: compression and raw strip bytes.
std::vector<TiffPage> readTiff(const QString& path) {
    std::vector<TiffPage> pages;
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "r");
    if (!tif) return pages;
    do {
        TiffPage page;
        TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &page.compression);
        for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
            QByteArray strip(TIFFRawStripSize(tif, s), Qt::Uninitialized);
            TIFFReadRawStrip(tif, s, strip.data(), strip.size());
            page.rawStrips += strip;
        }
        pages.push_back(page);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One 3-page book open in window 1.
struct SaveScene : FrameScene {
    QString source = book(3);
    frmSample* w = open(source);
    QString path(const QString& name) { return dir.filePath(name); }
    int saveAs(const QString& chosen, int filterIndex) {
        prompter.answerFile(chosen, filterIndex);
        return w->runSaveAsCommand();
    }
};

}  // namespace

TEST(SaveAs, GivesTheNameTheExtensionOfTheChosenFileType) {
    struct Case {
        const char* chosen;
        int filterIndex;
        const char* written;
    };
    const Case cases[] = {
        {"scan.jpg", 1, "scan.tif"},
        {"my.book.bmp", 1, "my.tif"},
        {"band", 2, "band.bmp"},
        {"Band.TIF", 1, "Band.TIF"},
        {"ordner.d/scan", 1, "ordner.d/scan.tif"},
        {"ordner.d/seite.jpeg", 2, "ordner.d/seite.jpeg.bmp"},
    };
    for (const Case& c : cases) {
        SaveScene scene;
        QDir(scene.dir.path()).mkdir(QStringLiteral("ordner.d"));
        EXPECT_EQ(scene.saveAs(scene.path(QString::fromUtf8(c.chosen)), c.filterIndex), 0);
        const QString written = scene.path(QString::fromUtf8(c.written));
        EXPECT_TRUE(QFile::exists(written)) << c.chosen;
        EXPECT_EQ(scene.w->oleImgEdit1().Image(), written) << c.chosen;
        EXPECT_TRUE(scene.prompter.texts().filter(QStringLiteral("Fehlercode")).isEmpty()) << c.chosen;
    }
}

TEST(SaveAs, MakesTheNewFileTheWindowsDocumentWithItsCaptions) {
    SaveScene scene;
    scene.w->pages().Geaendert = true;
    const QString target = scene.path(QStringLiteral("band1.tif"));
    scene.saveAs(target, 1);

    EXPECT_EQ(scene.w->windowTitle(), QStringLiteral("Palvenor - band1.tif"));
    EXPECT_EQ(scene.frame.Tab1().tabText(0), QStringLiteral("1: Band1"));
    auto* current = qobject_cast<QAction*>(scene.w->controls().find(QStringLiteral("mnuAktuell")));
    EXPECT_EQ(current->text(), target);
    EXPECT_EQ(scene.w->entry().Name, QStringLiteral("band1.tif"));
    EXPECT_EQ(scene.w->entry().Pfad, target);
    EXPECT_EQ(scene.w->oleImgThumbnail1().Image(), target);
    EXPECT_EQ(scene.w->oleImgAdmin1().Image(), target);
    EXPECT_EQ(scene.w->oleImgAdmin1().FilterIndex, 0);
    EXPECT_TRUE(scene.w->oleImgAdmin1().Filter.isEmpty());
    EXPECT_FALSE(scene.w->pages().Geaendert);

    // Unchanged pages are carried over as they are, strip for strip.
    const std::vector<TiffPage> before = readTiff(scene.source);
    const std::vector<TiffPage> after = readTiff(target);
    ASSERT_EQ(after.size(), 3u);
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].compression, COMPRESSION_CCITTFAX4);
        EXPECT_EQ(after[i].rawStrips, before[i].rawStrips) << "page " << i + 1;
    }
}

TEST(SaveAs, CancellingTheDialogChangesNothing) {
    SaveScene scene;
    scene.w->pages().Geaendert = true;
    const QString title = scene.w->windowTitle();
    scene.prompter.answerFile(std::nullopt);
    EXPECT_EQ(scene.w->runSaveAsCommand(), imaging::ErrorDialogCancelled);
    EXPECT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.w->windowTitle(), title);
    EXPECT_EQ(scene.w->oleImgEdit1().Image(), scene.source);
    EXPECT_TRUE(scene.w->pages().Geaendert);
}

TEST(SaveAs, ChoosingTheOpenFileSavesInPlaceAndKeepsTheCaptions) {
    SaveScene scene;
    const QString title = scene.w->windowTitle();
    const QString tab = scene.frame.Tab1().tabText(0);
    scene.saveAs(scene.source, 1);
    EXPECT_EQ(scene.w->windowTitle(), title);
    EXPECT_EQ(scene.frame.Tab1().tabText(0), tab);
    EXPECT_EQ(readTiff(scene.source).size(), 3u);
}

TEST(SaveAs, ARequestInTheRecordIsTheTargetWithoutADialog) {
    SaveScene scene;
    const QString target = scene.path(QStringLiteral("ziel.bmp"));
    scene.w->entry().Anforderung = target;
    EXPECT_EQ(scene.w->runSaveAsCommand(), 0);
    for (const auto& shown : scene.prompter.shown()) EXPECT_NE(shown.kind, QStringLiteral("save"));
    EXPECT_TRUE(bytesOf(target).startsWith("BM"));
}

TEST(SaveAs, AFailedWriteSaysWhyAndKeepsTheChangedFlag) {
    SaveScene scene;
    scene.w->pages().Geaendert = true;
    scene.saveAs(scene.path(QStringLiteral("fehlt/band.tif")), 1);
    const QStringList failures = scene.prompter.texts().filter(QStringLiteral(" Fehlercode = 7D6"));
    ASSERT_EQ(failures.size(), 1) << scene.prompter.texts().join('|').toStdString();
    EXPECT_EQ(scene.prompter.shown().back().icon, Prompter::Icon::Critical);
    EXPECT_EQ(scene.prompter.shown().back().title, QStringLiteral("Palvenor"));
    EXPECT_TRUE(scene.w->pages().Geaendert);
    EXPECT_EQ(scene.w->oleImgEdit1().Image(), scene.source);
}

TEST(Save, WritesTheShownPageBackAndLeavesTheOthersAlone) {
    SaveScene scene;
    const std::vector<TiffPage> before = readTiff(scene.source);
    scene.w->GehZuSeite(QStringLiteral("2"));
    scene.w->pages().Geaendert = true;
    EXPECT_EQ(scene.w->runSaveCommand(), 0);
    EXPECT_FALSE(scene.w->pages().Geaendert);
    const std::vector<TiffPage> after = readTiff(scene.source);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1].compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(after[0].rawStrips, before[0].rawStrips);
    EXPECT_EQ(after[2].rawStrips, before[2].rawStrips);
    EXPECT_EQ(scene.w->oleImgEdit1().Page(), 2);
}

TEST(Save, ANewBookWithoutAFileIsSavedAsItsPageTypeAsks) {
    struct Case {
        int pageType;
        uint16_t compression;
    };
    for (const Case c : {Case{1, COMPRESSION_CCITTFAX4}, Case{3, COMPRESSION_LZW}, Case{6, COMPRESSION_LZW}}) {
        FrameScene scene;
        const QString target = scene.dir.filePath(QStringLiteral("neu"));
        scene.prompter.answerFile(target, 1);
        scene.frame.Neustart(c.pageType);
        const std::vector<TiffPage> pages = readTiff(target + QStringLiteral(".tif"));
        ASSERT_EQ(pages.size(), 1u) << c.pageType;
        EXPECT_EQ(pages[0].compression, c.compression) << c.pageType;
        frmSample* window = scene.frame.documents().Fenster(1);
        EXPECT_EQ(window->oleImgEdit1().Image(), target + QStringLiteral(".tif"));
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Palvenor - neu.tif"));
    }
}

TEST(Save, OnAnUntitledBookWithoutPictureRunsSaveAs) {
    FrameScene scene;
    frmSample* window = scene.untitled();
    scene.prompter.answerFile(std::nullopt);
    EXPECT_EQ(window->runSaveCommand(), imaging::ErrorDialogCancelled);
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].kind, QStringLiteral("save"));
}
