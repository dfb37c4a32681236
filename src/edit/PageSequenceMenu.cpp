#include "PageSequenceMenu.h"

#include "DeletedPage.h"
#include "MenuEntries.h"
#include "PageMoveCommands.h"
#include "PageSequenceCommands.h"
#include "frmSample.h"

#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace palvenor {

namespace {

// A submenu whose title carries the group's name, so that the group is
// enabled and disabled as one.
void addGroup(frmSample& window, QMenu& parent, const char* name, const char* caption,
              std::initializer_list<Entry> entries) {
    QMenu* group = parent.addMenu(QString::fromUtf8(caption));
    group->setObjectName(QString::fromUtf8(name));
    group->menuAction()->setObjectName(QString::fromUtf8(name));
    window.controls().add(group->menuAction());
    for (const Entry& entry : entries) addEntry(window, *group, entry);
}

template <void (PageSequenceCommands::*command)()>
void adding(frmSample& window) {
    (PageSequenceCommands(window).*command)();
}

template <void (PageMoveCommands::*command)()>
void removing(frmSample& window) {
    (PageMoveCommands(window).*command)();
}

// The button goes beside the save button, where the bar starts.
void addClipboardButton(frmSample& window) {
    QToolBar* bar = window.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    if (!bar) return;
    auto* button = new QToolButton;
    button->setObjectName(QStringLiteral("Command1"));
    button->setText(QStringLiteral("Anfügen"));
    button->setToolTip(QStringLiteral("Seiten aus Zwischenablage anfügen"));
    QObject::connect(button, &QToolButton::clicked, &window,
                     [&window] { PageSequenceCommands(window).mnuAppendClip_Click(); });
    window.controls().add(button);
    const QList<QAction*> items = bar->actions();
    const auto save = std::find_if(items.begin(), items.end(), [bar](QAction* item) {
        const QWidget* widget = bar->widgetForAction(item);
        return widget && widget->objectName() == QStringLiteral("speichern");
    });
    bar->insertWidget(save != items.end() && save + 1 != items.end() ? *(save + 1) : nullptr, button);
}

}  // namespace

void installPageSequenceCommands(frmSample& window) {
    QMenu* page = window.findChild<QMenu*>(QStringLiteral("mnuPage"));
    if (!page) return;
    page->addSeparator();
    addGroup(window, *page, "mnuInsert", "&Einfügen...",
             {{"mnuInsertTwain", "&Twain-Schnittstelle", adding<&PageSequenceCommands::mnuInsertTwain_Click>},
              {"mnuInsertFile", "aus &Datei", adding<&PageSequenceCommands::mnuInsertFile_Click>},
              {"mnuInsertClip", "aus &Zwischenablage", adding<&PageSequenceCommands::mnuInsertClip_Click>},
              {"mnuInsertLeer", "&Leerseite", adding<&PageSequenceCommands::mnuInsertLeer_Click>}});
    addGroup(window, *page, "mnuAppend", "&Anfügen...",
             {{"mnuAppendTwain", "&Twain-Schnittstelle", adding<&PageSequenceCommands::mnuAppendTwain_Click>},
              {"mnuAppendFile", "aus &Datei", adding<&PageSequenceCommands::mnuAppendFile_Click>},
              {"mnuAppendClip", "aus &Zwischenablage", adding<&PageSequenceCommands::mnuAppendClip_Click>}});
    addGroup(window, *page, "mnuRescan", "&Seite neu einlesen",
             {{"mnuRescanTwain", "&Twain-Schnittstelle", adding<&PageSequenceCommands::mnuRescanTwain_Click>},
              {"mnuRescanFile", "&aus &Datei", adding<&PageSequenceCommands::mnuRescanFile_Click>},
              {"mnuRescanClip", "aus &Zwischenablage", adding<&PageSequenceCommands::mnuRescanClip_Click>}});
    page->addSeparator();
    addEntry(window, *page, {"mnuDeletePage", "Seite l&öschen", removing<&PageMoveCommands::mnuDeletePage_Click>});
    QAction* restore = addEntry(window, *page, {"mnuRestorePage", "Gelöschte Seite wiederherstellen",
                                                removing<&PageMoveCommands::mnuRestorePage_Click>});
    restore->setEnabled(false);
    QObject::connect(&PageMoveCommands::deletedPageOf(window), &DeletedPage::keptChanged, restore,
                     &QAction::setEnabled);
    addGroup(window, *page, "mnuVersatz", "&Versetzen",
             {{"mnuVersatzAnfang", "&Anfang", removing<&PageMoveCommands::mnuVersatzAnfang_Click>},
              {"mnuVersatzEnde", "&Ende", removing<&PageMoveCommands::mnuVersatzEnde_Click>},
              {"mnuVersatzSeite", "&Seite...", removing<&PageMoveCommands::mnuVersatzSeite_Click>}});
    addClipboardButton(window);
    // Like the window's other document commands, they wait for a shown book.
    constexpr const char* waiting[] = {"mnuInsert", "mnuAppend", "mnuRescan", "mnuDeletePage", "mnuVersatz", "Command1"};
    window.controls().setAllEnabled(waiting, false);
}

}  // namespace palvenor
