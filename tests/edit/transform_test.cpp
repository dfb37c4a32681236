#include "TransformScene.h"

#include "AnnotationTag.h"
#include "PageTransformCommands.h"

#include <QAbstractButton>

#include <cstring>

using namespace palvenor;
using namespace palvenor::test;

namespace {

constexpr int W = 60;
constexpr int H = 40;

struct TurnCase {
    const char* entry;
    int width, height;
    std::pair<int, int> (*to)(int, int);
};

const TurnCase kTurns[] = {
    {"mnuright", H, W, [](int x, int y) { return std::pair{H - 1 - y, x}; }},
    {"mnuLeft", H, W, [](int x, int y) { return std::pair{y, W - 1 - x}; }},
    {"mnuFlip", W, H, [](int x, int y) { return std::pair{W - 1 - x, H - 1 - y}; }},
};

}  // namespace

TEST(PageTransforms, EachTurnMovesTheMarkerInTheViewAndReachesTheFileOnlyOnSave) {
    for (const TurnCase& turn : kTurns) {
        TransformScene s({QImage::Format_Mono});
        ASSERT_NE(s.w, nullptr);
        const QByteArray before = bytesOf(s.path);
        s.run(turn.entry);
        EXPECT_EQ(darkPoints(s.edit().picture()), mapped(markerPoints(W, H), turn.to)) << turn.entry;
        EXPECT_EQ(s.edit().ImageWidth(), turn.width) << turn.entry;
        EXPECT_TRUE(s.edit().ImageModified());
        EXPECT_EQ(bytesOf(s.path), before) << turn.entry;
        s.run("mnuSave");
        const std::vector<TiffPage> pages = readPages(s.path);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0].width, uint32_t(turn.width));
        EXPECT_EQ(pages[0].compression, COMPRESSION_CCITTFAX4);
        EXPECT_EQ(darkPoints(pageOf(s.path, 1)), mapped(markerPoints(W, H), turn.to)) << turn.entry;
    }
}

namespace {

// A book of black-and-white and grey marker pages scanned at 200 dpi
// across and 100 dpi down.
QString unevenBook(TransformScene& s) {
    std::vector<imaging::PageSource> pages;
    for (QImage::Format format : {QImage::Format_Mono, QImage::Format_Grayscale8}) {
        imaging::PageSource page;
        page.picture = markerPage(W, H, format);
        page.resolution = 200;
        page.yResolution = 100;
        pages.push_back(page);
    }
    const QString book = s.dir.filePath(QStringLiteral("ungleich.tif"));
    EXPECT_TRUE(imaging::writeBook(book, pages).ok());
    return book;
}

void expectResolution(const TiffPage& page, float x, float y) {
    EXPECT_EQ(page.xResolution, x);
    EXPECT_EQ(page.yResolution, y);
    EXPECT_EQ(page.resolutionUnit, RESUNIT_INCH);
}

}  // namespace

TEST(PageTransforms, AQuarterTurnSwapsTheHorizontalAndVerticalResolutionInTheFile) {
    for (const char* entry : {"mnuright", "mnuLeft", "mnuFlip"}) {
        SCOPED_TRACE(entry);
        TransformScene s({});
        const QString book = unevenBook(s);
        frmSample* w = s.open(book);
        w->findChild<QAction*>(QString::fromUtf8(entry))->trigger();
        const bool quarter = std::strcmp(entry, "mnuFlip") != 0;
        EXPECT_EQ(w->oleImgEdit1().ImageResolutionX(), quarter ? 100 : 200);
        w->findChild<QAction*>(QStringLiteral("mnuSave"))->trigger();
        const std::vector<TiffPage> pages = readPages(book);
        ASSERT_EQ(pages.size(), 2u);
        expectResolution(pages[0], quarter ? 100 : 200, quarter ? 200 : 100);
        expectResolution(pages[1], 200, 100);
    }
}

TEST(PageTransforms, TwoQuarterTurnsOfTheShownPageGiveItsResolutionBack) {
    TransformScene s({});
    const QString book = unevenBook(s);
    frmSample* w = s.open(book);
    w->findChild<QAction*>(QStringLiteral("mnuright"))->trigger();
    w->findChild<QAction*>(QStringLiteral("mnuright"))->trigger();
    w->findChild<QAction*>(QStringLiteral("mnuSave"))->trigger();
    expectResolution(readPages(book)[0], 200, 100);
}

TEST(PageTransforms, TurningEveryPageSwapsEachPagesResolution) {
    for (const char* entry : {"mnuRightAll", "mnuLeftAll"}) {
        SCOPED_TRACE(entry);
        TransformScene s({});
        const QString book = unevenBook(s);
        frmSample* w = s.open(book);
        w->findChild<QAction*>(QString::fromUtf8(entry))->trigger();
        const std::vector<TiffPage> pages = readPages(book);
        ASSERT_EQ(pages.size(), 2u);
        for (const TiffPage& page : pages) {
            EXPECT_EQ(page.width, uint32_t(H));
            expectResolution(page, 100, 200);
        }
    }
}

TEST(PageTransforms, TheTurnButtonsCarryTheirTipsAndTurnThePage) {
    TransformScene s({QImage::Format_Mono});
    const auto button = [&](const char* name) {
        return qobject_cast<QAbstractButton*>(s.w->controls().find(QString::fromUtf8(name)));
    };
    EXPECT_EQ(button("links")->toolTip(), QStringLiteral("Bild 90° nach links drehen"));
    EXPECT_EQ(button("rechts")->toolTip(), QStringLiteral("Bild 90° nach rechts drehen"));
    EXPECT_EQ(button("druck")->toolTip(), QStringLiteral("Bild drucken"));
    ASSERT_NE(button("Zuschnitt"), nullptr);
    button("rechts")->click();
    EXPECT_EQ(darkPoints(s.edit().picture()), mapped(markerPoints(W, H), kTurns[0].to));
    button("links")->click();
    EXPECT_EQ(darkPoints(s.edit().picture()), markerPoints(W, H));
}

TEST(PageTransforms, TurningEveryPageWritesEachTurnedPageOnceAndShowsPageOne) {
    TransformScene s({QImage::Format_Mono, QImage::Format_Grayscale8, QImage::Format_RGB32});
    s.goTo(2);
    s.run("mnuRightAll");
    const std::vector<TiffPage> pages = readPages(s.path);
    ASSERT_EQ(pages.size(), 3u);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(pages[page - 1].width, uint32_t(H)) << page;
        EXPECT_EQ(darkPoints(pageOf(s.path, page)), mapped(markerPoints(W, H), kTurns[0].to)) << page;
    }
    EXPECT_EQ(pages[0].compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(pages[1].photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(pages[2].photometric, PHOTOMETRIC_RGB);
    EXPECT_EQ(s.edit().Page(), 1);
    EXPECT_EQ(darkPoints(s.edit().picture()), mapped(markerPoints(W, H), kTurns[0].to));
    EXPECT_FALSE(s.edit().ImageModified());
    s.run("mnuLeftAll");
    for (int page = 1; page <= 3; ++page) EXPECT_EQ(darkPoints(pageOf(s.path, page)), markerPoints(W, H)) << page;
}

TEST(PageTransforms, AnnotationsTurnWithTheirPage) {
    TransformScene s({});
    imaging::Annotation area;
    area.kind = imaging::AnnotationKind::FilledArea;
    area.box = QRectF(2, 3, 10, 6);
    imaging::PageSource page;
    page.picture = markerPage(W, H, QImage::Format_Mono);
    page.annotations = imaging::encodeAnnotations({area});
    const QString book = s.dir.filePath(QStringLiteral("anmerkung.tif"));
    ASSERT_TRUE(imaging::writeBook(book, {page}).ok());
    imaging::PagePass pass{[](const QImage& p) { return imaging::turned(p, imaging::Turn::Right); },
                           [](QSize size) { return imaging::turning(size, imaging::Turn::Right); }, {}};
    ASSERT_TRUE(imaging::transformEveryPage(book, pass).ok());
    imaging::ImagingError error;
    const auto annotations = imaging::decodeAnnotations(imaging::ImageFile::open(book, &error)->annotationData(1));
    ASSERT_TRUE(annotations && annotations->size() == 1);
    EXPECT_EQ((*annotations)[0].box, QRectF(31, 2, 6, 10));

    frmSample* w = s.open(book);
    w->findChild<QAction*>(QStringLiteral("mnuLeft"))->trigger();
    EXPECT_EQ(w->oleImgEdit1().annotationLayer().items().at(0).box, QRectF(2, 3, 10, 6));
}

TEST(PageTransforms, ABitmapStaysABitmapWhenEveryPageIsTurnedOrInverted) {
    TransformScene s({});
    const QString bitmap = s.dir.filePath(QStringLiteral("seite.bmp"));
    ASSERT_TRUE(markerPage(W, H, QImage::Format_RGB32).save(bitmap, "BMP"));
    frmSample* w = s.open(bitmap);
    w->findChild<QAction*>(QStringLiteral("mnuRightAll"))->trigger();
    w->findChild<QAction*>(QStringLiteral("mnuInvertAll"))->trigger();
    w->findChild<QAction*>(QStringLiteral("mnuMaxComp"))->trigger();
    EXPECT_TRUE(bytesOf(bitmap).startsWith("BM"));
    const QImage written(bitmap);
    EXPECT_EQ(written.size(), QSize(H, W));
    EXPECT_EQ(darkPoints(written).size(), size_t(W * H) - markerPoints(W, H).size());
    EXPECT_TRUE(messages(s.prompter).isEmpty());
}

TEST(PageTransforms, APassCancelledBeforeTheEndLeavesTheBookAsItWas) {
    TransformScene s({QImage::Format_Mono, QImage::Format_Mono, QImage::Format_Mono});
    const QByteArray before = bytesOf(s.path);
    imaging::PagePass pass{[](const QImage& page) { return imaging::inverted(page); }, {},
                           [](int done, int) { return done < 2; }};
    EXPECT_EQ(imaging::transformEveryPage(s.path, pass).code, imaging::StatusCancelled);
    EXPECT_EQ(bytesOf(s.path), before);
}

TEST(PageTransforms, InvertingWritesTheTrueOppositeColoursAtOnceInTheSameKindOfPage) {
    TransformScene s({QImage::Format_Mono, QImage::Format_Grayscale8, QImage::Format_Indexed8, QImage::Format_RGB32});
    const QImage colours[] = {pageOf(s.path, 1), pageOf(s.path, 2), pageOf(s.path, 3), pageOf(s.path, 4)};
    const std::vector<TiffPage> before = readPages(s.path);
    for (int page = 1; page <= 4; ++page) {
        s.goTo(page);
        s.run("mnuInvert");
        EXPECT_FALSE(s.edit().ImageModified()) << page;
    }
    const std::vector<TiffPage> after = readPages(s.path);
    for (int page = 1; page <= 4; ++page) {
        const QImage original = colours[page - 1];
        const QImage inverted = pageOf(s.path, page);
        EXPECT_EQ(after[page - 1].photometric == PHOTOMETRIC_PALETTE, before[page - 1].photometric == PHOTOMETRIC_PALETTE);
        EXPECT_EQ(after[page - 1].xResolution, 200.0f) << page;
        for (const QPoint at : {QPoint(0, 0), QPoint(2, 3), QPoint(W - 4, H - 6)}) {
            const QRgb was = original.pixel(at);
            const QRgb now = inverted.pixel(at);
            EXPECT_EQ(qRed(now), 255 - qRed(was)) << page;
            EXPECT_EQ(qGreen(now), 255 - qGreen(was)) << page;
            EXPECT_EQ(qBlue(now), 255 - qBlue(was)) << page;
        }
    }
    EXPECT_EQ(after[0].compression, COMPRESSION_CCITTFAX4);
}

TEST(PageTransforms, InvertingEveryPageInvertsEachAndTakesBackNothingOfTheOthers) {
    TransformScene s({QImage::Format_Mono, QImage::Format_Mono});
    s.run("mnuInvertAll");
    for (int page = 1; page <= 2; ++page) EXPECT_EQ(darkPoints(pageOf(s.path, page)).size(), size_t(W * H) - markerPoints(W, H).size());
    EXPECT_EQ(s.edit().Page(), 1);
}

TEST(TrimSize, AtHalfZoomTheExampleSelectionIs400By400) {
    EXPECT_EQ(trimmedSize({1500, 3000, 4500, 6000, 50, 15, 15, 600, 800}), QSize(400, 400));
}

TEST(TrimSize, AReversedDragGivesTheSameSize) {
    EXPECT_EQ(trimmedSize({4500, 6000, 1500, 3000, 50, 15, 15, 600, 800}), QSize(400, 400));
}

TEST(TrimSize, EdgesBeyondThePageAreCutAtItsWidthAndHeight) {
    EXPECT_EQ(trimmedSize({1500, 3000, 9000, 9000, 50, 15, 15, 500, 700}), QSize(300, 300));
}

TEST(TrimSize, TheRightEdgeIsRoundedBeforeTheWidthHalvesToEven) {
    // left 0.5, right 2.5 -> 2 (half to even), width |2 - 0.5| = 1.5 -> 2
    EXPECT_EQ(trimmedSize({15, 15, 75, 45, 200, 15, 15, 100, 100}), QSize(2, 1));
}

namespace {

// A 800 x 1000 marker page shown at half size, centred in the view, with a
// selection of 200 x 200 screen pixels: 400 x 400 page pixels.
struct TrimScene : TransformScene {
    QImage original;
    QRect area;
    TrimScene() : TransformScene({QImage::Format_Mono}, 800, 1000) {
        original = pageOf(path, 1);
        edit().setZoom(50);
        QCoreApplication::processEvents();
        const QPoint corner = edit().pageOrigin();
        select(corner + QPoint(20, 30), corner + QPoint(220, 230));
        area = edit().SelectionRect();
    }
};

}  // namespace

TEST(TrimPage, TheSelectionBecomesThePageInTheFileAtOnce) {
    TrimScene s;
    ASSERT_TRUE(s.w->selectionPresent);
    EXPECT_EQ(s.area.topLeft(), QPoint(40, 60));
    ASSERT_TRUE(s.enabled("mnuTrimPage"));
    s.run("mnuTrimPage");
    const std::vector<TiffPage> pages = readPages(s.path);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].width, 400u);
    EXPECT_EQ(pages[0].height, 400u);
    EXPECT_EQ(pages[0].compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(pages[0].xResolution, 200.0f);
    EXPECT_EQ(pageOf(s.path, 1), s.original.copy(QRect(s.area.topLeft(), QSize(400, 400))));
    EXPECT_FALSE(s.w->selectionPresent);
    for (const char* name : {"mnuTrimPage", "Zuschnitt", "mnuTrimPage180"}) EXPECT_FALSE(s.enabled(name)) << name;
}

TEST(TrimPage, TrimmingAgainWithoutANewSelectionDoesNothing) {
    TrimScene s;
    s.run("mnuTrimPage");
    const QByteArray once = bytesOf(s.path);
    PageTransformCommands(*s.w).mnuTrimPage_Click();
    EXPECT_EQ(bytesOf(s.path), once);
}

TEST(TrimPage, WithATurnFirstTheSameRectangleIsCutFromTheTurnedPage) {
    TrimScene s;
    s.run("mnuTrimPage180");
    EXPECT_EQ(pageOf(s.path, 1), s.original.mirrored(true, true).copy(QRect(s.area.topLeft(), QSize(400, 400))));
}

TEST(MaxCompression, RecompressesOnlyBlackAndWhitePagesThatAreNotG4AndEndsOnPageOne) {
    TransformScene s({QImage::Format_Mono});
    std::vector<imaging::PageSource> pages;
    for (QImage::Format format : {QImage::Format_Mono, QImage::Format_Mono, QImage::Format_Grayscale8,
                                  QImage::Format_Indexed8, QImage::Format_RGB32}) {
        imaging::PageSource page;
        page.picture = markerPage(W, H, format);
        pages.push_back(page);
    }
    pages[1].pictureCompression = COMPRESSION_LZW;
    const QString book = s.dir.filePath(QStringLiteral("gemischt.tif"));
    ASSERT_TRUE(imaging::writeBook(book, pages).ok());
    frmSample* w = s.open(book);
    w->GehZuSeite(QStringLiteral("3"));
    const std::vector<TiffPage> before = readPages(book);
    ASSERT_EQ(before[1].compression, COMPRESSION_LZW);
    w->findChild<QAction*>(QStringLiteral("mnuMaxComp"))->trigger();
    const std::vector<TiffPage> after = readPages(book);
    ASSERT_EQ(after.size(), 5u);
    for (int i : {0, 2, 3, 4}) EXPECT_EQ(after[i].raw, before[i].raw) << i + 1;
    EXPECT_EQ(after[1].compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(darkPoints(pageOf(book, 2)), markerPoints(W, H));
    EXPECT_EQ(w->oleImgEdit1().Page(), 1);
    EXPECT_TRUE(messages(s.prompter).isEmpty());
}

TEST(MaxCompression, ABookWithNothingToRecompressStaysByteIdentical) {
    TransformScene s({QImage::Format_Mono, QImage::Format_Grayscale8, QImage::Format_RGB32});
    const QByteArray before = bytesOf(s.path);
    s.run("mnuMaxComp");
    EXPECT_EQ(bytesOf(s.path), before);
}

TEST(GreyDisplay, TheEntryTogglesGreyScalingAndItsCheckMark) {
    TransformScene s({QImage::Format_Mono});
    s.run("mnuScaleToGray");
    EXPECT_EQ(s.edit().DisplayScaleAlgorithm(), 2);
    EXPECT_TRUE(s.w->controls().isChecked(QStringLiteral("mnuScaleToGray")));
    s.run("mnuScaleToGray");
    EXPECT_EQ(s.edit().DisplayScaleAlgorithm(), 0);
    EXPECT_FALSE(s.w->controls().isChecked(QStringLiteral("mnuScaleToGray")));
}
