#include "PageTransformMenu.h"

#include "EditCommands.h"
#include "MenuEntries.h"
#include "PageTransformCommands.h"
#include "PrintCommands.h"
#include "frmSample.h"

#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace palvenor {

namespace {

template <void (PageTransformCommands::*command)()>
void transforming(frmSample& window) {
    (PageTransformCommands(window).*command)();
}

template <void (EditCommands::*command)()>
void editing(frmSample& window) {
    (EditCommands(window).*command)();
}

template <void (PrintCommands::*command)()>
void printing(frmSample& window) {
    (PrintCommands(window).*command)();
}

void notAvailable(frmSample& window) { EditCommands(window).notAvailable(); }

QMenu* namedMenu(frmSample& window, const char* name, const char* caption) {
    auto* menu = new QMenu(QString::fromUtf8(caption), &window);
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    window.controls().add(menu->menuAction());
    return menu;
}

void addEntries(frmSample& window, QMenu& menu, std::initializer_list<Entry> entries) {
    for (const Entry& entry : entries) addEntry(window, menu, entry);
}

void buildNewMenu(frmSample& window, QMenu& file) {
    static const char* const kPageTypes[] = {"Schwarz-Weiß", "Grau 4",  "Grau 8", "Palette 4",
                                             "Palette 8",    "RGB 24", "BGR 24"};
    QMenu* neu = namedMenu(window, "mnuNeu", "&Neu");
    for (int k = 1; k <= 7; ++k) {
        const QByteArray name = "mnuNeu" + QByteArray::number(k);
        addEntry(window, *neu, {name.constData(), kPageTypes[k - 1], [k](frmSample& w) { EditCommands(w).mnuNeu_Click(k); }});
    }
    file.insertMenu(file.actions().value(0), neu);
}

void buildFileEntries(frmSample& window) {
    QMenu* file = window.findChild<QMenu*>(QStringLiteral("mnuFile"));
    if (!file) return;
    buildNewMenu(window, *file);
    QAction* quit = window.findChild<QAction*>(QStringLiteral("mnuQuit"));
    for (const Entry& entry : {Entry{"mnuPrint", "&Drucken...", printing<&PrintCommands::mnuPrint_Click>},
                               Entry{"mnuPrintPage", "Seite &Drucken", printing<&PrintCommands::mnuPrintPage_Click>},
                               Entry{"mnuSend", "&Senden...", notAvailable}}) {
        QAction* action = addEntry(window, *file, entry);
        file->removeAction(action);
        file->insertAction(quit, action);
    }
    file->insertSeparator(quit);
}

void buildEditMenu(frmSample& window) {
    QMenu* edit = namedMenu(window, "mnuEdit", "&Bearbeiten");
    addEntries(window, *edit, {{"mnuUndo", "Rückgängig", editing<&EditCommands::mnuUndo_Click>}});
    edit->addSeparator();
    addEntries(window, *edit,
               {{"mnuCut", "&Ausschneiden", editing<&EditCommands::mnuCut_Click>},
                {"mnuCopy", "&Kopieren", editing<&EditCommands::mnuCopy_Click>},
                {"mnuPaste", "&Einfügen", editing<&EditCommands::mnuPaste_Click>},
                {"mnuCopyPage", "&Seite kopieren", notAvailable}});
    edit->addSeparator();
    addEntries(window, *edit,
               {{"mnuLeft", "&Links drehen 90°", transforming<&PageTransformCommands::mnuLeft_Click>},
                {"mnuright", "&Rechts drehen 90°", transforming<&PageTransformCommands::mnuright_Click>},
                {"mnuFlip", "&Um 180° drehen", transforming<&PageTransformCommands::mnuFlip_Click>},
                {"mnuLeftAll", "alle links &drehen", transforming<&PageTransformCommands::mnuLeftAll_Click>},
                {"mnuRightAll", "&alle rechts drehen", transforming<&PageTransformCommands::mnuRightAll_Click>}});
    edit->addSeparator();
    addEntries(window, *edit,
               {{"mnuInvert", "&Invertieren", transforming<&PageTransformCommands::mnuInvert_Click>},
                {"mnuInvertAll", "alle In&vertieren", transforming<&PageTransformCommands::mnuInvertAll_Click>},
                {"mnuTrimPage", "&Beschneiden", transforming<&PageTransformCommands::mnuTrimPage_Click>},
                {"mnuTrimPage180", "Beschneiden &+ 180° drehen",
                 transforming<&PageTransformCommands::mnuTrimPage180_Click>},
                {"mnuMaxComp", "&Max. Kompression (S/W)", transforming<&PageTransformCommands::mnuMaxComp_Click>}});
    edit->addSeparator();
    addEntries(window, *edit,
               {{"mnuDrag", "&Ziehen", notAvailable},
                {"mnuSelect", "Aus&wählen", notAvailable},
                {"mnuOptions", "Optionen...", notAvailable}});
    QMenu* page = window.findChild<QMenu*>(QStringLiteral("mnuPage"));
    window.menuBar()->insertMenu(page ? page->menuAction() : nullptr, edit);
}

void buildViewEntries(frmSample& window) {
    QMenu* view = window.findChild<QMenu*>(QStringLiteral("mnuView"));
    if (!view) return;
    view->addSeparator();
    // Its check mark is set by the command alone, not by choosing the entry.
    QAction* grey = view->addAction(QStringLiteral("&Graubild"));
    grey->setObjectName(QStringLiteral("mnuScaleToGray"));
    grey->setCheckable(true);
    QObject::connect(grey, &QAction::triggered, &window, [&window, grey](bool checked) {
        grey->setChecked(!checked);
        PageTransformCommands(window).mnuScaleToGray_Click();
    });
    window.controls().add(grey);
    addEntry(window, *view, {"mnuToolbar", "&Werkzeugleiste", notAvailable});
}

// The buttons go before the page arrows.
void buildButtons(frmSample& window) {
    QToolBar* bar = window.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    if (!bar) return;
    QAction* before = nullptr;
    for (QAction* item : bar->actions())
        if (QWidget* widget = bar->widgetForAction(item); widget && widget->objectName() == QStringLiteral("rueck"))
            before = item;
    const auto addButton = [&](const char* name, const char* text, const char* tip, void (*run)(frmSample&)) {
        auto* button = new QToolButton;
        button->setObjectName(QString::fromUtf8(name));
        button->setText(QString::fromUtf8(text));
        button->setToolTip(QString::fromUtf8(tip));
        QObject::connect(button, &QToolButton::clicked, &window, [&window, run] { run(window); });
        window.controls().add(button);
        bar->insertWidget(before, button);
    };
    addButton("links", "↺", "Bild 90° nach links drehen", transforming<&PageTransformCommands::mnuLeft_Click>);
    addButton("rechts", "↻", "Bild 90° nach rechts drehen", transforming<&PageTransformCommands::mnuright_Click>);
    addButton("Zuschnitt", "Beschneiden", "Beschneiden", transforming<&PageTransformCommands::mnuTrimPage_Click>);
    addButton("druck", "Drucken", "Bild drucken", printing<&PrintCommands::mnuPrint_Click>);
    bar->insertSeparator(before);
}

}  // namespace

void installPageTransformCommands(frmSample& window) {
    buildFileEntries(window);
    buildEditMenu(window);
    buildViewEntries(window);
    buildButtons(window);
    // Like the window's other document commands, they wait for a shown book.
    constexpr const char* waiting[] = {"mnuEdit", "mnuPrint", "mnuSend", "mnuCopyPage", "mnuDrag", "mnuToolbar",
                                       "mnuOptions", "Zuschnitt", "links", "rechts", "druck", "mnuTrimPage",
                                       "mnuTrimPage180"};
    window.controls().setAllEnabled(waiting, false);
}

}  // namespace palvenor
