#include "frmMDI.h"

#include "DocumentCommands.h"
#include "ImgScan1.h"
#include "IniFile.h"
#include "OcrDll.h"
#include "OpenRequest.h"
#include "Prompter.h"
#include "RecentFileItems.h"
#include "RecentFiles.h"
#include "RequestTakeover.h"
#include "SaneScanner.h"
#include "ScanCommands.h"
#include "ViewModes.h"
#include "frmGotoDlg.h"
#include "frmSample.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTabBar>
#include <QVBoxLayout>

namespace palvenor {

namespace {

// "Name(copy number) - date and time of the file's last change".
QString copyCaption(const DokumentEintrag& entry) {
    const QDateTime changed = QFileInfo(entry.Pfad).lastModified();
    return ErsterGross(entry.Name) + QStringLiteral("(%1) - ").arg(entry.Kopie) +
           changed.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

// The book's name without its extension, as its tab shows it.
QString bookTabName(const DokumentEintrag& entry) {
    return ErsterGross(entry.Name.section(QLatin1Char('.'), 0, 0));
}

// Ctrl+W belongs to the book's own "&Schließen"; the sub-window's system
// menu keeps its other close keys.
void leaveCloseKeyToBook(QMdiSubWindow& sub) {
    const QKeySequence closeBook(Qt::CTRL | Qt::Key_W);
    for (QAction* action : sub.systemMenu()->actions()) {
        QList<QKeySequence> keys = action->shortcuts();
        if (keys.removeAll(closeBook) > 0) action->setShortcuts(keys);
    }
}

void showRecentItem(QAction* item, const QString& caption) {
    item->setText(caption);
    item->setVisible(true);
}

}  // namespace

frmMDI::frmMDI(Prompter& prompter, IniFile& ini, RecentFiles& recentFiles, QWidget* parent)
    : QMainWindow(parent),
      prompter_(prompter),
      ini_(ini),
      recentFiles_(recentFiles),
      ocr_(prompter, [&prompter] { return std::make_unique<ocr::OcrDll>(prompter); },
           [this] { return documents_.activeWindow(); }) {
    setObjectName(QStringLiteral("frmMDI"));
    auto* centre = new QWidget;
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tabs_ = new QTabBar;
    tabs_->setObjectName(QStringLiteral("Tab1"));
    tabs_->setExpanding(false);
    tabs_->setUsesScrollButtons(true);
    tabs_->hide();
    tabs_->installEventFilter(this);
    area_ = new QMdiArea;
    area_->setViewMode(QMdiArea::SubWindowView);
    layout->addWidget(tabs_);
    layout->addWidget(area_, 1);
    setCentralWidget(centre);
    connect(tabs_, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0) activateDocument(index + 1);
    });
    connect(area_, &QMdiArea::subWindowActivated, this, &frmMDI::subWindowActivated);
    buildMenus();
    frameMenus_ = menuBar()->actions();
    ZuletztMenue();
}

// The book windows go after the table; their last activations are not
// followed any more.
frmMDI::~frmMDI() { area_->disconnect(this); }

void frmMDI::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* open = file->addAction(QStringLiteral("&Öffnen..."));
    open->setObjectName(QStringLiteral("mnuOpen"));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] { openPendingRequest(QString()); });
    QMenu* neu = file->addMenu(QStringLiteral("&Neu"));
    neu->setObjectName(QStringLiteral("mnuNeu"));
    const QString pageTypes[] = {QStringLiteral("Schwarz-Weiß"), QStringLiteral("Grau 4"),
                                 QStringLiteral("Grau 8"),       QStringLiteral("Palette 4"),
                                 QStringLiteral("Palette 8"),    QStringLiteral("RGB 24"),
                                 QStringLiteral("BGR 24")};
    for (int k = 1; k <= 7; ++k) {
        QAction* action = neu->addAction(pageTypes[k - 1]);
        action->setObjectName(QStringLiteral("mnuNeu%1").arg(k));
        connect(action, &QAction::triggered, this, [this, k] { Neustart(k); });
    }
    QAction* capture = file->addAction(QStringLiteral("Er&fassung beginnen"));
    capture->setObjectName(QStringLiteral("mnuErfassen"));
    connect(capture, &QAction::triggered, this, &frmMDI::mnuErfassen_Click);
    mnuRecentFile_ = addRecentFileItems(*file, *this);
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("&Beenden"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &frmMDI::exitProgram);
}

void frmMDI::ZuletztHinzufuegen(const QString& path) {
    lastFolder_ = folderOf(path);
    recentFiles_.add(path);
    ZuletztMenue();
}

void frmMDI::ZuletztMenue() {
    const QStringList captions = recentFiles_.captions();
    for (int i = 0; i < captions.size() && i < kRecentFileCount; ++i) {
        showRecentItem(mnuRecentFile_[i], captions[i]);
        for (int k = 1; k <= documents_.count(); ++k)
            if (frmSample* window = documents_.Fenster(k))
                showRecentItem(window->mnuRecentFile(i), captions[i]);
    }
}

void frmMDI::mnuRecentFile_Click(int index) {
    Kommandozeile = RecentFiles::pathOfCaption(mnuRecentFile_[index]->text());
    mnuOpen_Click();
    ZuletztMenue();
}

// A capture into a new window; the window goes again when nothing came.
void frmMDI::mnuErfassen_Click() {
    frmSample* window = DokumentAnlegen(QDir::currentPath(), QStringLiteral("NEU"), QString());
    ScanCommands(*window).mnuErfassen_Click();
    const imaging::oleImgEdit& edit = window->oleImgEdit1();
    if (edit.Image().isEmpty() && edit.unsavedPagesFile().isEmpty()) discardWindow(window);
}

void frmMDI::Neustart(int k) {
    frmSample* window = DokumentAnlegen(QDir::currentPath(), QStringLiteral("NEU"), QString());
    window->Neustart(k);
}

void frmMDI::mnuOpen_Click() {
    Kommandozeile = absoluteRequest(Kommandozeile, QDir::currentPath());
    QString path;
    QString name;
    if (isGiven(Kommandozeile)) {
        path = OpenRequest::parse(Kommandozeile).path;
        name = fileNameOf(path);
    }
    const QString request = Kommandozeile;
    frmSample* window = DokumentAnlegen(path, name, request);
    Kommandozeile.clear();
    QCoreApplication::processEvents();
    if (!isGiven(request) && window->oleImgEdit1().Image().isEmpty()) {
        discardWindow(window);  // the open dialog was cancelled
        return;
    }
    window->oleImgAdmin1().DialogFlags = 0;
    window->oleImgAdmin1().Filter.clear();
    QCoreApplication::processEvents();
    onTabMouseRelease(Qt::NoButton, Qt::NoModifier);
}

// Takes a window that holds no book out of the table and the frame, without
// the questions of closing a book.
void frmMDI::discardWindow(frmSample* window) {
    QWidget* sub = window->parentWidget();
    documentClosed(window);
    sub->deleteLater();
    sub->hide();
}

frmSample* frmMDI::DokumentAnlegen(const QString& path, const QString& name,
                                   const QString& request) {
    const int n = documents_.add();
    while (tabs_->count() < n) tabs_->addTab(QString());
    tabs_->show();
    DokumentEintrag& entry = documents_.Dokumente(n);
    const bool untitled = name.isEmpty() || name == QStringLiteral("NEU");
    if (!untitled) {
        entry.Name = name;
        entry.Pfad = path;
        entry.Ordner = folderOf(path);
    } else {
        entry.Name = entry.Pfad = kOhneNamen;
        entry.Erstellt = QDateTime::currentDateTime();
    }
    entry.Anforderung = request;

    auto* window = new frmSample(documents_, prompter_, *this);
    window->menuBar()->hide();  // its menus show in the frame's menu bar
    attachDocumentCommands(*window, ocr_);
    window->setTag(n);
    documents_.setFenster(n, window);
    ZuletztMenue();  // the new window's menu shows the recent files too
    connect(window, &frmSample::closing, this, &frmMDI::documentClosed);
    QMdiSubWindow* sub = area_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    ViewModes(*window).followWindowState();
    leaveCloseKeyToBook(*sub);
    QCoreApplication::processEvents();
    documents_.AktuellesDokument = window->Tag();

    if (name == QStringLiteral("Zwischenablage")) entry.Dialog = false;
    if (name.isEmpty()) entry.Dialog = true;
    for (int k = n; k >= 1; --k) {
        const DokumentEintrag& other = documents_.Dokumente(k);
        if (other.Pfad == path && other.Kopie >= entry.Kopie) entry.Kopie = other.Kopie + 1;
    }
    if (untitled) entry.Kopie = 0;
    tabs_->setCurrentIndex(n - 1);

    if (untitled) {
        window->setWindowTitle(QStringLiteral("Bestimmungstabelle %1: ").arg(n) + kOhneNamen);
        tabs_->setTabText(n - 1, QStringLiteral("%1: ").arg(n) + kOhneNamen);
    } else {
        window->setWindowTitle(copyCaption(entry));
        tabs_->setTabText(n - 1, QStringLiteral("%1: ").arg(n) + bookTabName(entry));
    }
    if (name != QStringLiteral("NEU")) window->oeffnen();
    sub->showMaximized();
    window->oleImgEdit1().setFocus();  // the page keys work at once
    QCoreApplication::processEvents();
    return window;
}

void frmMDI::setTabCaption(int index, const QString& caption) {
    if (index >= 1 && index <= tabs_->count()) tabs_->setTabText(index - 1, caption);
}

void frmMDI::openPendingRequest(const QString& request) {
    Kommandozeile = request;
    mnuOpen_Click();
}

void frmMDI::documentPainted(frmSample& window) {
    TakeoverHooks hooks{Kommandozeile, [this] { mnuOpen_Click(); },
                        [this](frmSample&, bool topmost) {
                            if (topmost) bringToFront();
                        }};
    takeOverRequest(window, ini_, hooks);
}

FrameLink::GoToAnswer frmMDI::runGoToDialog() {
    frmGotoDlg dialog(documents_, this);
    prompter_.execDialog(dialog);
    return {dialog.Text1(), dialog.txtPageNo()};
}

void frmMDI::exitProgram() {
    if (close()) QApplication::quit();
}

// Closing the frame closes every book first; a book whose save the user
// cancels keeps the frame open. Then the OCR window goes with it.
void frmMDI::closeEvent(QCloseEvent* event) {
    area_->closeAllSubWindows();
    if (!area_->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    ocr_.unloadWindow();
    event->accept();
}

imaging::ImgScan* frmMDI::scanner() {
    if (!scanner_) scanner_ = std::make_unique<acquire::ImgScan1>(std::make_unique<acquire::SaneScanner>(), prompter_);
    return scanner_.get();
}

void frmMDI::offerUnsavedCaptures() {
    palvenor::offerUnsavedCaptures(prompter_, [this] {
        return DokumentAnlegen(QDir::currentPath(), QStringLiteral("NEU"), QString());
    });
}

void frmMDI::bringToFront() {
    showMaximized();
    raise();
    activateWindow();
    for (int k = 1; k <= documents_.count(); ++k)
        if (frmSample* window = documents_.Fenster(k)) window->oleImgEdit1().viewport()->update();
}

QString frmMDI::dialogFolder() const { return lastFolder_; }

// Every change of the active sub-window (a tab, Ctrl+Tab, a click into a
// window, a closed window) makes that window the active document with its
// tab current and its menus in the menu bar.
void frmMDI::subWindowActivated(QMdiSubWindow* sub) {
    auto* window = sub ? qobject_cast<frmSample*>(sub->widget()) : nullptr;
    const int k = documents_.indexOf(window);
    if (k == 0) {
        if (area_->subWindowList().isEmpty()) showMenus(frameMenus_);
        return;
    }
    documents_.AktuellesDokument = k;
    tabs_->setCurrentIndex(k - 1);
    if (!window->oleImgEdit1().Image().isEmpty()) lastFolder_ = folderOf(window->entry().Pfad);
    showMenus(window->menuBar()->actions());
}

void frmMDI::showMenus(const QList<QAction*>& menus) {
    QMenuBar* bar = menuBar();
    if (bar->actions() == menus) return;
    for (QAction* menu : bar->actions()) bar->removeAction(menu);
    bar->addActions(menus);
}

void frmMDI::activateDocument(int k) {
    if (k < 1 || k > documents_.count()) return;
    documents_.AktuellesDokument = k;
    if (frmSample* window = documents_.Fenster(k))
        if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
            area_->setActiveSubWindow(sub);
}

void frmMDI::onTabMouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    const bool closeRequest =
        button == Qt::RightButton ||
        (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (!closeRequest) {
        activateDocument(documents_.AktuellesDokument);
        return;
    }
    if (frmSample* window = documents_.Fenster(tabs_->currentIndex() + 1))
        if (QWidget* sub = window->parentWidget()) sub->close();
    subWindowActivated(area_->activeSubWindow());  // also when the book stayed open
}

// A right click on a tab closes its book; the press alone shows nothing.
bool frmMDI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabs_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
        return true;
    if (watched == tabs_ && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const int index = tabs_->tabAt(mouse->position().toPoint());
        if (mouse->button() == Qt::RightButton && index >= 0) tabs_->setCurrentIndex(index);
        onTabMouseRelease(mouse->button(), mouse->modifiers());
    }
    return QMainWindow::eventFilter(watched, event);
}

// A closed window leaves the table; the windows after it move down by one
// and every remaining window is captioned anew.
void frmMDI::documentClosed(frmSample* window) {
    const int k = documents_.indexOf(window);
    ini_.IniSchreiben(kHandOverSection, kHandOverKey, QString());
    QCoreApplication::processEvents();
    if (k == 0) return;
    documents_.remove(k);
    tabs_->removeTab(k - 1);
    for (int i = 1; i <= documents_.count(); ++i) renumberWindow(i);
    documents_.AktuellesDokument = documents_.count();
    tabs_->setVisible(documents_.count() > 0);
    if (documents_.count() == 0)
        showMenus(frameMenus_);
    else
        activateDocument(documents_.count());
}

void frmMDI::renumberWindow(int i) {
    frmSample* window = documents_.Fenster(i);
    if (!window) return;
    window->setTag(i);
    tabs_->setCurrentIndex(i - 1);
    QCoreApplication::processEvents();
    const DokumentEintrag& entry = documents_.Dokumente(i);
    if (entry.Name == kOhneNamen) {
        window->setWindowTitle(kOhneNamen);
        tabs_->setTabText(i - 1, kOhneNamen);
    } else {
        window->setWindowTitle(copyCaption(entry));
        tabs_->setTabText(i - 1, bookTabName(entry));
    }
}

void frmMDI::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) stayMaximised();
}

void frmMDI::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    stayMaximised();
}

// The frame stays maximised unless it is minimised.
void frmMDI::stayMaximised() {
    if (!isVisible() || isMinimized() || isMaximized() || isFullScreen()) return;
    if (height() >= 1 && width() >= 1) showMaximized();
}

}  // namespace palvenor
