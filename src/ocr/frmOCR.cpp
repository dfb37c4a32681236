#include "frmOCR.h"

#include "FormatResults.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>

namespace palvenor::ocr {

FormatOptions formatOptions;

namespace {

const QString kMaleToolTip = QStringLiteral("Männchen-Zeichen %1 einfügen").arg(kMaleSymbol);
const QString kFemaleToolTip = QStringLiteral("Weibchen-Zeichen %1 einfügen").arg(kFemaleSymbol);

}  // namespace

frmOCR::frmOCR(Prompter& prompter, OcrSettingsStore store, const QRect& pageArea)
    : RTF0(new QTextEdit),
      prompter_(prompter),
      store_(std::move(store)),
      commands_(*this, prompter) {
    setWindowTitle(QStringLiteral("OCR"));
    RTF0->setObjectName(QStringLiteral("RTF0"));
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->addWidget(RTF0, 1);
    layout->addWidget(makeButtonColumn());
    setCentralWidget(central);
    makeFileMenu();
    makeOptionsMenu();
    makeHelpMenu();
    makePopupMenu();
    connect(RTF0, &QTextEdit::textChanged, this, &frmOCR::noteTextChanged);
    RTF0->installEventFilter(this);
    placeBeside(pageArea);
    loadOcrSettings(*this, *store_.open());
    showFormatOptions();
}

QAction* frmOCR::addCommand(QMenu* menu, const QString& name, const QString& caption,
                            void (OcrWindowCommands::*command)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, command] { (commands_.*command)(); });
    return action;
}

QAction* frmOCR::addToggle(QMenu* menu, const QString& name, const QString& caption,
                           void (OcrWindowCommands::*command)()) {
    QAction* action = addCommand(menu, name, caption, command);
    action->setCheckable(true);
    return action;
}

void frmOCR::makeFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addCommand(file, QStringLiteral("mnuFileSave"), QStringLiteral("&Speichern ..."),
               &OcrWindowCommands::saveText);
    addCommand(file, QStringLiteral("mnuFileExit"), QStringLiteral("OCR Be&enden"),
               &OcrWindowCommands::unloadWindow);
}

void frmOCR::makeOptionsMenu() {
    QMenu* options = menuBar()->addMenu(QStringLiteral("&Optionen"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    addCommand(options, QStringLiteral("mnuOptionsProcess"), QStringLiteral("&OCR Optionen"),
               &OcrWindowCommands::editProcessOptions);
    makeFormatMenu(options);
    addCommand(options, QStringLiteral("mnuOptionsResultsFont"), QStringLiteral("&Zeichensatz ..."),
               &OcrWindowCommands::chooseFont);
}

void frmOCR::makeFormatMenu(QMenu* options) {
    QMenu* format = options->addMenu(QStringLiteral("&Formatierung"));
    format->setObjectName(QStringLiteral("mnuOptionsResultsFormat"));
    mnuBuchstaben_ = addToggle(format, QStringLiteral("mnuBuchstaben"), QStringLiteral("&Buchstaben einzeln"),
                               &OcrWindowCommands::letterMode);
    mnuWort_ = addToggle(format, QStringLiteral("mnuWort"), QStringLiteral("&Worte"), &OcrWindowCommands::wordMode);
    mnuRand_ = addToggle(format, QStringLiteral("mnuRand"), QStringLiteral("&Rand links"),
                         &OcrWindowCommands::toggleLeftMargin);
    mnuZeilen_ = addToggle(format, QStringLiteral("mnuZeilen"), QStringLiteral("&Leerzeilen zulassen"),
                           &OcrWindowCommands::toggleBlankLines);
    mnuAbsatz_ = addToggle(format, QStringLiteral("mnuAbsatz"), QStringLiteral("&Absätze zusammenfassen"),
                           &OcrWindowCommands::toggleParagraphs);
    mnuKlammern_ = addToggle(format, QStringLiteral("mnuKlammern"), QStringLiteral("&Klammern umwandeln [ { -> ("),
                             &OcrWindowCommands::toggleBrackets);
    mnuZahlwort_ = addToggle(format, QStringLiteral("mnuZahlwort"),
                             QStringLiteral("&Zahlwort umwandeln 3fach -> 3-fach"),
                             &OcrWindowCommands::toggleNumberWords);
    mnuLex_ = addToggle(format, QStringLiteral("mnuLex"), QStringLiteral("Eigenes Lexikon"),
                        &OcrWindowCommands::toggleLexicon);
    mnuSchwelle_ = addCommand(format, QStringLiteral("mnuSchwelle"), OcrWindowCommands::thresholdCaption(),
                              &OcrWindowCommands::askThreshold);
}

void frmOCR::makeHelpMenu() {
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addCommand(help, QStringLiteral("mnuHelpTopics"), QStringLiteral("&Inhalt"), &OcrWindowCommands::showHelp);
    addCommand(help, QStringLiteral("mnuHelpAbout"), QStringLiteral("&Info"), &OcrWindowCommands::showAbout);
}

QWidget* frmOCR::makeButtonColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    const auto addButton = [this, layout](const QString& name, const QString& caption, auto run) {
        auto* button = new QPushButton(caption);
        button->setObjectName(name);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, run);
        return button;
    };
    addButton(QStringLiteral("cCopy"), QStringLiteral("&Kopieren"), [this] { commands_.copyText(); });
    addButton(QStringLiteral("cEnde"), QStringLiteral("&Schließen"), [this] { commands_.closeWindow(); });
    addButton(QStringLiteral("cAbbruch"), QStringLiteral("&Verbergen"), [this] { commands_.hideWindow(); });
    addButton(QStringLiteral("cNeu"), QStringLiteral("&Neu"), [this] { commands_.newText(); });
    addButton(QStringLiteral("cPlus"), QStringLiteral("&Anfügen"), [this] { commands_.appendText(); });
    for (const QString& name : {QStringLiteral("cMaennchen"), QStringLiteral("cMaennchen2")})
        addButton(name, QString(kMaleSymbol), [this] { commands_.insertMaleSymbol(); })->setToolTip(kMaleToolTip);
    for (const QString& name : {QStringLiteral("cWeibchen"), QStringLiteral("cWeibchen2")})
        addButton(name, QString(kFemaleSymbol), [this] { commands_.insertFemaleSymbol(); })
            ->setToolTip(kFemaleToolTip);
    layout->addStretch();
    return column;
}

void frmOCR::placeBeside(QRect pageArea) {
    if (pageArea.isEmpty()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return;
        pageArea = screen->availableGeometry();
    }
    setOuterRect(*this, placedOnScreen(besideThePage(*this, pageArea)));
}

// Right-clicking the text opens this menu instead of the text box's own.
void frmOCR::makePopupMenu() {
    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("mnuPopup1"));
    addCommand(popup, QStringLiteral("mnuMann"), QStringLiteral("&Männchen %1").arg(kMaleSymbol),
               &OcrWindowCommands::insertMaleSymbol);
    addCommand(popup, QStringLiteral("mnuWeib"), QStringLiteral("&Weibchen %1").arg(kFemaleSymbol),
               &OcrWindowCommands::insertFemaleSymbol);
    RTF0->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RTF0, &QWidget::customContextMenuRequested, popup,
            [this, popup](const QPoint& at) { popup->popup(RTF0->viewport()->mapToGlobal(at)); });
}

void frmOCR::showFormatOptions() {
    mnuSchwelle_->setText(OcrWindowCommands::thresholdCaption());
    mnuKlammern_->setChecked(formatOptions.Klammern);
    mnuZahlwort_->setChecked(formatOptions.Zahlwort);
    mnuLex_->setChecked(formatOptions.Lexikon);
    mnuAbsatz_->setChecked(formatOptions.Absatz);
    mnuWort_->setChecked(formatOptions.Format);
    mnuBuchstaben_->setChecked(!formatOptions.Format);
    mnuRand_->setChecked(formatOptions.LeftMargin);
    mnuZeilen_->setChecked(!formatOptions.CollapseY);
    mnuRand_->setEnabled(formatOptions.Format);
    mnuZeilen_->setEnabled(formatOptions.Format);
}

void frmOCR::reformat() {
    AppendNext = false;
    FormatResults(*this, lastResults, formatOptions,
                  static_cast<int>(std::lround(formatOptions.ResolutionFactor)));
}

void frmOCR::changeTextByProgram(const std::function<void()>& change) {
    const auto restore = qScopeGuard([this, outer = programChange_] { programChange_ = outer; });
    programChange_ = true;
    change();
}

// setWindowFlags would hide the window and create it anew. Here only the
// widget's record of its flags is brought up to date, and the window
// system's window just changes its stacking.
void frmOCR::setTopmost(bool topmost) {
    const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, topmost);
    overrideWindowFlags(flags);
    if (QWindow* handle = windowHandle()) handle->setFlags(flags);
}

void frmOCR::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) setTopmost(true);
    QMainWindow::changeEvent(event);
}

// Closing unloads the window: the settings are saved and the text is gone.
void frmOCR::closeEvent(QCloseEvent* event) {
    emit unloading();
    saveOcrSettings(*this, *store_.open());
    changeTextByProgram([this] { RTF0->clear(); });
    AppendNext = false;
    QMainWindow::closeEvent(event);
}

bool frmOCR::eventFilter(QObject* watched, QEvent* event) {
    if (watched == RTF0 && event->type() == QEvent::KeyPress) RTF0->setTextColor(Qt::black);
    return QMainWindow::eventFilter(watched, event);
}

void frmOCR::noteTextChanged() {
    if (!programChange_) AppendNext = true;
}

}  // namespace palvenor::ocr
