#include "frmSample.h"

#include "AnnotationCommands.h"
#include "DocumentLoader.h"
#include "FrameLink.h"
#include "Navigation.h"
#include "PageMouse.h"
#include "RecentFileItems.h"
#include "ViewModes.h"
#include "WindowClosing.h"
#include "ZoomCommands.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMenuBar>
#include <QRadioButton>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace palvenor {

frmSample::frmSample(DocumentTable& documents, Prompter& prompter, FrameLink& frame,
                     QWidget* parent)
    : QMainWindow(parent), documents_(documents), prompter_(prompter), frame_(frame),
      edit_(new imaging::oleImgEdit), annotationTool_(*edit_) {
    setObjectName(QStringLiteral("frmSample"));
    thumbnail_ = new imaging::oleImgThumbnail;
    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->addWidget(thumbnail_);
    splitter_->addWidget(edit_);
    splitter_->setStretchFactor(1, 1);
    thumbnail_->hide();
    setCentralWidget(splitter_);
    edit_->viewport()->installEventFilter(this);
    connect(edit_, &imaging::oleImgEdit::zoomChanged, this, &frmSample::showZoomField);
    buildMenus();
    buildPageBar();
    buildAnnotationBar();
    connectPageView();
    connect(thumbnail_, &imaging::oleImgThumbnail::thumbClicked, this,
            [this](int page) { ViewModes(*this).thumbnailClicked(page); });
    DocumentLoader(*this).setUpWindow();
}

frmSample::~frmSample() = default;

// A resize lays the window out again and refits the page, which also ends a
// fixed or stepwise zoom.
void frmSample::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (isMinimized() || width() < 1 || height() < 1) return;
    arrangeToolBars();
    ViewModes(*this).layOut();
    ZoomCommands(*this).refitAfterResize();
}

// The window can be dragged by its surface, as by its title bar.
void frmSample::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && parentWidget())
        dragStart_ = event->globalPosition().toPoint() - parentWidget()->pos();
    QMainWindow::mousePressEvent(event);
}

void frmSample::mouseMoveEvent(QMouseEvent* event) {
    QWidget* sub = parentWidget();
    if ((event->buttons() & Qt::LeftButton) && sub && !sub->isMaximized())
        sub->move(event->globalPosition().toPoint() - dragStart_);
    QMainWindow::mouseMoveEvent(event);
}

void frmSample::closeBook() {
    if (QWidget* sub = parentWidget())
        sub->close();
    else
        close();
}

void frmSample::closeEvent(QCloseEvent* event) {
    if (!mayCloseWindow(*this)) {
        event->ignore();
        return;
    }
    event->accept();
    emit closing(this);
}

Navigation frmSample::navigation() { return Navigation(*this); }

QString frmSample::dialogFolder() {
    return !entry().Ordner.isEmpty() ? entry().Ordner : frame_.dialogFolder();
}

void frmSample::GehZuSeite(const QString& p) { navigation().GehZuSeite(p); }

void frmSample::oeffnen() { DocumentLoader(*this).oeffnen(); }

void frmSample::Neustart(int typ) { DocumentLoader(*this).Neustart(typ); }

void frmSample::Bild_vorhanden() { DocumentLoader(*this).Bild_vorhanden(); }

void frmSample::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* open = file->addAction(QStringLiteral("&Öffnen..."));
    open->setObjectName(QStringLiteral("mnuOpen"));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] { frame_.openPendingRequest(QString()); });
    addCommand(file, "mnuSave", QStringLiteral("&Speichern"), [this] { runSaveCommand(); },
               {QKeySequence::Save});
    addCommand(file, "mnuResave", QStringLiteral("alle &neu speichern"), [this] {
        if (resaveCommand) resaveCommand();
    }, {});
    addCommand(file, "mnuSaveAs", QStringLiteral("Speichern &als..."), [this] { runSaveAsCommand(); },
               {});
    mnuRecentFile_ = addRecentFileItems(*file, frame_);
    file->addSeparator();
    QAction* current = file->addAction(QString());
    current->setObjectName(QStringLiteral("mnuAktuell"));
    current->setEnabled(false);
    file->addSeparator();
    addCommand(file, "mnuQuit", QStringLiteral("&Schließen"), [this] { closeBook(); },
               {QKeySequence(Qt::CTRL | Qt::Key_W)});
    QAction* exit = file->addAction(QStringLiteral("&Beenden"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, [this] { frame_.exitProgram(); });
    for (QAction* action : {open, current, exit}) controls_.add(action);
    buildPageMenu();
    buildZoomMenu();
    buildViewMenu();
    buildAnnotationMenu();
    buildOcrMenu();
}

QAction* frmSample::newCommand(QMenu* menu, const char* name, const QString& caption,
                               const QList<QKeySequence>& keys) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromUtf8(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);  // the keys work wherever the focus is inside this window
    controls_.add(action);
    return action;
}

QAction* frmSample::addCommand(QMenu* menu, const char* name, const QString& caption,
                               std::function<void()> run, const QList<QKeySequence>& keys) {
    QAction* action = newCommand(menu, name, caption, keys);
    connect(action, &QAction::triggered, this, std::move(run));
    return action;
}

// A menu entry with a check mark that only its command sets: choosing the
// entry does not toggle the mark by itself.
void frmSample::addCheckCommand(QMenu* menu, const char* name, const QString& caption,
                                std::function<void()> run) {
    QAction* action = newCommand(menu, name, caption, {});
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [action, run = std::move(run)](bool checked) {
        action->setChecked(!checked);
        run();
    });
}

void frmSample::buildPageMenu() {
    QMenu* page = menuBar()->addMenu(QStringLiteral("&Seite"));
    page->setObjectName(QStringLiteral("mnuPage"));
    page->menuAction()->setObjectName(QStringLiteral("mnuPage"));
    controls_.add(page->menuAction());
    addCommand(page, "mnuFirst", QStringLiteral("&Erste Seite"), [this] { navigation().firstPage(); },
               {Qt::Key_PageUp, Qt::Key_Home});
    addCommand(page, "mnuPrevious", QStringLiteral("&Vorige Seite"),
               [this] { navigation().previousPage(); }, {Qt::Key_Up});
    addCommand(page, "mnuNext", QStringLiteral("&Nächste Seite"), [this] { navigation().nextPage(); },
               {Qt::Key_Down});
    addCommand(page, "mnuLast", QStringLiteral("&Letzte Seite"), [this] { navigation().lastPage(); },
               {Qt::Key_PageDown, Qt::Key_End});
    addCommand(page, "mnuBack", QStringLiteral("&Zurück"), [this] { navigation().back(); }, {});
    addCommand(page, "mnuGoTo", QStringLiteral("&Gehe zu..."), [this] { navigation().goTo(); },
               {QKeySequence(Qt::CTRL | Qt::Key_G)});
    page->addSeparator();
    addCommand(page, "mnuOffset", QStringLiteral("Beginn Paginierung ..."),
               [this] { navigation().pagination(); }, {});
    addCommand(page, "mnuInfo", QStringLiteral("Seiten&information..."),
               [this] { navigation().pageInfo(); }, {});
}

QToolButton* frmSample::makeToolButton(const char* name, const QString& text, const QString& tip) {
    auto* button = new QToolButton;
    button->setObjectName(QString::fromUtf8(name));
    button->setText(text);
    button->setToolTip(tip);
    controls_.add(button);
    return button;
}

void frmSample::buildPageBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Seiten"));
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setMovable(false);
    pageBar_ = bar;

    auto* frame1 = new QGroupBox;
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* modes = new QHBoxLayout(frame1);
    modes->setContentsMargins(4, 0, 4, 0);
    auto* einzel = new QRadioButton(QStringLiteral("Einzelseiten"));
    einzel->setObjectName(QStringLiteral("einzel"));
    einzel->setChecked(true);
    auto* doppel = new QRadioButton(QStringLiteral("Doppelseiten (Buch)"));
    doppel->setObjectName(QStringLiteral("Doppel"));
    modes->addWidget(einzel);
    modes->addWidget(doppel);
    connect(einzel, &QRadioButton::clicked, this, [this] { navigation().singlePages(); });
    connect(doppel, &QRadioButton::clicked, this, [this] { navigation().doublePages(); });
    bar->addWidget(frame1);

    const auto makeButton = [&](const char* name, const QString& text, const QString& tip) {
        QToolButton* button = makeToolButton(name, text, tip);
        bar->addWidget(button);
        return button;
    };
    connect(makeButton("speichern", QStringLiteral("Speichern"), QStringLiteral("Datei speichern")),
            &QToolButton::clicked, this, [this] { runSaveCommand(); });
    bar->addSeparator();
    connect(makeButton("rueck", QStringLiteral("◀"), QStringLiteral("Vorige Seite")),
            &QToolButton::clicked, this, [this] { navigation().previousPage(); });
    seite_ = new QLineEdit;
    seite_->setObjectName(QStringLiteral("seite"));
    buchseite_ = new QLineEdit;
    buchseite_->setObjectName(QStringLiteral("buchseite"));
    for (QLineEdit* field : {seite_, buchseite_}) {
        field->setMaximumWidth(70);
        field->setAlignment(Qt::AlignRight);
        controls_.add(field);
    }
    seite_->setToolTip(QStringLiteral("Bildseite"));
    buchseite_->setToolTip(QStringLiteral("Buchseite (linke Seite)"));
    seiteAction_ = bar->addWidget(seite_);
    buchseiteAction_ = bar->addWidget(buchseite_);
    buchseiteAction_->setVisible(false);
    connect(makeButton("vor", QStringLiteral("▶"), QStringLiteral("Nächste Seite")),
            &QToolButton::clicked, this, [this] { navigation().nextPage(); });
    connect(seite_, &QLineEdit::returnPressed, this, [this] {
        navigation().enterInSeite(seite_->text());
        seite_->selectAll();
    });
    connect(buchseite_, &QLineEdit::returnPressed, this, [this] {
        navigation().enterInBuchseite(buchseite_->text());
        buchseite_->selectAll();
    });
    seite_->installEventFilter(this);
    buchseite_->installEventFilter(this);
    bar->addSeparator();

    QToolButton* mark = makeButton("mark", QStringLiteral("Markieren"),
                                   QStringLiteral("Bereich markieren"));
    mark->setCheckable(true);
    connect(makeButton("Command2", QStringLiteral("OCR"), QStringLiteral("Texterkennung des markierten Bereichs")),
            &QToolButton::clicked, this, [this] { runOcrCommand(); });
    buildZoomBar();
}

// The zoom bar stands beside the page bar where the window is wide enough
// for both, and on a row of its own below it otherwise, so that no control
// hides behind a tool bar's overflow button.
void frmSample::arrangeToolBars() {
    const int bothWide = pageBar_->sizeHint().width() + zoomBar_->sizeHint().width();
    const bool ownRow = bothWide > width();
    if (ownRow == zoomBarOnOwnRow_) return;
    if (ownRow)
        insertToolBarBreak(zoomBar_);
    else
        removeToolBarBreak(zoomBar_);
    zoomBarOnOwnRow_ = ownRow;
}

void frmSample::buildZoomMenu() {
    QMenu* zoom = menuBar()->addMenu(QStringLiteral("&Vergrößerung"));
    zoom->setObjectName(QStringLiteral("mnuZoom"));
    zoom->menuAction()->setObjectName(QStringLiteral("mnuZoom"));
    controls_.add(zoom->menuAction());
    addCommand(zoom, "mnuZoomIn", QStringLiteral("Ver&größern"), [this] { ZoomCommands(*this).zoomIn(); },
               {QKeySequence::ZoomIn});
    addCommand(zoom, "mnuZoomOut", QStringLiteral("Ver&kleinern"),
               [this] { ZoomCommands(*this).zoomOut(); }, {QKeySequence::ZoomOut});
    const auto checkable = [&](const char* name, const QString& caption, std::function<void()> run) {
        addCheckCommand(zoom, name, caption, std::move(run));
    };
    checkable("mnuZoomToSelection", QStringLiteral("&Auswahl vergrößern"),
              [this] { ZoomCommands(*this).zoomToSelection(); });
    zoom->addSeparator();
    checkable("mnuFitHeight", QStringLiteral("an &Höhe anpassen"),
              [this] { ZoomCommands(*this).fit(ZoomCommands::FitToHeight); });
    checkable("mnuFitWidth", QStringLiteral("an &Breite anpassen"),
              [this] { ZoomCommands(*this).fit(ZoomCommands::FitToWidth); });
    checkable("mnuBestFit", QStringLiteral("Beste &Anpassung"),
              [this] { ZoomCommands(*this).fit(ZoomCommands::BestFit); });
    checkable("mnuActual", QStringLiteral("Akt&uellle Größe"), [this] { ZoomCommands(*this).actualSize(); });
    zoom->addSeparator();
    const std::pair<int, const char*> fixed[] = {{25, "&25%"},   {50, "&50%"},   {75, "&75%"},
                                                 {100, "&100%"}, {200, "2&00%"}, {400, "&400%"}};
    for (const auto& [percent, caption] : fixed) {
        const QByteArray name = "mnu" + QByteArray::number(percent);
        checkable(name.constData(), QString::fromUtf8(caption),
                  [this, percent = percent] { ZoomCommands(*this).fixedZoom(percent); });
    }
}

void frmSample::buildViewMenu() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    view->setObjectName(QStringLiteral("mnuView"));
    view->menuAction()->setObjectName(QStringLiteral("mnuView"));
    controls_.add(view->menuAction());
    const auto checkable = [&](const char* name, const QString& caption, std::function<void()> run) {
        addCheckCommand(view, name, caption, std::move(run));
    };
    checkable("mnuOnePage", QStringLiteral("&Eine Seite"), [this] {
        ViewModes(*this).show(ViewModes::OnePage);
        controls_.setChecked(QStringLiteral("einzeln"), true);
    });
    checkable("mnuPageThumbnail", QStringLiteral("&Seite und Kleinbild"),
              [this] { ViewModes(*this).show(ViewModes::PageAndThumbnails); });
    checkable("mnuThumbnail", QStringLiteral("&Kleinbild"),
              [this] { ViewModes(*this).show(ViewModes::ThumbnailsOnly); });
    view->addSeparator();
    checkable("mnuFullScreen", QStringLiteral("ganzer &Bildschirm"),
              [this] { ViewModes(*this).toggleFullScreen(); });
    controls_.setChecked(QStringLiteral("mnuOnePage"), true);
}

void frmSample::buildAnnotationMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Anmerkung"));
    menu->setObjectName(QStringLiteral("mnuAnnotation"));
    menu->menuAction()->setObjectName(QStringLiteral("mnuAnnotation"));
    controls_.add(menu->menuAction());
    for (const AnnotationToolEntry& entry : annotationTools())
        addCheckCommand(menu, entry.menuName, QString::fromUtf8(entry.caption),
                        [this, &entry] { AnnotationCommands(*this).chooseTool(entry); });
    menu->addSeparator();
    addCheckCommand(menu, "mnuHideAnnotation", QStringLiteral("Anm. &verbergen"),
                    [this] { AnnotationCommands(*this).toggleHidden(); });
    addCommand(menu, "mnuBurnIn", QStringLiteral("Alle sichtbaren Anm. fi&xieren"),
               [this] { AnnotationCommands(*this).burnIn(imaging::oleImgEdit::BurnVisible); }, {});
    addCommand(menu, "mnuBurnInSel", QStringLiteral("Alle &markierten Anm. fixieren"),
               [this] { AnnotationCommands(*this).burnIn(imaging::oleImgEdit::BurnMarked); }, {});
}

// The option buttons of the hand, of marking and of the annotation tools
// (one group with `mark`), the picture buttons and `loesch`. A right click
// on a tool's button opens its attribute dialog (eventFilter).
void frmSample::buildAnnotationBar() {
    addToolBarBreak();
    QToolBar* bar = addToolBar(QStringLiteral("Anmerkungen"));
    bar->setObjectName(QStringLiteral("Toolbar2"));
    bar->setMovable(false);
    auto* options = new QButtonGroup(this);
    auto* mark = qobject_cast<QAbstractButton*>(controls_.find(QStringLiteral("mark")));
    options->addButton(mark);
    connect(mark, &QAbstractButton::clicked, this, [this] { AnnotationCommands(*this).markMode(); });
    const auto addButton = [&](const char* name, const char* text, const char* tip) {
        QToolButton* button = makeToolButton(name, QString::fromUtf8(text), QString::fromUtf8(tip));
        bar->addWidget(button);
        return button;
    };
    const auto addOption = [&](const char* name, const char* text, const char* tip) {
        QToolButton* button = addButton(name, text, tip);
        button->setCheckable(true);
        options->addButton(button);
        return button;
    };
    connect(addOption("hand", "Hand", "verschieben"), &QToolButton::clicked, this,
            [this] { AnnotationCommands(*this).handMode(); });
    for (const AnnotationToolEntry& entry : annotationTools()) {
        if (!entry.buttonName) continue;
        QToolButton* button = addOption(entry.buttonName, entry.buttonText, entry.tip);
        connect(button, &QToolButton::clicked, this, [this, &entry] { AnnotationCommands(*this).chooseTool(entry); });
        button->setProperty("toolAttributes", entry.attributes);
        button->installEventFilter(this);
    }
    bar->addSeparator();
    connect(addButton("bildein", "Bild", "Graphik einbetten"), &QToolButton::clicked, this,
            [this] { AnnotationCommands(*this).insertPicture(imaging::ImgAnnTool::EmbeddedPicture); });
    connect(addButton("bildref", "Bildverweis", "Graphik verknüpfen"), &QToolButton::clicked, this,
            [this] { AnnotationCommands(*this).insertPicture(imaging::ImgAnnTool::LinkedPicture); });
    QToolButton* remove = addButton("loesch", "Löschen", "Markierte Anmerkungen löschen");
    remove->setEnabled(false);
    connect(remove, &QToolButton::clicked, this, [this] { AnnotationCommands(*this).deleteMarked(); });
}

void frmSample::connectPageView() {
    using imaging::oleImgEdit;
    edit_->setPrompter(&prompter_);
    connect(edit_, &oleImgEdit::pageShown, this, [this] { navigation().showPageArrows(); });
    connect(edit_, &oleImgEdit::mouseDown, this,
            [this](int button, int shift, double x, double y) { PageMouse(*this).mouseDown(button, shift, x, y); });
    connect(edit_, &oleImgEdit::mouseMove, this,
            [this](int button, int shift, double x, double y) { PageMouse(*this).mouseMove(button, shift, x, y); });
    connect(edit_, &oleImgEdit::mouseUp, this,
            [this](int button, int shift, double x, double y) { PageMouse(*this).mouseUp(button, shift, x, y); });
    connect(edit_, &oleImgEdit::selectionDrawn, this, [this](int left, int top, int width, int height) {
        PageMouse(*this).selectionDrawn(left, top, width, height);
    });
    connect(edit_, &oleImgEdit::toolSelected, this, [this](int tool) { PageMouse(*this).toolSelected(tool); });
    connect(edit_, &oleImgEdit::annotationMarked, this, [this] { PageMouse(*this).annotationMarked(); });
}

void frmSample::buildOcrMenu() {
    QMenu* ocr = menuBar()->addMenu(QStringLiteral("&Texterkennung"));
    ocr->setObjectName(QStringLiteral("mnuTexterkennung"));
    addCommand(ocr, "mnuOCR", QStringLiteral("&OCR des markierten Bereichs"), [this] { runOcrCommand(); },
               {QKeySequence(Qt::CTRL | Qt::Key_R)});
}

// The zoom buttons, the fit buttons in `Frame2`, the zoom box `mag` and the
// view mode buttons.
void frmSample::buildZoomBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Vergrößerung"));
    bar->setObjectName(QStringLiteral("Toolbar3"));
    bar->setMovable(false);
    zoomBar_ = bar;
    QToolButton* gross = makeToolButton("gross", QStringLiteral("+"), QStringLiteral("vergrößern"));
    QToolButton* klein = makeToolButton("klein", QStringLiteral("−"), QStringLiteral("verkleinern"));
    connect(gross, &QToolButton::clicked, this, [this] { ZoomCommands(*this).zoomIn(); });
    connect(klein, &QToolButton::clicked, this, [this] { ZoomCommands(*this).zoomOut(); });
    bar->addWidget(gross);
    bar->addWidget(klein);

    auto* frame2 = new QGroupBox;
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* fits = new QHBoxLayout(frame2);
    fits->setContentsMargins(2, 0, 2, 0);
    const std::tuple<const char*, QString, QString, ZoomCommands::Fit> fitButtons[] = {
        {"Voll", QStringLiteral("▣"), QStringLiteral("Beste Anpassung"), ZoomCommands::BestFit},
        {"Hoch", QStringLiteral("↕"), QStringLiteral("an Höhe anpassen"), ZoomCommands::FitToHeight},
        {"Breit", QStringLiteral("↔"), QStringLiteral("an Breite anpassen"), ZoomCommands::FitToWidth}};
    for (const auto& [name, text, tip, mode] : fitButtons) {
        QToolButton* fit = makeToolButton(name, text, tip);
        fit->setCheckable(true);
        connect(fit, &QToolButton::clicked, this, [this, mode = mode] { ZoomCommands(*this).fit(mode); });
        fits->addWidget(fit);
    }
    bar->addWidget(frame2);

    mag_ = new QLineEdit;
    mag_->setObjectName(QStringLiteral("mag"));
    mag_->setMaximumWidth(70);
    mag_->setAlignment(Qt::AlignRight);
    mag_->setToolTip(QStringLiteral("Vergrößerung"));
    mag_->installEventFilter(this);
    connect(mag_, &QLineEdit::returnPressed, this, [this] {
        ZoomCommands(*this).typedZoom(mag_->text());
        mag_->selectAll();
    });
    controls_.add(mag_);
    bar->addWidget(mag_);
    bar->addSeparator();
    buildViewModeButtons(bar);
}

void frmSample::buildViewModeButtons(QToolBar* bar) {
    const std::tuple<const char*, QString, ViewModes::Mode> modeButtons[] = {
        {"einzeln", QStringLiteral("Eine Seite"), ViewModes::OnePage},
        {"kombination", QStringLiteral("Seite und Kleinbild"), ViewModes::PageAndThumbnails},
        {"album", QStringLiteral("Kleinbild"), ViewModes::ThumbnailsOnly}};
    auto* group = new QButtonGroup(this);  // one of the three is marked
    for (const auto& [name, text, mode] : modeButtons) {
        QToolButton* button = makeToolButton(name, text, text);
        button->setCheckable(true);
        group->addButton(button);
        connect(button, &QToolButton::clicked, this, [this, mode = mode] { ViewModes(*this).show(mode); });
        bar->addWidget(button);
    }
}

void frmSample::refreshPageFields(double p) {
    pages_.refreshFields(p);
    showPageFields();
}

void frmSample::showZoomField() {
    mag_->setText(ZoomCommands::zoomText(oleImgEdit1().Zoom()));
}

void frmSample::showPageFields() {
    seite_->setText(pages_.seite());
    buchseite_->setText(pages_.buchseiteField());
}

void frmSample::showDoublePages(bool doublePages) {
    pages_.setMode(doublePages ? PageModel::Mode::Double : PageModel::Mode::Single);
    if (auto* doppel = findChild<QRadioButton*>(QStringLiteral("Doppel")); doppel && doublePages)
        doppel->setChecked(true);
    if (auto* einzel = findChild<QRadioButton*>(QStringLiteral("einzel")); einzel && !doublePages)
        einzel->setChecked(true);
    seiteAction_->setVisible(!doublePages);
    buchseiteAction_->setVisible(doublePages);
}

// A right click on a tool's option button opens the tool's attribute dialog.
// Every paint of the page view is the moment to look for a request handed
// in by a second program start; the look happens right after the paint.
bool frmSample::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        if (const int attributes = watched->property("toolAttributes").toInt(); attributes > 0) {
            AnnotationCommands(*this).showToolAttributes(attributes);
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn &&
        (watched == seite_ || watched == buchseite_ || watched == mag_)) {
        auto* field = static_cast<QLineEdit*>(watched);
        QTimer::singleShot(0, field, &QLineEdit::selectAll);
    }
    if (event->type() == QEvent::Paint && watched == edit_->viewport() && !paintNoticePending_) {
        paintNoticePending_ = true;
        QTimer::singleShot(0, this, [this] {
            paintNoticePending_ = false;
            frame_.documentPainted(*this);
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace palvenor
