#include "FrameScene.h"
#include "MarkedPage.h"
#include "OcrService.h"
#include "PageMouse.h"
#include "ScriptedEngine.h"
#include "TextAccuracy.h"
#include "frmOCR.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::FrameScene;

namespace {

// A book window showing the generated page, with the OCR window's text
// formatted without the lexicon.
struct OcrScene : FrameScene {
    ocr::FormatOptions savedOptions = ocr::formatOptions;
    frmSample* window = nullptr;

    OcrScene() {
        ocr::formatOptions.Lexikon = false;
        window = open(test::twoParagraphPage().book);
    }
    ~OcrScene() { ocr::formatOptions = savedOptions; }

    void chooseOcr() { window->findChild<QAction*>(QStringLiteral("mnuOCR"))->trigger(); }
    QString recognised() { return frame.ocr().window().RTF0->toPlainText(); }
    // Pixels of the page view in the blue of the selection rectangle.
    int dashedRectanglePixels() {
        const QImage shown = window->oleImgEdit1().viewport()->grab().toImage();
        int count = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) count += shown.pixelColor(x, y) == QColor(Qt::blue);
        return count;
    }
};

}  // namespace

TEST(OcrCommand, TheMarkedParagraphsComeOutAsTheirText) {
    const test::MarkedPage& page = test::twoParagraphPage();
    ASSERT_TRUE(page.ok()) << "no sample page";
    OcrScene scene;
    scene.window->oleImgEdit1().setSelectionRect(page.area);
    scene.window->selectionPresent = true;

    scene.chooseOcr();
    EXPECT_TRUE(scene.frame.ocr().window().isVisible());
    EXPECT_FALSE(scene.window->selectionPresent);
    EXPECT_FLOAT_EQ(ocr::formatOptions.ResolutionFactor, 300.0f * 39);
    // Paragraphs are merged into flowing lines: compare the words.
    const double errorRate = textcheck::characterErrorRate(scene.recognised().simplified(), page.truth.simplified());
    EXPECT_LT(errorRate, 0.02) << scene.recognised().toStdString();
    EXPECT_TRUE(scene.prompter.shown().empty()) << scene.prompter.texts().join('|').toStdString();

    // Without a new rectangle the command only shows the window again.
    const QString text = scene.recognised();
    scene.chooseOcr();
    EXPECT_EQ(scene.recognised(), text);
}

TEST(OcrCommand, TheMarkedRectangleGoesAwayWithTheSelectionFlag) {
    const test::MarkedPage& page = test::twoParagraphPage();
    ASSERT_TRUE(page.ok()) << "no sample page";
    OcrScene scene;
    imaging::oleImgEdit& edit = scene.window->oleImgEdit1();
    edit.setSelectionRect(page.area);
    setSelectionPresent(*scene.window, true);
    ASSERT_GT(scene.dashedRectanglePixels(), 0);
    ASSERT_TRUE(scene.window->controls().isEnabled(QStringLiteral("mnuTrimPage")));

    scene.chooseOcr();
    EXPECT_FALSE(scene.window->selectionPresent);
    EXPECT_TRUE(edit.SelectionRect().isEmpty());
    EXPECT_EQ(scene.dashedRectanglePixels(), 0);
    // Nothing is left to trim to.
    for (const char* name : {"mnuTrimPage", "Zuschnitt", "mnuTrimPage180"})
        EXPECT_FALSE(scene.window->controls().isEnabled(QString::fromUtf8(name))) << name;
}

// The frame the window system puts around the window may differ from the
// one the placement expects by a few pixels.
TEST(OcrCommand, TheOcrWindowFirstOpensBesideThePageOfTheBook) {
    OcrScene scene;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    scene.frame.setGeometry(screen.adjusted(20, 20, -40, -40));
    scene.frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scene.frame));
    const QWidget& view = scene.window->oleImgEdit1();
    const QRect page(view.mapToGlobal(QPoint(0, 0)), view.size());
    ASSERT_TRUE(screen.contains(page));

    scene.chooseOcr();
    const ocr::frmOCR& window = scene.frame.ocr().window();
    EXPECT_EQ(window.pos().y(), page.top());
    EXPECT_GE(window.pos().x(), page.left() + page.width() / 2);
    const QRect placed = window.frameGeometry();
    EXPECT_NEAR(placed.right(), page.right(), 8);
    EXPECT_NEAR(placed.bottom(), page.bottom(), 30);
    EXPECT_TRUE(screen.contains(placed));
}

TEST(OcrCommand, WithoutAMarkedAreaOnlyTheWindowComesForward) {
    ASSERT_TRUE(test::twoParagraphPage().ok()) << "no sample page";
    OcrScene scene;
    scene.frame.ocr().window().RTF0->setPlainText(QStringLiteral("früher erkannt"));
    scene.chooseOcr();
    EXPECT_TRUE(scene.frame.ocr().window().isVisible());
    EXPECT_EQ(scene.recognised(), QStringLiteral("früher erkannt"));
    EXPECT_TRUE(scene.prompter.shown().empty());
}

TEST(OcrCommand, UnloadingTheWindowShutsTheEngineDownThenSavesTheSettings) {
    OcrScene scene;
    test::ScriptedEngine* engine = nullptr;
    const auto makeEngine = [&engine] {
        auto made = std::make_unique<test::ScriptedEngine>();
        engine = made.get();
        return made;
    };
    OcrService service(scene.prompter, makeEngine, [] { return nullptr; });
    service.useSettings(ocr::OcrSettingsStore::iniFile(scene.ocrSettings));
    scene.window->oleImgEdit1().setSelectionRect(QRect(0, 0, 50, 50));
    scene.window->selectionPresent = true;
    service.mnuOCR_Click(*scene.window);
    ASSERT_NE(engine, nullptr);
    const qsizetype callsOfTheJob = engine->calls.size();

    QStringList settingsAtShutdown;
    engine->onShutdown = [&] { settingsAtShutdown = QSettings(scene.ocrSettings, QSettings::IniFormat).allKeys(); };
    service.unloadWindow();
    EXPECT_EQ(engine->calls.mid(callsOfTheJob), QStringList{QStringLiteral("Shutdown -1")});
    EXPECT_TRUE(settingsAtShutdown.isEmpty()) << settingsAtShutdown.join(' ').toStdString();
    EXPECT_TRUE(QSettings(scene.ocrSettings, QSettings::IniFormat).contains(QStringLiteral("Window/Left")));
    EXPECT_FALSE(service.window().isVisible());
}

TEST(OcrCommand, TheHourglassShowsOverThePageViewWhileTheJobRuns) {
    OcrScene scene;
    auto engine = std::make_unique<test::ScriptedEngine>();
    test::ScriptedEngine& job = *engine;
    OcrService service(scene.prompter, [&engine] { return std::move(engine); }, [] { return nullptr; });
    service.useSettings(ocr::OcrSettingsStore::iniFile(scene.ocrSettings));
    imaging::oleImgEdit& edit = scene.window->oleImgEdit1();
    edit.setMousePointer(imaging::oleImgEdit::PointerMark);
    QWidget* pageView = edit.viewport();
    ASSERT_EQ(pageView->cursor().shape(), Qt::CrossCursor);

    job.statuses = {0, 1};
    const std::vector<QWidget*> shown{pageView, scene.window, &service.window()};
    std::vector<Qt::CursorShape> whileBusy;
    job.onStatus = [&] {
        for (QWidget* widget : shown) whileBusy.push_back(widget->cursor().shape());
    };
    edit.setSelectionRect(QRect(0, 0, 50, 50));
    scene.window->selectionPresent = true;
    service.mnuOCR_Click(*scene.window);
    ASSERT_EQ(whileBusy.size(), 6u);
    for (const Qt::CursorShape shape : whileBusy) EXPECT_EQ(shape, Qt::WaitCursor);
    EXPECT_EQ(pageView->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(scene.window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(service.window().cursor().shape(), Qt::ArrowCursor);
}

TEST(OcrCommand, ClosingTheFrameUnloadsTheOcrWindowShownOrHidden) {
    for (const bool hidden : {false, true}) {
        OcrScene scene;
        scene.chooseOcr();
        ocr::frmOCR& window = scene.frame.ocr().window();
        ASSERT_TRUE(window.isVisible());
        window.RTF0->setPlainText(QStringLiteral("erkannt"));
        if (hidden) window.findChild<QPushButton*>(QStringLiteral("cAbbruch"))->click();
        EXPECT_TRUE(scene.frame.close());
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(scene.recognised().isEmpty()) << hidden;
        EXPECT_TRUE(QFileInfo::exists(scene.ocrSettings)) << hidden;
    }
}

TEST(OcrCommand, NewInTheOcrWindowRecognisesTheAreaOfTheActiveBook) {
    const test::MarkedPage& page = test::twoParagraphPage();
    ASSERT_TRUE(page.ok()) << "no sample page";
    OcrScene scene;
    frmSample* other = scene.open(scene.book(2, QStringLiteral("anderes.tif")));
    other->findChild<QAction*>(QStringLiteral("mnuOCR"))->trigger();
    ASSERT_TRUE(scene.frame.ocr().window().isVisible());

    // A click into the first book's window, not on its tab.
    scene.frame.mdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(scene.window->parentWidget()));
    ASSERT_EQ(scene.frame.documents().activeWindow(), scene.window);
    scene.window->oleImgEdit1().setSelectionRect(page.area);
    scene.window->selectionPresent = true;
    scene.frame.ocr().window().findChild<QPushButton*>(QStringLiteral("cNeu"))->click();
    EXPECT_FALSE(scene.window->selectionPresent);
    const double errorRate = textcheck::characterErrorRate(scene.recognised().simplified(), page.truth.simplified());
    EXPECT_LT(errorRate, 0.02) << scene.recognised().toStdString();
}
