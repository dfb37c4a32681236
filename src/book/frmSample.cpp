#include "frmSample.h"

#include "DocumentLoader.h"
#include "FrameLink.h"
#include "Navigation.h"
#include "WindowClosing.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace palvenor {

frmSample::frmSample(DocumentTable& documents, Prompter& prompter, FrameLink& frame,
                     QWidget* parent)
    : QMainWindow(parent), documents_(documents), prompter_(prompter), frame_(frame) {
    setObjectName(QStringLiteral("frmSample"));
    edit_ = new imaging::oleImgEdit;
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
    connect(thumbnail_, &imaging::oleImgThumbnail::thumbClicked, this, [this](int page) {
        edit_->setPage(page);
        edit_->Display();
        refreshPageFields(page);
    });
    DocumentLoader(*this).setUpWindow();
}

frmSample::~frmSample() = default;

void frmSample::closeEvent(QCloseEvent* event) {
    if (!mayCloseWindow(*this)) {
        event->ignore();
        return;
    }
    event->accept();
    emit closing(this);
}

Navigation frmSample::navigation() { return Navigation(*this); }

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
    addCommand(file, "mnuSaveAs", QStringLiteral("Speichern &als..."), [this] { runSaveAsCommand(); },
               {});
    file->addSeparator();
    QAction* current = file->addAction(QString());
    current->setObjectName(QStringLiteral("mnuAktuell"));
    current->setEnabled(false);
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("&Beenden"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, [this] { frame_.exitProgram(); });
    for (QAction* action : {open, current, exit}) controls_.add(action);
    buildPageMenu();
}

QAction* frmSample::addCommand(QMenu* menu, const char* name, const QString& caption,
                               std::function<void()> run, const QList<QKeySequence>& keys) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromUtf8(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);  // the keys work wherever the focus is inside this window
    connect(action, &QAction::triggered, this, std::move(run));
    controls_.add(action);
    return action;
}

void frmSample::buildPageMenu() {
    QMenu* page = menuBar()->addMenu(QStringLiteral("&Seite"));
    page->setObjectName(QStringLiteral("mnuPage"));
    controls_.add(page->menuAction());
    page->menuAction()->setObjectName(QStringLiteral("mnuPage"));
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

void frmSample::buildPageBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Seiten"));
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setMovable(false);

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

    auto makeButton = [&](const char* name, const QString& text, const QString& tip) {
        auto* button = new QToolButton;
        button->setObjectName(QString::fromUtf8(name));
        button->setText(text);
        button->setToolTip(tip);
        bar->addWidget(button);
        controls_.add(button);
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
    mag_ = new QLineEdit;
    mag_->setObjectName(QStringLiteral("mag"));
    mag_->setMaximumWidth(70);
    mag_->setAlignment(Qt::AlignRight);
    mag_->setToolTip(QStringLiteral("Vergrößerung"));
    bar->addWidget(mag_);
    bar->addSeparator();

    QToolButton* mark = makeButton("mark", QStringLiteral("Markieren"),
                                   QStringLiteral("Bereich markieren"));
    mark->setCheckable(true);
    bar->addSeparator();
    const std::pair<const char*, QString> modeButtons[] = {
        {"einzeln", QStringLiteral("Eine Seite")},
        {"kombination", QStringLiteral("Seite und Kleinbild")},
        {"album", QStringLiteral("Kleinbild")}};
    for (const auto& [name, text] : modeButtons) {
        QToolButton* button = makeButton(name, text, text);
        button->setCheckable(true);
        button->setAutoExclusive(true);
        connect(button, &QToolButton::toggled, this, [this, name = QString::fromUtf8(name)](bool on) {
            if (!on) return;
            thumbnail_->setVisible(name != QStringLiteral("einzeln"));
            edit_->setVisible(name != QStringLiteral("album"));
        });
    }
}

void frmSample::refreshPageFields(double p) {
    pages_.refreshFields(p);
    showPageFields();
}

void frmSample::showZoomField() {
    mag_->setText(QString::number(qRound(oleImgEdit1().Zoom())) + QLatin1Char('%'));
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

// Every paint of the page view is the moment to look for a request handed
// in by a second program start; the look happens right after the paint.
bool frmSample::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == seite_ || watched == buchseite_)) {
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
