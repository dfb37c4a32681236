#include "FrameScene.h"
#include "Navigation.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMdiSubWindow>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QFile>
#include <QMdiArea>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::FrameScene;

namespace {

// A shown frame, so that the tab strip is laid out and can be clicked.
struct TabScene : FrameScene {
    TabScene() {
        frame.resize(1000, 700);
        frame.show();
        frame.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&frame));
    }
    DocumentTable& documents() { return frame.documents(); }
    QTabBar& tabs() { return frame.Tab1(); }

    void rightClickTab(int index) {
        QTest::mouseClick(&tabs(), Qt::RightButton, Qt::NoModifier, tabs().tabRect(index).center());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void newBook(int pageType) {
        frame.findChild<QAction*>(QStringLiteral("mnuNeu%1").arg(pageType))->trigger();
    }
    QString handOverFlag() { return ini.IniLesen(kHandOverSection, kHandOverKey, QStringLiteral("?")); }
};

}  // namespace

TEST(Tabs, ANewBookWhileTwoAreOpenIsTheThirdUntitledWindow) {
    TabScene scene;
    scene.open(scene.book(3, QStringLiteral("erstes.tif")));
    scene.open(scene.book(4, QStringLiteral("zweites.tif")));
    scene.prompter.answerFile(std::nullopt);  // the save dialog of the new book is cancelled
    scene.newBook(3);

    ASSERT_EQ(scene.documents().count(), 3);
    frmSample* window = scene.documents().Fenster(3);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Bestimmungstabelle 3: Ohne Namen"));
    EXPECT_EQ(scene.tabs().tabText(2), QStringLiteral("3: Ohne Namen"));
    EXPECT_EQ(scene.tabs().currentIndex(), 2);
    const DokumentEintrag& entry = scene.documents().Dokumente(3);
    EXPECT_EQ(entry.Name, QStringLiteral("Ohne Namen"));
    EXPECT_EQ(entry.Pfad, QStringLiteral("Ohne Namen"));
    EXPECT_EQ(entry.Kopie, 0);
    EXPECT_TRUE(entry.Erstellt.isValid());
    EXPECT_EQ(scene.documents().AktuellesDokument, 3);
    EXPECT_EQ(window->oleImgEdit1().PageType(), imaging::PageTypeGray8);
    EXPECT_EQ(window->oleImgEdit1().PageCount(), 1);
}

TEST(Tabs, RightClickingTheMiddleTabClosesThatBookAndRenumbersTheRest) {
    TabScene scene;
    const QString first = scene.book(3, QStringLiteral("erstes.tif"));
    const QString second = scene.book(3, QStringLiteral("zweites.tif"));
    scene.open(first);
    scene.open(second);
    scene.open(first);
    frmSample* third = scene.documents().Fenster(3);
    scene.ini.IniSchreiben(kHandOverSection, kHandOverKey, QStringLiteral("aktiv"));

    scene.rightClickTab(1);

    ASSERT_EQ(scene.documents().count(), 2);
    EXPECT_EQ(scene.documents().Fenster(2), third);
    EXPECT_EQ(third->Tag(), 2);
    EXPECT_EQ(scene.documents().Dokumente(2).Pfad, first);
    EXPECT_EQ(scene.documents().Dokumente(2).Kopie, 2);
    EXPECT_EQ(scene.tabs().count(), 2);
    EXPECT_EQ(scene.tabs().tabText(0), QStringLiteral("Erstes"));
    EXPECT_EQ(scene.tabs().tabText(1), QStringLiteral("Erstes"));
    EXPECT_TRUE(third->windowTitle().startsWith(QStringLiteral("Erstes.tif(2) - "))) << third->windowTitle().toStdString();
    EXPECT_TRUE(scene.documents().Fenster(1)->windowTitle().startsWith(QStringLiteral("Erstes.tif(1) - ")));
    EXPECT_EQ(scene.documents().AktuellesDokument, 2);
    EXPECT_EQ(scene.handOverFlag(), QString());
    EXPECT_EQ(scene.frame.mdiArea().subWindowList().size(), 2);
}

TEST(Tabs, CancellingTheSavePromptKeepsAChangedBookOpen) {
    TabScene scene;
    scene.open(scene.book(3));
    frmSample* changed = scene.open(scene.book(3, QStringLiteral("anderes.tif")));
    changed->oleImgEdit1().setImageModified(true);
    scene.prompter.answer(Prompter::Answer::Cancel);

    scene.rightClickTab(1);

    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].text, QStringLiteral("Sollen die Änderungen gespeichert werden?"));
    ASSERT_EQ(scene.documents().count(), 2);
    EXPECT_EQ(scene.documents().Fenster(2), changed);
    EXPECT_TRUE(changed->oleImgEdit1().ImageModified());
    EXPECT_EQ(scene.tabs().count(), 2);
}

TEST(Tabs, ClosingTheOnlyBookHidesTheTabStripAndTheNextBookIsEntryOne) {
    TabScene scene;
    scene.open(scene.book(2));
    scene.rightClickTab(0);
    EXPECT_EQ(scene.documents().count(), 0);
    EXPECT_EQ(scene.documents().AktuellesDokument, 0);
    EXPECT_FALSE(scene.tabs().isVisible());

    frmSample* next = scene.open(scene.book(2, QStringLiteral("naechstes.tif")));
    EXPECT_EQ(next->Tag(), 1);
    EXPECT_EQ(scene.documents().count(), 1);
    EXPECT_TRUE(scene.tabs().isVisible());
}

TEST(Tabs, ARunForANewScanAsksToDeleteTheScanFileAtEveryClose) {
    TabScene scene;
    const QString scan = scene.book(1, QStringLiteral("scan.tif"));
    scene.frame.setStartCommandLine(QStringLiteral("neu:") + scan);
    scene.open(scene.book(2));
    scene.open(scene.book(2, QStringLiteral("zweites.tif")));

    scene.prompter.answer(Prompter::Answer::No);
    scene.rightClickTab(1);
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].text, QStringLiteral("Datei ") + scan + QStringLiteral(" löschen ?"));
    EXPECT_EQ(scene.prompter.shown()[0].title, QStringLiteral("Scan-Programm beenden"));
    EXPECT_EQ(scene.prompter.shown()[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_TRUE(QFile::exists(scan));

    scene.prompter.answer(Prompter::Answer::Yes);
    scene.rightClickTab(0);
    EXPECT_EQ(scene.prompter.shown().size(), 2u);
    EXPECT_FALSE(QFile::exists(scan));
    EXPECT_EQ(scene.documents().count(), 0);
}

TEST(Tabs, ExitStopsWhenABookRefusesToClose) {
    TabScene scene;
    scene.open(scene.book(2));
    frmSample* changed = scene.open(scene.book(2, QStringLiteral("anderes.tif")));
    changed->oleImgEdit1().setImageModified(true);
    scene.prompter.answer(Prompter::Answer::Cancel);

    EXPECT_FALSE(scene.frame.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(scene.documents().count(), 1);
    EXPECT_EQ(scene.documents().Fenster(1), changed);
    EXPECT_TRUE(scene.frame.isVisible());
}

namespace {

QMdiSubWindow* subOf(frmSample* window) { return qobject_cast<QMdiSubWindow*>(window->parentWidget()); }

// The frame's menu bar and its menu titles, in order.
QStringList menuTitles(frmMDI& frame) {
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions()) titles << action->text();
    return titles;
}

}  // namespace

TEST(Tabs, TheShownBookIsTheActiveDocumentAndItsTabWhateverActivatesIt) {
    TabScene scene;
    frmSample* first = scene.open(scene.book(3, QStringLiteral("erstes.tif")));
    frmSample* second = scene.open(scene.book(5, QStringLiteral("zweites.tif")));
    ASSERT_EQ(scene.frame.mdiArea().activeSubWindow(), subOf(second));

    scene.frame.mdiArea().activatePreviousSubWindow();  // Ctrl+Shift+Tab
    EXPECT_EQ(scene.frame.mdiArea().activeSubWindow(), subOf(first));
    EXPECT_EQ(scene.documents().AktuellesDokument, 1);
    EXPECT_EQ(scene.tabs().currentIndex(), 0);

    scene.frame.mdiArea().setActiveSubWindow(subOf(second));  // a click into the window
    EXPECT_EQ(scene.documents().AktuellesDokument, 2);
    EXPECT_EQ(scene.tabs().currentIndex(), 1);
}

TEST(Tabs, ClosingAnotherBookByItsTabKeepsTheShownBookActive) {
    TabScene scene;
    scene.open(scene.book(3, QStringLiteral("erstes.tif")));
    frmSample* second = scene.open(scene.book(5, QStringLiteral("zweites.tif")));
    frmSample* third = scene.open(scene.book(4, QStringLiteral("drittes.tif")));
    scene.frame.mdiArea().setActiveSubWindow(subOf(second));
    second->GehZuSeite(QStringLiteral("4"));

    scene.rightClickTab(2);

    ASSERT_EQ(scene.documents().count(), 2);
    QMdiSubWindow* shown = scene.frame.mdiArea().activeSubWindow();
    ASSERT_NE(shown, nullptr);
    frmSample* active = scene.documents().activeWindow();
    EXPECT_EQ(subOf(active), shown);
    EXPECT_EQ(scene.tabs().currentIndex(), scene.documents().AktuellesDokument - 1);
    EXPECT_NE(active, third);

    // The go-to dialog reads the shown book.
    scene.frame.mdiArea().setActiveSubWindow(subOf(second));
    scene.prompter.onDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("txtPageNo"))->text(), QStringLiteral("4"));
        return int(QDialog::Rejected);
    });
    second->navigation().goTo();
    EXPECT_EQ(second->oleImgEdit1().Page(), 4);
}

TEST(Tabs, TheActiveBooksMenusReplaceTheFramesInTheOneMenuBar) {
    TabScene scene;
    const QStringList frameMenus = menuTitles(scene.frame);
    EXPECT_EQ(frameMenus, QStringList{QStringLiteral("&Datei")});

    frmSample* first = scene.open(scene.book(3, QStringLiteral("erstes.tif")));
    frmSample* second = scene.open(scene.book(3, QStringLiteral("zweites.tif")));
    for (frmSample* w : {first, second}) EXPECT_FALSE(w->menuBar()->isVisible());
    EXPECT_EQ(scene.frame.menuBar()->actions(), second->menuBar()->actions());
    EXPECT_EQ(menuTitles(scene.frame).count(QStringLiteral("&Datei")), 1);

    scene.frame.mdiArea().setActiveSubWindow(subOf(first));
    EXPECT_EQ(scene.frame.menuBar()->actions(), first->menuBar()->actions());

    // Ctrl+O opens one dialog, not an ambiguous key.
    first->oleImgEdit1().setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].kind, QStringLiteral("open"));

    scene.rightClickTab(1);
    scene.rightClickTab(0);
    EXPECT_EQ(menuTitles(scene.frame), frameMenus);
    scene.prompter.clear();
    QTest::keyClick(&scene.frame, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].kind, QStringLiteral("open"));
}

TEST(Tabs, ACloseCancelledByItsTabLeavesTheShownBooksTabCurrent) {
    TabScene scene;
    frmSample* first = scene.open(scene.book(3, QStringLiteral("erstes.tif")));
    scene.open(scene.book(3, QStringLiteral("zweites.tif")));
    first->oleImgEdit1().setImageModified(true);
    scene.prompter.answer(Prompter::Answer::Cancel);

    scene.rightClickTab(0);

    ASSERT_EQ(scene.documents().count(), 2);
    EXPECT_EQ(scene.documents().AktuellesDokument, 2);
    EXPECT_EQ(scene.tabs().currentIndex(), 1);
}

namespace {

// The actions a key can reach in the frame: those of its menu bar, with
// their sub-menus, and those of every visible widget outside the books not
// shown, whose keys work only while they are active.
void collectReachable(const QList<QAction*>& actions, QSet<QAction*>* reachable) {
    for (QAction* action : actions) {
        if (reachable->contains(action)) continue;
        reachable->insert(action);
        if (action->menu()) collectReachable(action->menu()->actions(), reachable);
    }
}

// The sub-window of the book a widget lies in, if any.
QMdiSubWindow* bookWindowOf(QWidget* widget) {
    for (; widget; widget = widget->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(widget)) return sub;
    return nullptr;
}

}  // namespace

TEST(Tabs, EveryShortcutOfTheShownBookBelongsToOneAction) {
    TabScene scene;
    scene.open(scene.book(3, QStringLiteral("erstes.tif")));
    scene.open(scene.book(3, QStringLiteral("zweites.tif")));
    const QMdiSubWindow* shown = scene.frame.mdiArea().activeSubWindow();
    QSet<QAction*> reachable;
    collectReachable(scene.frame.menuBar()->actions(), &reachable);
    for (QWidget* widget : scene.frame.findChildren<QWidget*>()) {
        const QMdiSubWindow* book = bookWindowOf(widget);
        if (widget->isVisible() && !qobject_cast<QMenu*>(widget) && (!book || book == shown))
            collectReachable(widget->actions(), &reachable);
    }
    QMap<QKeySequence, QStringList> owners;
    for (QAction* action : reachable)
        for (const QKeySequence& key : action->shortcuts()) owners[key] << action->objectName();
    ASSERT_FALSE(owners.isEmpty());
    for (auto it = owners.cbegin(); it != owners.cend(); ++it)
        EXPECT_EQ(it.value().size(), 1) << it.key().toString().toStdString() << ": "
                                        << it.value().join(QLatin1Char(' ')).toStdString();
}
