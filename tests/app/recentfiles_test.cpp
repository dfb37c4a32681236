#include "FrameScene.h"
#include "RecentFiles.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

#include <gtest/gtest.h>

// Failure messages show texts as text.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace palvenor;
using palvenor::test::FrameScene;
using palvenor::test::writeFile;

namespace {

const QString kSection = QStringLiteral("Recent Files");

// The section as the store holds it: "key=value" for every key.
QStringList stored(const QString& store) {
    QSettings settings(store, QSettings::IniFormat);
    settings.beginGroup(kSection);
    QStringList entries;
    for (const QString& key : settings.childKeys())
        entries << key + QLatin1Char('=') + settings.value(key).toString();
    return entries;
}

// The stored list an earlier run left: entry i under "RecentFile" + i.
void storeList(const QString& store, const QStringList& paths) {
    QSettings settings(store, QSettings::IniFormat);
    settings.beginGroup(kSection);
    for (qsizetype i = 0; i < paths.size(); ++i)
        settings.setValue(QStringLiteral("RecentFile%1").arg(i + 1), paths[i]);
}

QStringList numbered(const QStringList& paths) {
    QStringList entries;
    for (qsizetype i = 0; i < paths.size(); ++i)
        entries << QStringLiteral("RecentFile%1=").arg(i + 1) + paths[i];
    return entries;
}

QAction* item(QWidget& window, int i) {
    return window.findChild<QAction*>(QStringLiteral("mnuRecentFile%1").arg(i));
}

// The captions of the visible recent file items, in menu order.
QStringList shownItems(QWidget& window) {
    QStringList captions;
    for (int i = 0; i < kRecentFileCount; ++i)
        if (item(window, i)->isVisible()) captions << item(window, i)->text();
    return captions;
}

QStringList captions(const QStringList& paths) {
    QStringList result;
    for (qsizetype i = 0; i < paths.size(); ++i)
        result << QStringLiteral("&%1   ").arg(i + 1) + paths[i];
    return result;
}

// The object names of the file menu's entries and submenus; "-" for a separator.
QStringList fileMenu(QMainWindow& window) {
    QStringList names;
    const QMenu* file = window.menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"));
    for (QAction* action : file->actions())
        names << (action->isSeparator() ? QStringLiteral("-")
                  : action->menu()    ? action->menu()->objectName()
                                      : action->objectName());
    return names;
}

}  // namespace

TEST(RecentFiles, ABookMovesToTheTopAndTheEntriesAboveItsOldPlaceMoveDown) {
    struct Case {
        QStringList before;
        QString added;
        QStringList after;
    };
    const QStringList five = {QStringLiteral("/b/A.tif"), QStringLiteral("/b/B.tif"),
                              QStringLiteral("/b/C.tif"), QStringLiteral("/b/D.tif"),
                              QStringLiteral("/b/E.tif")};
    const QString c = five[2];
    const QString f = QStringLiteral("/b/F.tif");
    const Case cases[] = {
        {five, c, {c, five[0], five[1], five[3], five[4]}},
        {five, f, {f, five[0], five[1], five[2], five[3]}},
        {five, five[0], five},
        {five, five[4], {five[4], five[0], five[1], five[2], five[3]}},
        {{}, f, {f}},
        {{five[0], five[1]}, f, {f, five[0], five[1]}},
        {{five[0], five[1]}, five[1], {five[1], five[0]}},
        {{QStringLiteral("/b/a.tif")}, five[0], {five[0], QStringLiteral("/b/a.tif")}},
        {{QString(), five[1]}, f, {f, five[1], five[1]}},
    };
    for (const Case& cs : cases) {
        QTemporaryDir dir;
        const QString store = dir.filePath(QStringLiteral("Palvenor.conf"));
        storeList(store, cs.before);
        RecentFiles(store).add(cs.added);
        EXPECT_EQ(stored(store), numbered(cs.after))
            << cs.before.join(',').toStdString() << " + " << cs.added.toStdString();
    }
}

TEST(RecentFileMenus, SitInTheFileMenusOfTheFrameAndTheWindows) {
    FrameScene scene;
    frmSample* window = scene.open(scene.book(2));
    const QStringList items = {QStringLiteral("mnuRecentFile0"), QStringLiteral("mnuRecentFile1"),
                               QStringLiteral("mnuRecentFile2"), QStringLiteral("mnuRecentFile3"),
                               QStringLiteral("mnuRecentFile4")};
    const QStringList frameMenu = QStringList{QStringLiteral("mnuOpen"), QStringLiteral("mnuNeu"),
                                              QStringLiteral("mnuErfassen")} +
                                  items +
                                  QStringList{QStringLiteral("-"), QStringLiteral("mnuExit")};
    EXPECT_EQ(fileMenu(scene.frame), frameMenu);
    const QStringList windowMenu = fileMenu(*window);
    const qsizetype saveAs = windowMenu.indexOf(QStringLiteral("mnuSaveAs"));
    ASSERT_GE(saveAs, 0);
    EXPECT_EQ(windowMenu.mid(saveAs + 1, 7),
              items + QStringList({QStringLiteral("-"), QStringLiteral("mnuAktuell")}));
}

TEST(RecentFileMenus, TheFrameShowsTheStoredListAtStartUpWhileItsFirstEntryIsSet) {
    const QStringList two = {QStringLiteral("/b/A.tif"), QStringLiteral("/b/B.tif")};
    const std::pair<QStringList, QStringList> cases[] = {
        {two, captions(two)},
        {{QString(), QStringLiteral("/b/B.tif")}, {}},
    };
    for (const auto& [list, shown] : cases) {
        QTemporaryDir dir;
        test::ScriptedPrompter prompter;
        IniFile ini{dir.filePath(QStringLiteral("Palvenor.ini"))};
        const QString store = dir.filePath(QStringLiteral("Palvenor.conf"));
        storeList(store, list);
        RecentFiles recentFiles{store};
        frmMDI frame{prompter, ini, recentFiles};
        EXPECT_EQ(shownItems(frame), shown) << list.join(',').toStdString();
    }
}

TEST(RecentFileMenus, AnOpenedBookComesFirstInTheFrameAndInEveryWindow) {
    FrameScene scene;
    const QString first = scene.book(2, QStringLiteral("erstes.tif"));
    frmSample* window1 = scene.open(first);
    EXPECT_EQ(stored(scene.recentStore), numbered({first}));
    EXPECT_EQ(shownItems(scene.frame), QStringList{QStringLiteral("&1   ") + first});
    EXPECT_EQ(shownItems(*window1), QStringList{QStringLiteral("&1   ") + first});

    const QString second = scene.book(3, QStringLiteral("zweites.tif"));
    frmSample* window2 = scene.open(second);
    EXPECT_EQ(stored(scene.recentStore), numbered({second, first}));
    for (QWidget* window : std::initializer_list<QWidget*>{&scene.frame, window1, window2})
        EXPECT_EQ(shownItems(*window), captions({second, first}))
            << window->objectName().toStdString();
}

TEST(RecentFileMenus, ChoosingAnItemOpensItsBookInANewWindow) {
    FrameScene scene;
    const QString older = scene.book(2, QStringLiteral("alte ausgabe.tif"));
    const QString newer = scene.book(3, QStringLiteral("neu.tif"));
    scene.open(older);
    frmSample* window = scene.open(newer);

    item(*window, 1)->trigger();
    DocumentTable& documents = scene.frame.documents();
    ASSERT_EQ(documents.count(), 3);
    EXPECT_EQ(documents.Fenster(3)->oleImgEdit1().Image(), older);
    EXPECT_EQ(documents.Fenster(3)->windowTitle(), QStringLiteral("Palvenor - alte ausgabe.tif"));
    EXPECT_EQ(stored(scene.recentStore), numbered({older, newer}));
    EXPECT_EQ(shownItems(*documents.Fenster(3)), captions({older, newer}));
    EXPECT_TRUE(scene.frame.Kommandozeile.isEmpty());

    item(scene.frame, 1)->trigger();
    ASSERT_EQ(documents.count(), 4);
    EXPECT_EQ(documents.Fenster(4)->oleImgEdit1().Image(), newer);
    EXPECT_EQ(stored(scene.recentStore), numbered({newer, older}));
}

TEST(RecentFileMenus, OnlyASuccessfulSaveEntersTheSavedName) {
    FrameScene scene;
    const QString first = scene.book(2, QStringLiteral("erstes.tif"));
    const QString second = scene.book(2, QStringLiteral("zweites.tif"));
    frmSample* window = scene.open(first);
    scene.open(second);

    window->runSaveCommand();
    EXPECT_EQ(stored(scene.recentStore), numbered({first, second}));

    scene.prompter.answerFile(scene.dir.filePath(QStringLiteral("fehlt/kopie.tif")), 1);
    window->runSaveAsCommand();
    ASSERT_EQ(scene.prompter.shown().back().kind, QStringLiteral("message"));
    EXPECT_EQ(stored(scene.recentStore), numbered({first, second}));

    const QString copy = scene.dir.filePath(QStringLiteral("kopie.tif"));
    scene.prompter.answerFile(copy, 1);
    window->runSaveAsCommand();
    EXPECT_EQ(stored(scene.recentStore), numbered({copy, first, second}));
    EXPECT_EQ(shownItems(scene.frame), captions({copy, first, second}));
}

TEST(RecentFileMenus, ABookThatFailsToLoadIsNotEntered) {
    FrameScene scene;
    const QString broken =
        writeFile(scene.dir.path(), QStringLiteral("kaputt.tif"), QByteArray("kein TIFF"));
    frmSample* window = scene.open(broken);
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_TRUE(stored(scene.recentStore).isEmpty());
    EXPECT_TRUE(shownItems(scene.frame).isEmpty());
    EXPECT_TRUE(shownItems(*window).isEmpty());

    const QString book = scene.book(2);
    scene.open(book);
    frmSample* failed = scene.open(broken);
    ASSERT_EQ(scene.prompter.shown().size(), 2u);
    EXPECT_EQ(stored(scene.recentStore), numbered({book}));
    EXPECT_EQ(shownItems(scene.frame), captions({book}));
    EXPECT_EQ(shownItems(*failed), captions({book}));
}

TEST(RecentFileMenus, AnEntryWhoseBookIsGoneSaysSoAndKeepsTheList) {
    FrameScene scene;
    const QString kept = scene.book(2, QStringLiteral("bleibt.tif"));
    const QString gone = scene.dir.filePath(QStringLiteral("weg.tif"));
    storeList(scene.recentStore, {gone, kept});
    scene.frame.ZuletztMenue();

    scene.prompter.answerFile(std::nullopt);  // the open dialog that follows is cancelled
    item(scene.frame, 0)->trigger();
    ASSERT_GE(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].text,
              QStringLiteral("Die Datei ") + gone + QStringLiteral(" wurde nicht gefunden."));
    EXPECT_EQ(stored(scene.recentStore), numbered({gone, kept}));
    EXPECT_EQ(shownItems(scene.frame), captions({gone, kept}));
}
