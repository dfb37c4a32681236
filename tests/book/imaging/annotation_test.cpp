#include "AnnotationTag.h"
#include "PageAdmin.h"
#include "TiffFiles.h"
#include "oleImgEdit.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace palvenor::imaging;

namespace {

// A white black-and-white page with a black bar across its top.
QImage barPage(int width = 1000, int height = 700) {
    QImage page(width, height, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    for (int y = 20; y < 40; ++y)
        for (int x = 20; x < width - 20; ++x) page.setPixel(x, y, 1);
    return page;
}

QImage colourPage() {
    QImage page(900, 700, QImage::Format_RGB32);
    page.fill(Qt::white);
    return page;
}

// The value of the annotation entry of a page as libtiff reads it; empty
// when the page has none.
QByteArray tagOfPage(const QString& book, int page) {
    test::Tiff tif = test::openTiff(book);
    if (!tif || !TIFFSetDirectory(tif.get(), tdir_t(page - 1))) return {};
    uint32_t count = 0;
    void* data = nullptr;
    if (!TIFFGetField(tif.get(), AnnotationTag, &count, &data) || !data) return {};
    return QByteArray(static_cast<const char*>(data), qsizetype(count));
}

// A book of the given pages, larger than the view, shown at full size and
// scrolled to the top left corner: a point of the view is the same point of
// the page.
struct AnnotatedBook {
    QTemporaryDir dir;
    QString book = dir.filePath(QStringLiteral("buch.tif"));
    oleImgEdit view;

    explicit AnnotatedBook(const std::vector<QImage>& pages, int shown = 1) {
        std::vector<PageSource> sources;
        for (const QImage& page : pages) sources.push_back({QString(), 1, page, 300});
        EXPECT_TRUE(writeBook(book, sources).ok());
        view.resize(700, 500);
        view.show();
        view.setImage(book);
        showPage(shown);
    }
    void showPage(int page) {
        view.setPage(page);
        view.Display();
        view.setZoom(100);
        view.horizontalScrollBar()->setValue(0);
        view.verticalScrollBar()->setValue(0);
    }
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(view.viewport()->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &event);
    }
    // A left-button drag through the points.
    void drag(const std::vector<QPoint>& points) {
        send(QEvent::MouseButtonPress, points.front(), Qt::LeftButton, Qt::LeftButton);
        for (size_t i = 1; i < points.size(); ++i) send(QEvent::MouseMove, points[i], Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, points.back(), Qt::LeftButton, Qt::NoButton);
    }
    void click(QPoint at) { drag({at}); }
    QImage painted() {
        QImage screen(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&screen);
        return screen;
    }
    const std::vector<Annotation>& annotations() const { return view.annotationLayer().items(); }
};

Annotation sampleOf(AnnotationKind kind) {
    Annotation a;
    a.kind = kind;
    a.colour = QColor(0x12, 0x34, 0x56);
    a.lineWidth = 7.5;
    if (a.isLine())
        a.points = {QPointF(10.5, 20.25), QPointF(30, 40), QPointF(55, 41)};
    else
        a.box = QRectF(100.5, 200, 300, 150.75);
    a.background = QColor(0xff, 0xee, 0x99);
    a.font = QFont(QStringLiteral("DejaVu Serif"));
    a.font.setPixelSize(42);
    a.font.setBold(true);
    a.text = QStringLiteral("Größe „Ä“\nzweite Zeile");
    if (kind == AnnotationKind::EmbeddedPicture) a.pictureData = QByteArray("\x89PNG\r\n\x1a\n-bytes-", 15);
    if (kind == AnnotationKind::LinkedPicture) a.pictureFile = QStringLiteral("/bilder/Stempel ä.png");
    return a;
}

}  // namespace

TEST(AnnotationTag, EveryKindComesBackAsItWasWritten) {
    const AnnotationKind kinds[] = {
        AnnotationKind::FreehandLine, AnnotationKind::Highlighter, AnnotationKind::StraightLine,
        AnnotationKind::Frame,        AnnotationKind::FilledArea,  AnnotationKind::Text,
        AnnotationKind::Note,         AnnotationKind::Stamp,       AnnotationKind::EmbeddedPicture,
        AnnotationKind::LinkedPicture};
    std::vector<Annotation> written;
    for (AnnotationKind kind : kinds) written.push_back(sampleOf(kind));
    const QByteArray bytes = encodeAnnotations(written);
    EXPECT_TRUE(bytes.startsWith("{\"annotations\":["));
    const std::optional<std::vector<Annotation>> read = decodeAnnotations(bytes);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        const Annotation& w = written[i];
        const Annotation& r = (*read)[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(r.kind, w.kind);
        EXPECT_EQ(r.points, w.points);
        EXPECT_EQ(r.box, w.isLine() ? QRectF() : w.box);
        EXPECT_EQ(r.colour, w.colour);
        EXPECT_EQ(r.lineWidth, w.lineWidth);
        const bool text = w.kind == AnnotationKind::Text || w.kind == AnnotationKind::Note ||
                          w.kind == AnnotationKind::Stamp;
        EXPECT_EQ(r.text, text ? w.text : QString());
        if (text) {
            EXPECT_EQ(r.font.family(), w.font.family());
            EXPECT_EQ(r.font.pixelSize(), 42);
            EXPECT_TRUE(r.font.bold());
            EXPECT_FALSE(r.font.italic());
        }
        if (w.kind == AnnotationKind::Note) {
            EXPECT_EQ(r.background, w.background);
        }
        EXPECT_EQ(r.pictureData, w.pictureData);
        EXPECT_EQ(r.pictureFile, w.pictureFile);
    }
}

TEST(AnnotationTag, BytesThatAreNoAnnotationDocumentReadAsNone) {
    EXPECT_TRUE(encodeAnnotations({}).isEmpty());
    const char* const broken[] = {
        "",
        "{\"format\":\"palvenor-annotations\",\"version\":1,\"annotations\":[",
        "{\"format\":\"other\",\"version\":1,\"annotations\":[]}",
        "{\"format\":\"palvenor-annotations\",\"version\":2,\"annotations\":[]}",
        "{\"format\":\"palvenor-annotations\",\"version\":1,\"annotations\":[{\"kind\":\"wolke\",\"box\":[1,2,3,4]}]}",
        "{\"format\":\"palvenor-annotations\",\"version\":1,\"annotations\":[{\"kind\":\"frame\"}]}",
        "[1,2,3]",
    };
    for (const char* bytes : broken) EXPECT_FALSE(decodeAnnotations(QByteArray(bytes))) << bytes;
}

TEST(PageViewAnnotations, ASavedPageKeepsThemInItsOwnEntryAndOthersReadThePage) {
    AnnotatedBook scene({barPage(), barPage(), barPage()}, 2);
    const std::vector<test::RawPage> before = test::rawPages(scene.book);
    scene.view.SelectTool(FreehandTool);
    scene.drag({{100, 100}, {150, 120}, {200, 180}});
    scene.view.SelectTool(FrameTool);
    scene.drag({{300, 200}, {420, 290}});
    ASSERT_EQ(scene.annotations().size(), 2u);
    EXPECT_TRUE(scene.view.ImageModified());
    const std::vector<Annotation> drawn = scene.annotations();
    scene.view.Save();
    ASSERT_EQ(scene.view.StatusCode(), 0);

    EXPECT_TRUE(tagOfPage(scene.book, 1).isEmpty());
    EXPECT_TRUE(tagOfPage(scene.book, 3).isEmpty());
    const QByteArray tag = tagOfPage(scene.book, 2);
    EXPECT_TRUE(tag.contains("\"kind\":\"freehand\"")) << tag.toStdString();
    EXPECT_TRUE(tag.contains("\"kind\":\"frame\"")) << tag.toStdString();
    const std::vector<test::RawPage> after = test::rawPages(scene.book);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[2], before[2]);
    EXPECT_EQ(test::libtiffPicture(scene.book, 2).pixel(500, 30), qRgb(0, 0, 0));  // the page as it was

    oleImgEdit reopened;
    reopened.setImage(scene.book);
    reopened.setPage(2);
    reopened.Display();
    const std::vector<Annotation>& read = reopened.annotationLayer().items();
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].kind, AnnotationKind::FreehandLine);
    EXPECT_EQ(read[0].points, drawn[0].points);
    EXPECT_EQ(read[0].points.front(), QPointF(100, 100));
    EXPECT_EQ(read[1].kind, AnnotationKind::Frame);
    EXPECT_EQ(read[1].box, QRectF(300, 200, 120, 90));
    EXPECT_FALSE(reopened.ImageModified());
}

TEST(PageViewAnnotations, PageOperationsCarryTheEntryByteForByte) {
    AnnotatedBook scene({barPage(), barPage(), barPage()}, 3);
    scene.view.SelectTool(LineTool);
    scene.drag({{50, 300}, {400, 310}});
    scene.view.Save();
    const QByteArray tag = tagOfPage(scene.book, 3);
    ASSERT_FALSE(tag.isEmpty());
    ASSERT_TRUE(deletePages(scene.book, 1, 1).ok());
    EXPECT_EQ(tagOfPage(scene.book, 2), tag);
    ASSERT_TRUE(insertPages(scene.book, 1, scene.book, 2, 1).ok());
    EXPECT_EQ(tagOfPage(scene.book, 1), tag);
    EXPECT_EQ(tagOfPage(scene.book, 3), tag);
    EXPECT_TRUE(tagOfPage(scene.book, 2).isEmpty());
}

TEST(PageViewAnnotations, BurntInAnnotationsBecomePixelsAndLeaveTheEntry) {
    AnnotatedBook scene({barPage()});
    scene.view.SelectTool(AreaTool);  // grey by default: black ink on this page
    scene.drag({{100, 300}, {200, 400}});
    scene.view.SelectTool(LineTool);
    scene.drag({{100, 500}, {600, 500}});
    scene.view.SelectTool(PointerTool);
    scene.click({350, 500});
    ASSERT_TRUE(scene.view.annotationLayer().anyMarked());

    scene.view.BurnInAnnotations(oleImgEdit::BurnMarked, oleImgEdit::BurnOwnColours);
    ASSERT_EQ(scene.annotations().size(), 1u);
    EXPECT_EQ(scene.annotations()[0].kind, AnnotationKind::FilledArea);
    scene.view.Save();
    QImage page = test::libtiffPicture(scene.book, 1);
    EXPECT_EQ(page.pixel(350, 500), qRgb(0, 0, 0));      // the line is ink now
    EXPECT_EQ(page.pixel(150, 350), qRgb(255, 255, 255));  // the area is still an annotation
    EXPECT_FALSE(tagOfPage(scene.book, 1).isEmpty());

    scene.view.HideAnnotations();
    scene.view.BurnInAnnotations(oleImgEdit::BurnVisible, oleImgEdit::BurnOwnColours);
    EXPECT_EQ(scene.annotations().size(), 1u);  // hidden ones are not visible
    scene.view.ShowAnnotations();
    scene.view.BurnInAnnotations(oleImgEdit::BurnVisible, oleImgEdit::BurnOwnColours);
    EXPECT_TRUE(scene.annotations().empty());
    scene.view.Save();
    page = test::libtiffPicture(scene.book, 1);
    EXPECT_EQ(page.pixel(150, 350), qRgb(0, 0, 0));
    EXPECT_EQ(page.pixel(99, 350), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(201, 350), qRgb(255, 255, 255));
    EXPECT_TRUE(tagOfPage(scene.book, 1).isEmpty());
    EXPECT_EQ(scene.view.PageType(), PageTypeBlackWhite);
}

TEST(PageViewAnnotations, OnAColourPageTheyAreBurntInTheirOwnColours) {
    AnnotatedBook scene({colourPage()});
    scene.view.SelectTool(LineTool);
    scene.drag({{50, 100}, {300, 100}});
    scene.view.SelectTool(HighlighterTool);  // yellow, multiplied into the page
    scene.drag({{50, 200}, {300, 200}});
    scene.view.BurnInAnnotations(oleImgEdit::BurnVisible, oleImgEdit::BurnOwnColours);
    scene.view.Save();
    const QImage page = test::libtiffPicture(scene.book, 1);
    EXPECT_EQ(page.pixel(150, 100), defaultAttributes(LineTool).colour.rgb());
    EXPECT_EQ(page.pixel(150, 200), qRgb(255, 255, 0));
    EXPECT_EQ(page.pixel(150, 150), qRgb(255, 255, 255));
}

TEST(PageViewAnnotations, HiddenAnnotationsAreNotPainted) {
    AnnotatedBook scene({barPage()});
    scene.view.SelectTool(AreaTool);
    scene.drag({{100, 300}, {200, 400}});
    const QRgb grey = defaultAttributes(AreaTool).colour.rgb();
    EXPECT_EQ(scene.painted().pixel(150, 350), grey);
    scene.view.HideAnnotations();
    scene.view.Refresh();
    EXPECT_EQ(scene.painted().pixel(150, 350), qRgb(255, 255, 255));
    scene.view.ShowAnnotations();
    scene.view.Refresh();
    EXPECT_EQ(scene.painted().pixel(150, 350), grey);
}

namespace {

// Collects the areas the view repaints.
struct PaintLog : QObject {
    std::vector<QRect> areas;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) areas.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
};

}  // namespace

TEST(PageViewAnnotations, DrawingAStrokeRepaintsOnlyAroundItsNewPiece) {
    AnnotatedBook scene({barPage()});
    scene.view.SelectTool(FreehandTool);
    const int width = defaultAttributes(FreehandTool).lineWidth;
    QCoreApplication::processEvents();
    PaintLog log;
    scene.view.viewport()->installEventFilter(&log);
    scene.send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    QPoint last(100, 100);
    for (int step = 1; step <= 20; ++step) {
        const QPoint next(100 + 15 * step, 100 + 5 * step);
        log.areas.clear();
        scene.send(QEvent::MouseMove, next, Qt::NoButton, Qt::LeftButton);
        QCoreApplication::processEvents();
        ASSERT_FALSE(log.areas.empty()) << step;
        const QRect piece = QRect(last, next).normalized().adjusted(-width, -width, width, width);
        for (const QRect& area : log.areas) {
            EXPECT_LE(area.width(), piece.width() + 8) << step;
            EXPECT_LE(area.height(), piece.height() + 8) << step;
            EXPECT_TRUE(area.contains(QRect(last, next).normalized())) << step;
        }
        last = next;
    }
    scene.send(QEvent::MouseButtonRelease, last, Qt::LeftButton, Qt::NoButton);
    scene.view.viewport()->removeEventFilter(&log);
    ASSERT_EQ(scene.annotations().size(), 1u);
    EXPECT_EQ(scene.annotations()[0].points.size(), 21);
    EXPECT_EQ(scene.painted().pixel(250, 150), defaultAttributes(FreehandTool).colour.rgb());
}

TEST(PageViewTools, TheSelectionRectangleIsReportedInPagePixels) {
    AnnotatedBook scene({barPage()});
    std::vector<QRect> reported;
    QObject::connect(&scene.view, &oleImgEdit::selectionDrawn,
                     [&](int left, int top, int width, int height) { reported.emplace_back(left, top, width, height); });
    scene.drag({{200, 100}, {50, 80}});  // the selection rectangle is switched off
    EXPECT_TRUE(reported.empty());
    scene.view.setSelectionRectangle(true);
    scene.drag({{200, 100}, {120, 90}, {50, 80}});
    scene.view.setZoom(50);  // the page is centred now: 500 x 350 in the 700 x 500 view
    QCoreApplication::processEvents();
    const QPoint origin((scene.view.viewport()->width() - 500) / 2, (scene.view.viewport()->height() - 350) / 2);
    scene.drag({origin + QPoint(10, 20), origin + QPoint(60, 70)});
    scene.click(origin + QPoint(30, 30));
    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[0], QRect(50, 80, 150, 20));
    EXPECT_EQ(reported[1], QRect(20, 40, 100, 100));
    EXPECT_EQ(reported[2].size(), QSize(0, 0));
    EXPECT_TRUE(scene.view.SelectionRect().isEmpty());
    EXPECT_TRUE(scene.annotations().empty());

    scene.view.setSelectionRectangle(true);
    scene.view.SelectTool(FrameTool);  // a tool comes before the selection
    scene.drag({origin + QPoint(10, 20), origin + QPoint(60, 70)});
    EXPECT_EQ(reported.size(), 3u);
    EXPECT_EQ(scene.annotations().size(), 1u);
}

TEST(PageViewTools, ThePointerMarksMovesAndDeletesAnnotations) {
    AnnotatedBook scene({barPage()});
    int marked = 0;
    QObject::connect(&scene.view, &oleImgEdit::annotationMarked, [&] { ++marked; });
    scene.view.SelectTool(FrameTool);
    scene.drag({{100, 100}, {200, 200}});
    scene.drag({{300, 100}, {400, 200}});
    scene.view.Save();
    scene.view.SelectTool(PointerTool);
    scene.click({250, 300});  // nothing there
    EXPECT_EQ(marked, 0);
    EXPECT_FALSE(scene.view.ImageModified());
    scene.drag({{200, 150}, {230, 170}});  // on the first frame's edge: marks it and drags it along
    EXPECT_EQ(marked, 1);
    EXPECT_TRUE(scene.annotations()[0].marked);
    EXPECT_FALSE(scene.annotations()[1].marked);
    EXPECT_EQ(scene.annotations()[0].box, QRectF(130, 120, 100, 100));
    EXPECT_TRUE(scene.view.ImageModified());

    scene.view.DeleteSelectedAnnotations();
    ASSERT_EQ(scene.annotations().size(), 1u);
    EXPECT_EQ(scene.annotations()[0].box, QRectF(300, 100, 100, 100));
}

TEST(PageViewTools, TheHandScrollsTheWayThePageIsPushed) {
    AnnotatedBook scene({barPage(1600, 1200)});
    scene.view.horizontalScrollBar()->setValue(300);
    scene.view.verticalScrollBar()->setValue(300);
    const std::tuple<int, int, int, int> cases[] = {
        {0, 7, 300, 307}, {1, 7, 300, 300}, {2, 5, 305, 300}, {3, 5, 300, 300}};
    for (const auto& [direction, amount, x, y] : cases) {
        scene.view.ScrollImage(direction, amount);
        EXPECT_EQ(scene.view.horizontalScrollBar()->value(), x) << direction;
        EXPECT_EQ(scene.view.verticalScrollBar()->value(), y) << direction;
    }
}
