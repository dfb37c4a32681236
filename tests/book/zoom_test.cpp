#include "FrameScene.h"
#include "ViewModes.h"
#include "ZoomCommands.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSplitter>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::FrameScene;

namespace {

const char* const kZoomMarks[] = {"mnuBestFit", "mnuFitHeight", "mnuFitWidth", "mnuActual",
                                  "mnu25",      "mnu50",        "mnu75",       "mnu100",
                                  "mnu200",     "mnu400",       "Voll",        "Hoch",
                                  "Breit"};

// A 5-page book in a shown frame, so the page view has a real size.
struct ZoomScene : FrameScene {
    frmSample* w = nullptr;
    explicit ZoomScene(int pages = 5) {
        frame.resize(1100, 800);
        frame.show();
        w = open(book(pages));
        QCoreApplication::processEvents();
    }
    ZoomCommands zoom() { return ZoomCommands(*w); }
    float zoomValue() { return w->oleImgEdit1().Zoom(); }
    QString mag() { return field(*w, "mag"); }
    bool checked(const char* name) { return w->controls().isChecked(QString::fromUtf8(name)); }
    void trigger(const char* name) {
        qobject_cast<QAction*>(w->controls().find(QString::fromUtf8(name)))->trigger();
    }
    // The zoom marks that are set, by name.
    std::vector<std::string> marksSet() {
        std::vector<std::string> set;
        for (const char* name : kZoomMarks)
            if (checked(name)) set.emplace_back(name);
        return set;
    }
};

using Marks = std::vector<std::string>;

}  // namespace

TEST(Zoom, StepsInByOnePointThreeAndShowsTheRoundedZoom) {
    ZoomScene s;
    s.trigger("mnu100");
    EXPECT_EQ(s.marksSet(), Marks{"mnu100"});
    s.trigger("mnuZoomIn");
    EXPECT_FLOAT_EQ(s.zoomValue(), 130.0f);
    s.trigger("mnuZoomIn");
    EXPECT_FLOAT_EQ(s.zoomValue(), 169.0f);
    s.trigger("mnuZoomIn");
    EXPECT_FLOAT_EQ(s.zoomValue(), 219.7f);
    EXPECT_EQ(s.mag(), QStringLiteral("220%"));
    EXPECT_EQ(s.marksSet(), Marks{});
    EXPECT_TRUE(s.prompter.shown().empty());
}

TEST(Zoom, TheStepsStopAtTheLimitsWithAMessageYetClearTheMarks) {
    ZoomScene s;
    s.trigger("mnuBestFit");
    s.zoom().typedZoom(QStringLiteral("5100"));
    EXPECT_EQ(s.marksSet(), (Marks{"mnuBestFit", "Voll"}));
    s.trigger("mnuZoomIn");
    EXPECT_FLOAT_EQ(s.zoomValue(), 5100.0f);
    EXPECT_EQ(s.marksSet(), Marks{});
    ASSERT_EQ(s.prompter.shown().size(), 1u);
    EXPECT_EQ(s.prompter.shown()[0].text, QStringLiteral("Höchste Vergrößerung"));
    EXPECT_EQ(s.prompter.shown()[0].buttons, Prompter::Buttons::Ok);

    s.prompter.clear();
    s.zoom().typedZoom(QStringLiteral("2.5"));
    s.trigger("mnuZoomOut");
    EXPECT_FLOAT_EQ(s.zoomValue(), 2.5f);
    ASSERT_EQ(s.prompter.shown().size(), 1u);
    EXPECT_EQ(s.prompter.shown()[0].text, QStringLiteral("Höchste Verkleinerung"));

    s.prompter.clear();
    s.zoom().typedZoom(QStringLiteral("2.61"));
    s.trigger("mnuZoomOut");
    EXPECT_NEAR(s.zoomValue(), 2.61 / 1.3, 1e-5);  // just above 2 is still allowed
    EXPECT_TRUE(s.prompter.shown().empty());
}

TEST(Zoom, FixedStepsActualSizeAndFitsKeepTheirMarks) {
    ZoomScene s;
    s.trigger("mnu200");
    EXPECT_FLOAT_EQ(s.zoomValue(), 200.0f);
    EXPECT_EQ(s.mag(), QStringLiteral("200%"));
    EXPECT_EQ(s.marksSet(), Marks{"mnu200"});

    s.trigger("mnuActual");
    EXPECT_FLOAT_EQ(s.zoomValue(), 100.0f);
    EXPECT_EQ(s.marksSet(), Marks{"mnuActual"});

    // A fit leaves the actual-size mark alone.
    s.trigger("mnuFitHeight");
    EXPECT_EQ(s.marksSet(), (Marks{"mnuFitHeight", "mnuActual", "Hoch"}));
    const QSize view = s.w->oleImgEdit1().viewport()->size();
    EXPECT_NEAR(s.zoomValue(), 100.0 * view.height() / 1754, 0.01);

    QTest::mouseClick(qobject_cast<QWidget*>(s.w->controls().find(QStringLiteral("Breit"))),
                      Qt::LeftButton);
    EXPECT_EQ(s.marksSet(), (Marks{"mnuFitWidth", "mnuActual", "Breit"}));
    EXPECT_NEAR(s.zoomValue(), 100.0 * view.width() / 1240, 0.01);
    EXPECT_EQ(s.mag(), ZoomCommands::zoomText(s.zoomValue()));
}

TEST(Zoom, BestFitChosenTwiceRefitsBothTimes) {
    ZoomScene s;
    s.trigger("mnuBestFit");
    const float fitted = s.zoomValue();
    s.zoom().typedZoom(QStringLiteral("300"));
    EXPECT_TRUE(s.checked("Voll"));
    s.trigger("mnuBestFit");
    EXPECT_FLOAT_EQ(s.zoomValue(), fitted);
    EXPECT_EQ(s.mag(), ZoomCommands::zoomText(fitted));
}

TEST(Zoom, TheZoomBoxTakesTheLeadingNumberAndRoundsHalvesToEven) {
    ZoomScene s;
    s.trigger("mnu50");
    auto* mag = s.w->findChild<QLineEdit*>(QStringLiteral("mag"));
    mag->setText(QStringLiteral("150%"));
    QTest::keyClick(mag, Qt::Key_Return);
    EXPECT_FLOAT_EQ(s.zoomValue(), 150.0f);
    EXPECT_EQ(s.mag(), QStringLiteral("150%"));
    EXPECT_EQ(s.marksSet(), Marks{"mnu50"});  // a typed zoom leaves the marks

    const std::pair<const char*, const char*> kept[] = {{"abc", "150%"}, {"0", "150%"}, {"-20", "150%"},
                                                        {"99999", "150%"}, {"62.5", "62%"}, {"63.5", "64%"}};
    for (const auto& [typed, shown] : kept) {
        s.zoom().typedZoom(QString::fromUtf8(typed));
        EXPECT_EQ(s.mag(), QString::fromUtf8(shown)) << typed;
    }
}

TEST(Zoom, ZoomToSelectionFillsTheViewWithTheDrawnRectangle) {
    ZoomScene s;
    s.trigger("mnu100");
    s.w->oleImgEdit1().setSelectionRect(QRect(100, 200, 300, 100));
    s.trigger("mnuZoomToSelection");
    EXPECT_FLOAT_EQ(s.zoomValue(), 100.0f);  // no selection drawn yet
    EXPECT_EQ(s.marksSet(), Marks{});

    s.w->selectionPresent = true;
    s.trigger("mnuZoomToSelection");
    const QSize view = s.w->oleImgEdit1().viewport()->size();
    EXPECT_NEAR(s.zoomValue(), 100.0 * std::min(view.width() / 300.0, view.height() / 100.0), 0.01);
    EXPECT_FALSE(s.checked("mnuZoomToSelection"));
}

TEST(Zoom, AResizeEndsAFixedZoomWithABestFit) {
    ZoomScene s;
    s.trigger("mnu200");
    auto* sub = qobject_cast<QMdiSubWindow*>(s.w->parentWidget());
    sub->showNormal();
    sub->resize(600, 500);
    QCoreApplication::processEvents();
    const QSize view = s.w->oleImgEdit1().viewport()->size();
    EXPECT_NEAR(s.zoomValue(), 100.0 * std::min(view.width() / 1240.0, view.height() / 1754.0), 0.01);
    EXPECT_EQ(s.mag(), ZoomCommands::zoomText(s.zoomValue()));
    EXPECT_EQ(s.marksSet(), (Marks{"mnuBestFit", "Voll"}));
}

TEST(ViewModes, EachLayoutChecksItsEntryAndSharesTheWindow) {
    ZoomScene s;
    imaging::oleImgThumbnail& strip = s.w->oleImgThumbnail1();
    imaging::oleImgEdit& page = s.w->oleImgEdit1();

    QTest::mouseClick(qobject_cast<QWidget*>(s.w->controls().find(QStringLiteral("kombination"))),
                      Qt::LeftButton);
    EXPECT_TRUE(s.checked("mnuPageThumbnail"));
    EXPECT_FALSE(s.checked("mnuOnePage"));
    EXPECT_TRUE(s.checked("kombination"));
    EXPECT_FALSE(s.checked("einzeln"));
    EXPECT_TRUE(strip.isVisible());
    EXPECT_TRUE(page.isVisible());
    const int width = s.w->pageSplitter().width();
    EXPECT_EQ(strip.width(), width / 7);
    EXPECT_GE(page.x(), width / 7);
    EXPECT_EQ(page.x() + page.width(), width);

    s.trigger("mnuThumbnail");
    EXPECT_TRUE(s.checked("mnuThumbnail"));
    EXPECT_TRUE(s.checked("kombination"));  // the menu entries leave the buttons alone
    EXPECT_FALSE(page.isVisible());
    EXPECT_EQ(strip.width(), width);
    EXPECT_TRUE(strip.isWrapping());

    s.trigger("mnuOnePage");
    EXPECT_TRUE(s.checked("einzeln"));
    EXPECT_TRUE(s.checked("mnuOnePage"));
    EXPECT_FALSE(strip.isVisible());
    EXPECT_TRUE(page.isVisible());
}

TEST(ViewModes, AOnePageBookFallsBackToTheOnePageLayout) {
    ZoomScene s;
    s.trigger("mnuThumbnail");
    s.w->entry().Anforderung = s.book(1, QStringLiteral("blatt.tif"));
    s.w->oeffnen();
    EXPECT_TRUE(s.checked("einzeln"));
    EXPECT_TRUE(s.checked("mnuOnePage"));
    EXPECT_FALSE(s.w->oleImgThumbnail1().isVisible());
    for (const char* name : {"einzeln", "kombination", "album"})
        EXPECT_FALSE(s.w->controls().isEnabled(QString::fromUtf8(name))) << name;
}

TEST(ViewModes, AThumbnailClickShowsThatPageAndSelectsItsThumbnail) {
    ZoomScene s;
    ViewModes(*s.w).thumbnailClicked(4);
    EXPECT_EQ(s.w->oleImgEdit1().Page(), 4);
    EXPECT_TRUE(s.w->oleImgThumbnail1().ThumbSelected(4));
    EXPECT_FALSE(s.w->oleImgThumbnail1().ThumbSelected(1));
    EXPECT_EQ(FrameScene::field(*s.w, "seite"), QStringLiteral("4"));
    ViewModes(*s.w).thumbnailClicked(0);
    EXPECT_EQ(s.w->oleImgEdit1().Page(), 4);
}

TEST(ViewModes, FullScreenTogglesTheWindowBetweenNormalAndMaximised) {
    ZoomScene s;
    auto* sub = qobject_cast<QMdiSubWindow*>(s.w->parentWidget());
    sub->showNormal();
    s.trigger("mnuFullScreen");
    EXPECT_TRUE(sub->isMaximized());
    EXPECT_TRUE(s.checked("mnuFullScreen"));
    s.trigger("mnuFullScreen");
    EXPECT_FALSE(sub->isMaximized());
    EXPECT_FALSE(s.checked("mnuFullScreen"));
}

TEST(ViewModes, AWindowIsDraggedByItsSurface) {
    ZoomScene s;
    auto* sub = qobject_cast<QMdiSubWindow*>(s.w->parentWidget());
    sub->showNormal();
    sub->setGeometry(10, 10, 600, 500);
    const QPoint grab = s.w->mapFromGlobal(s.w->menuBar()->mapToGlobal(QPoint(s.w->menuBar()->width() - 5, 5)));
    QTest::mousePress(s.w, Qt::LeftButton, Qt::NoModifier, grab);
    QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(40, 25)),
                     QPointF(s.w->mapToGlobal(grab + QPoint(40, 25))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(s.w, &move);
    QTest::mouseRelease(s.w, Qt::LeftButton, Qt::NoModifier, grab + QPoint(40, 25));
    EXPECT_EQ(sub->pos(), QPoint(50, 35));
}

TEST(ViewModes, AResizeKeepsTheLayoutOfEveryMode) {
    ZoomScene s;
    auto* sub = qobject_cast<QMdiSubWindow*>(s.w->parentWidget());
    sub->showNormal();
    imaging::oleImgThumbnail& strip = s.w->oleImgThumbnail1();
    imaging::oleImgEdit& page = s.w->oleImgEdit1();
    const std::pair<const char*, ViewModes::Mode> modes[] = {{"mnuOnePage", ViewModes::OnePage},
                                                             {"mnuPageThumbnail", ViewModes::PageAndThumbnails},
                                                             {"mnuThumbnail", ViewModes::ThumbnailsOnly}};
    for (const auto& [entry, mode] : modes) {
        s.trigger(entry);
        for (const QSize size : {QSize(760, 560), QSize(500, 650)}) {
            sub->resize(size);
            QCoreApplication::processEvents();
            const int width = s.w->pageSplitter().width();
            EXPECT_EQ(strip.isVisible(), mode != ViewModes::OnePage) << entry;
            EXPECT_EQ(page.isVisible(), mode != ViewModes::ThumbnailsOnly) << entry;
            if (mode == ViewModes::OnePage) {
                EXPECT_EQ(page.width(), width) << entry;
            } else if (mode == ViewModes::PageAndThumbnails) {
                EXPECT_EQ(strip.width(), width / 7) << entry;
                EXPECT_EQ(page.x() + page.width(), width) << entry;
            } else {
                EXPECT_EQ(strip.width(), width) << entry;
            }
        }
    }
}

TEST(ViewModes, ANarrowWindowGivesTheZoomBarARowOfItsOwnSoNoControlIsHidden) {
    ZoomScene s;
    s.frame.resize(1700, 900);
    auto* sub = qobject_cast<QMdiSubWindow*>(s.w->parentWidget());
    sub->showNormal();
    const QToolBar* pageBar = s.w->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    const QToolBar* zoomBar = s.w->findChild<QToolBar*>(QStringLiteral("Toolbar3"));
    for (const int width : {1000, 1600, 1000}) {
        sub->resize(width, 700);
        QCoreApplication::processEvents();
        const bool ownRow = width < 1600;
        EXPECT_EQ(zoomBar->y() > pageBar->y(), ownRow) << width;
        for (const char* name : {"vor", "Command2", "gross", "Breit", "mag", "einzeln", "album"})
            EXPECT_TRUE(qobject_cast<QWidget*>(s.w->controls().find(QString::fromUtf8(name)))->isVisible())
                << name << " at " << width;
    }
}
