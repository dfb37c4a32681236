#include "PageScene.h"

#include "DocumentCommands.h"

#include <QMenu>

using namespace palvenor;
using namespace palvenor::test;

namespace {

// The entries of a menu as "name caption", submenus indented below their title.
QStringList entriesOf(const QMenu& menu, const QString& indent = QString()) {
    QStringList entries;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) continue;
        entries << indent + action->objectName() + QLatin1Char(' ') + action->text();
        if (action->menu()) entries << entriesOf(*action->menu(), indent + QStringLiteral("  "));
    }
    return entries;
}

}  // namespace

TEST(PageMenu, HoldsThePageSequenceCommandsWithTheirCaptions) {
    PageScene scene(2);
    const QMenu* page = scene.w->findChild<QMenu*>(QStringLiteral("mnuPage"));
    ASSERT_NE(page, nullptr);
    const QStringList entries = entriesOf(*page);
    const QStringList added = entries.mid(entries.indexOf(QStringLiteral("mnuInsert &Einfügen...")));
    EXPECT_EQ(added, QStringList({
                         QStringLiteral("mnuInsert &Einfügen..."),
                         QStringLiteral("  mnuInsertTwain &Twain-Schnittstelle"),
                         QStringLiteral("  mnuInsertFile aus &Datei"),
                         QStringLiteral("  mnuInsertClip aus &Zwischenablage"),
                         QStringLiteral("  mnuInsertLeer &Leerseite"),
                         QStringLiteral("mnuAppend &Anfügen..."),
                         QStringLiteral("  mnuAppendTwain &Twain-Schnittstelle"),
                         QStringLiteral("  mnuAppendFile aus &Datei"),
                         QStringLiteral("  mnuAppendClip aus &Zwischenablage"),
                         QStringLiteral("mnuRescan &Seite neu einlesen"),
                         QStringLiteral("  mnuRescanTwain &Twain-Schnittstelle"),
                         QStringLiteral("  mnuRescanFile &aus &Datei"),
                         QStringLiteral("  mnuRescanClip aus &Zwischenablage"),
                         QStringLiteral("mnuDeletePage Seite l&öschen"),
                         QStringLiteral("mnuRestorePage Gelöschte Seite wiederherstellen"),
                         QStringLiteral("mnuVersatz &Versetzen"),
                         QStringLiteral("  mnuVersatzAnfang &Anfang"),
                         QStringLiteral("  mnuVersatzEnde &Ende"),
                         QStringLiteral("  mnuVersatzSeite &Seite..."),
                     }));
}

TEST(PageMenu, TheCommandsWaitForAShownBook) {
    FrameScene scene;
    frmSample* empty = new frmSample(scene.frame.documents(), scene.prompter, scene.frame);
    attachDocumentCommands(*empty, scene.frame.ocr());
    for (const char* name : {"mnuInsert", "mnuAppend", "mnuRescan", "mnuDeletePage", "mnuVersatz", "Command1",
                             "mnuRestorePage"})
        EXPECT_FALSE(empty->controls().isEnabled(QString::fromUtf8(name))) << name;
    delete empty;
    PageScene shown(1);
    for (const char* name : {"mnuInsert", "mnuAppend", "mnuRescan", "mnuDeletePage", "mnuVersatz", "Command1"})
        EXPECT_TRUE(shown.w->controls().isEnabled(QString::fromUtf8(name))) << name;
}
