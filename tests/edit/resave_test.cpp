#include "../book/imaging/TiffFiles.h"
#include "AnnotationTag.h"
#include "FrameScene.h"
#include "PageAdmin.h"

#include <QAction>
#include <QFile>

#include <tiffio.h>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace palvenor;
using palvenor::test::FrameScene;
namespace tiffs = palvenor::imaging::test;

namespace {

// A black-and-white page with a black bar whose place tells the page.
QImage numberedPage(int number) {
    QImage page(400, 300, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    for (int y = 20 * number; y < 20 * number + 10; ++y)
        for (int x = 30; x < 370; ++x) page.setPixel(x, y, 1);
    return page;
}

QImage greyPage() {
    QImage page(300, 200, QImage::Format_Grayscale8);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) page.scanLine(y)[x] = uchar((x + 2 * y) % 256);
    return page;
}

// Writes the pages with libtiff: black-and-white ones with the given
// compression, grey ones uncompressed.
void writeBook(const QString& path, const std::vector<QImage>& pages, uint16_t compression) {
    tiffs::Tiff tif = tiffs::openTiff(path, "w");
    ASSERT_TRUE(tif);
    for (const QImage& page : pages) {
        const bool mono = page.format() == QImage::Format_Mono;
        TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, uint32_t(page.width()));
        TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, uint32_t(page.height()));
        TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, mono ? 1 : 8);
        TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, mono ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, mono ? compression : COMPRESSION_NONE);
        TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, uint32_t(page.height()));
        TIFFSetField(tif.get(), TIFFTAG_XRESOLUTION, 300.0f);
        TIFFSetField(tif.get(), TIFFTAG_YRESOLUTION, 300.0f);
        TIFFSetField(tif.get(), TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        for (int y = 0; y < page.height(); ++y)
            ASSERT_EQ(TIFFWriteScanline(tif.get(), const_cast<uchar*>(page.constScanLine(y)), uint32_t(y)), 1);
        ASSERT_TRUE(TIFFWriteDirectory(tif.get()));
    }
}

// The pixels of a page as libtiff decodes it, in one format for comparing.
QImage pixelsOf(const QString& path, int page) { return tiffs::libtiffPicture(path, page); }

QImage pixelsOf(const QImage& picture) {
    return picture.convertToFormat(QImage::Format_ARGB32);
}

std::vector<QImage> pixelsOfBook(const QString& path) {
    std::vector<QImage> pages;
    for (int p = 1; p <= tiffs::directoryCount(path); ++p) pages.push_back(pixelsOf(path, p));
    return pages;
}

const char* const kNavigation[] = {"mnuNext", "mnuLast", "vor"};

}  // namespace

TEST(Resave, WritesEveryBlackAndWhitePageAsG4InItsPlaceAndEndsOnTheFirstPage) {
    for (const uint16_t compression : {uint16_t(COMPRESSION_NONE), uint16_t(COMPRESSION_PACKBITS),
                                       uint16_t(COMPRESSION_CCITTFAX3)}) {
        SCOPED_TRACE(compression);
        FrameScene scene;
        const QString book = scene.dir.filePath(QStringLiteral("alt.tif"));
        writeBook(book, {numberedPage(1), numberedPage(2), greyPage(), numberedPage(4)}, compression);
        const std::vector<QImage> before = pixelsOfBook(book);
        frmSample* w = scene.open(book);
        w->GehZuSeite(QStringLiteral("3"));
        qobject_cast<QAction*>(w->controls().find(QStringLiteral("mnuResave")))->trigger();

        // The grey page keeps its own compression (none here).
        EXPECT_EQ(tiffs::compressionsOfPages(book), (std::vector<uint16_t>{COMPRESSION_CCITTFAX4, COMPRESSION_CCITTFAX4,
                                                             COMPRESSION_NONE, COMPRESSION_CCITTFAX4}));
        const std::vector<QImage> after = pixelsOfBook(book);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i) EXPECT_TRUE(after[i] == before[i]) << "page " << i + 1;
        EXPECT_EQ(w->oleImgEdit1().Page(), 1);
        EXPECT_EQ(FrameScene::field(*w, "seite"), QStringLiteral("1"));
        EXPECT_TRUE(scene.prompter.shown().empty());
    }
}

TEST(Resave, AsksAboutUnsavedChangesFirstAndWritesNothingWhenCancelled) {
    FrameScene scene;
    const QString book = scene.dir.filePath(QStringLiteral("alt.tif"));
    writeBook(book, {numberedPage(1), numberedPage(2), numberedPage(3)}, COMPRESSION_PACKBITS);
    const QByteArray original = tiffs::fileBytes(book);
    frmSample* w = scene.open(book);
    w->GehZuSeite(QStringLiteral("3"));
    w->pages().Geaendert = true;
    scene.prompter.answer(Prompter::Answer::Cancel);
    qobject_cast<QAction*>(w->controls().find(QStringLiteral("mnuResave")))->trigger();
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].text, QStringLiteral("Sollen die Änderungen gespeichert werden?"));
    EXPECT_EQ(tiffs::fileBytes(book), original);
    EXPECT_EQ(w->oleImgEdit1().Page(), 3);
    EXPECT_TRUE(w->pages().Geaendert);
}

TEST(Resave, KeepsEachPagesAnnotations) {
    FrameScene scene;
    const QString book = scene.dir.filePath(QStringLiteral("buch.tif"));
    imaging::Annotation note;
    note.kind = imaging::AnnotationKind::Note;
    note.box = QRectF(10, 20, 100, 50);
    note.text = QStringLiteral("Rand beschädigt");
    const QByteArray tag = imaging::encodeAnnotations({note});
    ASSERT_TRUE(imaging::writeBook(book, {{QString(), 1, numberedPage(1), 300},
                                          {QString(), 1, numberedPage(2), 300, tag}})
                    .ok());
    frmSample* w = scene.open(book);
    qobject_cast<QAction*>(w->controls().find(QStringLiteral("mnuResave")))->trigger();
    imaging::oleImgEdit& edit = w->oleImgEdit1();
    edit.setPage(2);
    edit.Display();
    ASSERT_EQ(edit.annotationLayer().items().size(), 1u);
    EXPECT_EQ(edit.annotationLayer().items()[0].text, note.text);
    edit.setPage(1);
    edit.Display();
    EXPECT_TRUE(edit.annotationLayer().items().empty());
}

TEST(Resave, ADocumentWithoutAFileIsLeftAlone) {
    FrameScene scene;
    frmSample* w = scene.untitled();
    qobject_cast<QAction*>(w->controls().find(QStringLiteral("mnuResave")))->trigger();
    EXPECT_TRUE(scene.prompter.shown().empty());
    EXPECT_TRUE(w->oleImgEdit1().Image().isEmpty());
}

TEST(SaveAsBitmap, TellsThatOnlyTheShownPageWentIntoTheBitmap) {
    FrameScene scene;
    const QString book = scene.dir.filePath(QStringLiteral("band.tif"));
    writeBook(book, {numberedPage(1), numberedPage(2), numberedPage(3)}, COMPRESSION_CCITTFAX4);
    const QByteArray original = tiffs::fileBytes(book);
    frmSample* w = scene.open(book);
    w->GehZuSeite(QStringLiteral("2"));
    const QString bitmap = scene.dir.filePath(QStringLiteral("seite.bmp"));
    scene.prompter.answerFile(bitmap, 2);
    EXPECT_EQ(w->runSaveAsCommand(), 0);

    ASSERT_EQ(scene.prompter.shown().size(), 2u);
    const auto& told = scene.prompter.shown()[1];
    EXPECT_EQ(told.text, QStringLiteral("Eine Windows-Bitmap nimmt nur eine Seite auf.\n"
                                        "In die Datei ") +
                             bitmap +
                             QStringLiteral(" wurde nur die angezeigte Seite 2 geschrieben.\n"
                                            "Das Buch ") +
                             book + QStringLiteral(" mit seinen 3 Seiten bleibt unverändert."));
    EXPECT_EQ(told.title, QStringLiteral("Palvenor"));
    EXPECT_EQ(told.icon, Prompter::Icon::Information);

    EXPECT_EQ(tiffs::fileBytes(book), original);
    EXPECT_TRUE(pixelsOf(QImage(bitmap)) == pixelsOf(book, 2));
    imaging::oleImgEdit& edit = w->oleImgEdit1();
    EXPECT_EQ(edit.Image(), bitmap);
    EXPECT_EQ(edit.Page(), 1);
    EXPECT_EQ(edit.PageCount(), 1);
    EXPECT_EQ(w->pages().Seitenzahl, 1);
    EXPECT_EQ(FrameScene::field(*w, "seite"), QStringLiteral("1"));
    for (const char* name : kNavigation) EXPECT_FALSE(w->controls().isEnabled(QString::fromUtf8(name))) << name;
    edit.Display();
    EXPECT_EQ(edit.StatusCode(), 0);
}

TEST(SaveAsBitmap, AOnePageBookGoesIntoTheBitmapWithoutAWord) {
    FrameScene scene;
    const QString book = scene.dir.filePath(QStringLiteral("blatt.tif"));
    writeBook(book, {numberedPage(1)}, COMPRESSION_CCITTFAX4);
    frmSample* w = scene.open(book);
    scene.prompter.answerFile(scene.dir.filePath(QStringLiteral("blatt.bmp")), 2);
    w->runSaveAsCommand();
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].kind, QStringLiteral("save"));
}

namespace {

// A 3-page book open in a window that has changes to save.
struct FailingSave : FrameScene {
    QString path = dir.filePath(QStringLiteral("buch.tif"));
    frmSample* w = nullptr;
    QByteArray original;
    FailingSave() {
        writeBook(path, {numberedPage(1), numberedPage(2), numberedPage(3)}, COMPRESSION_CCITTFAX4);
        original = tiffs::fileBytes(path);
        w = open(path);
        w->pages().Geaendert = true;
    }
    ~FailingSave() { imaging::fault_injection::failAfterPages(-1); }
    // The error the user was told of, as the one critical message shown.
    QString failure() {
        const auto& shown = prompter.shown();
        const auto critical = std::count_if(shown.begin(), shown.end(),
                                            [](const auto& s) { return s.icon == Prompter::Icon::Critical; });
        return critical == 1 && shown.back().icon == Prompter::Icon::Critical && shown.back().title == kAppTitle
                   ? shown.back().text
                   : QStringLiteral("(%1 Fehlermeldungen)").arg(critical);
    }
    void expectNothingChanged() {
        EXPECT_TRUE(w->pages().Geaendert);
        EXPECT_EQ(w->oleImgEdit1().Image(), path);
        EXPECT_EQ(tiffs::fileBytes(path), original);
    }
};

}  // namespace

TEST(SaveFailure, AWriteThatBreaksOffShowsWhyAndTheStatus) {
    FailingSave scene;
    scene.w->oleImgEdit1().Flip();  // a changed page to write; an unchanged one is not written again
    imaging::fault_injection::failAfterPages(1);
    scene.w->runSaveCommand();
    EXPECT_EQ(scene.failure(), QStringLiteral("Die Datei konnte nicht geschrieben werden: ") + scene.path +
                                   QStringLiteral(" (simulierter Schreibfehler nach 1 Seiten) Fehlercode = 7D6"));
    scene.expectNothingChanged();
}

TEST(SaveFailure, AFolderThatCannotBeWrittenShowsWhyAndTheStatus) {
    for (const char* name : {"band.tif", "band.bmp"}) {
        FailingSave scene;
        const QString notAFolder = scene.dir.filePath(QStringLiteral("notiz.txt"));
        ASSERT_TRUE(tiffs::writeBytes(notAFolder, "Text"));
        const QString target = notAFolder + QLatin1Char('/') + QString::fromUtf8(name);
        scene.prompter.answerFile(target, target.endsWith(QStringLiteral(".bmp")) ? 2 : 1);
        scene.w->runSaveAsCommand();
        EXPECT_EQ(scene.failure(), QStringLiteral("Die Datei konnte nicht geschrieben werden: %1 (%2 ist kein Ordner) "
                                                  "Fehlercode = 7D6")
                                       .arg(target, notAFolder));
        scene.expectNothingChanged();
    }
}

TEST(SaveFailure, AReadOnlyFolderOrFileShowsWhyAndTheStatus) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    FailingSave scene;
    QFile::setPermissions(scene.path, QFile::ReadOwner);
    scene.w->runSaveCommand();
    EXPECT_EQ(scene.failure(), QStringLiteral("Die Datei konnte nicht geschrieben werden: %1 (die Datei ist "
                                              "schreibgeschützt) Fehlercode = 7D6")
                                   .arg(scene.path));
    scene.expectNothingChanged();

    QFile::setPermissions(scene.path, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(scene.dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    scene.prompter.clear();
    scene.w->runSaveCommand();
    QFile::setPermissions(scene.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(scene.failure(), QStringLiteral("Die Datei konnte nicht geschrieben werden: %1 (der Ordner %2 ist "
                                              "schreibgeschützt) Fehlercode = 7D6")
                                   .arg(scene.path, scene.dir.path()));
    scene.expectNothingChanged();
}
