#include "FrameScene.h"
#include "Navigation.h"
#include "ViewModes.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::FrameScene;

namespace {

// A shown and active frame, so that focus and window states are real.
struct ShownScene : FrameScene {
    ShownScene() {
        frame.resize(1100, 800);
        frame.show();
        frame.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&frame));
    }
    static bool enabled(frmSample& w, const char* name) {
        return w.controls().isEnabled(QString::fromUtf8(name));
    }
    static bool checked(frmSample& w, const char* name) {
        return w.controls().isChecked(QString::fromUtf8(name));
    }
    static QAction* action(frmSample& w, const char* name) {
        return w.findChild<QAction*>(QString::fromUtf8(name));
    }
    // Which of the two page arrows can be clicked, as "◀▶", "◀", "▶" or "".
    static std::string arrows(frmSample& w) {
        return std::string(enabled(w, "rueck") ? "◀" : "") + (enabled(w, "vor") ? "▶" : "");
    }
};

const char* const kMenuTitles[] = {"mnuPage", "mnuZoom", "mnuView", "mnuAnnotation"};

}  // namespace

TEST(BookWindow, TheMenuTitlesFollowWhetherAPageIsShown) {
    ShownScene s;
    frmSample empty(s.frame.documents(), s.prompter, s.frame);
    for (const char* name : kMenuTitles) {
        auto* menu = empty.findChild<QMenu*>(QString::fromUtf8(name));
        ASSERT_NE(menu, nullptr) << name;
        EXPECT_FALSE(menu->menuAction()->isEnabled()) << name;
    }
    frmSample* w = s.open(s.book(3));
    for (const char* name : kMenuTitles)
        EXPECT_TRUE(w->findChild<QMenu*>(QString::fromUtf8(name))->menuAction()->isEnabled()) << name;
}

TEST(BookWindow, SchliessenClosesOnlyThisBookWithControlW) {
    ShownScene s;
    s.open(s.book(3, QStringLiteral("erstes.tif")));
    frmSample* second = s.open(s.book(3, QStringLiteral("zweites.tif")));
    QAction* quit = ShownScene::action(*second, "mnuQuit");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->text(), QStringLiteral("&Schließen"));
    EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    EXPECT_TRUE(second->findChild<QMenu*>(QStringLiteral("mnuFile"))->actions().contains(quit));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(s.frame.documents().count(), 1);
    EXPECT_EQ(s.frame.documents().Dokumente(1).Name, QStringLiteral("erstes.tif"));
    EXPECT_TRUE(s.frame.isVisible());
}

TEST(BookWindow, TheOpenedBookTakesTheKeysAtOnce) {
    ShownScene s;
    frmSample* w = s.open(s.book(5));
    EXPECT_TRUE(w->oleImgEdit1().hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(w->oleImgEdit1().Page(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    EXPECT_EQ(w->oleImgEdit1().Page(), 5);
}

TEST(BookWindow, BackRightAfterLoadingStaysOnTheShownPage) {
    ShownScene s;
    frmSample* w = s.open(s.book(5) + QStringLiteral("/3"));
    w->navigation().back();
    EXPECT_EQ(w->oleImgEdit1().Page(), 3);
    EXPECT_EQ(w->pages().seite(), QStringLiteral("3"));
    EXPECT_TRUE(s.prompter.shown().empty()) << s.prompter.texts().join('|').toStdString();
}

TEST(BookWindow, TheFullScreenMarkShowsTheWindowsRealState) {
    ShownScene s;
    frmSample* w = s.open(s.book(3));
    auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    ASSERT_TRUE(sub->isMaximized());
    EXPECT_TRUE(ShownScene::checked(*w, "mnuFullScreen"));
    ShownScene::action(*w, "mnuFullScreen")->trigger();
    EXPECT_FALSE(sub->isMaximized());
    EXPECT_FALSE(ShownScene::checked(*w, "mnuFullScreen"));
}

TEST(BookWindow, SwitchingSingleAndDoublePagesMarksTheFitItUses) {
    ShownScene s;
    frmSample* w = s.open(s.book(5));
    w->findChild<QRadioButton*>(QStringLiteral("Doppel"))->click();
    EXPECT_TRUE(ShownScene::checked(*w, "Breit"));
    EXPECT_TRUE(ShownScene::checked(*w, "mnuFitWidth"));
    for (const char* other : {"Voll", "Hoch", "mnuBestFit", "mnuFitHeight"})
        EXPECT_FALSE(ShownScene::checked(*w, other)) << other;
    w->findChild<QRadioButton*>(QStringLiteral("einzel"))->click();
    EXPECT_TRUE(ShownScene::checked(*w, "Hoch"));
    EXPECT_TRUE(ShownScene::checked(*w, "mnuFitHeight"));
    for (const char* other : {"Voll", "Breit", "mnuBestFit", "mnuFitWidth"})
        EXPECT_FALSE(ShownScene::checked(*w, other)) << other;
}

TEST(BookWindow, ThePageArrowsFollowEveryPageChange) {
    ShownScene s;
    frmSample* w = s.open(s.book(30));
    EXPECT_EQ(ShownScene::arrows(*w), "▶");
    w->navigation().lastPage();
    EXPECT_EQ(ShownScene::arrows(*w), "◀");
    w->navigation().enterInSeite(QStringLiteral("28"));
    EXPECT_EQ(ShownScene::arrows(*w), "◀▶");
    w->navigation().firstPage();
    EXPECT_EQ(ShownScene::arrows(*w), "▶");
    w->GehZuSeite(QStringLiteral("30"));
    EXPECT_EQ(ShownScene::arrows(*w), "◀");
    ViewModes(*w).thumbnailClicked(1);
    EXPECT_EQ(ShownScene::arrows(*w), "▶");
    w->navigation().back();  // to 28, where First was chosen
    EXPECT_EQ(ShownScene::arrows(*w), "◀▶");
    w->navigation().nextPage();
    w->navigation().nextPage();
    EXPECT_EQ(ShownScene::arrows(*w), "◀");
    w->navigation().previousPage();
    EXPECT_EQ(ShownScene::arrows(*w), "◀▶");
    s.prompter.onDialog([](QDialog& dialog) {
        dialog.show();
        dialog.findChild<QLineEdit*>(QStringLiteral("txtPageNo"))->setText(QStringLiteral("30"));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdOKbutton"))->click();
        return dialog.result();
    });
    w->navigation().goTo();
    ASSERT_EQ(w->oleImgEdit1().Page(), 30);
    EXPECT_EQ(ShownScene::arrows(*w), "◀");
}

TEST(BookWindow, AOnePageBookHasNoPageArrows) {
    ShownScene s;
    frmSample* w = s.open(s.book(1));
    EXPECT_EQ(ShownScene::arrows(*w), "");
}
