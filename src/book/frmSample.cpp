#include "frmSample.h"

#include "DocumentLoader.h"
#include "FrameLink.h"

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
    setAttribute(Qt::WA_DeleteOnClose);
    edit_ = new imaging::oleImgEdit;
    thumbnail_ = new imaging::oleImgThumbnail;
    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->addWidget(thumbnail_);
    splitter_->addWidget(edit_);
    splitter_->setStretchFactor(1, 1);
    thumbnail_->hide();
    setCentralWidget(splitter_);
    edit_->viewport()->installEventFilter(this);
    buildMenus();
    buildPageBar();
    connect(thumbnail_, &imaging::oleImgThumbnail::thumbClicked, this, [this](int page) {
        edit_->setPage(page);
        edit_->Display();
        refreshPageFields(page);
    });
    DocumentLoader(*this).setUpWindow();
}

frmSample::~frmSample() { emit closing(this); }

void frmSample::oeffnen() { DocumentLoader(*this).oeffnen(); }

void frmSample::Bild_vorhanden() { DocumentLoader(*this).Bild_vorhanden(); }

void frmSample::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* open = file->addAction(QStringLiteral("&Öffnen..."));
    open->setObjectName(QStringLiteral("mnuOpen"));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] { frame_.openPendingRequest(QString()); });
    file->addSeparator();
    QAction* current = file->addAction(QString());
    current->setObjectName(QStringLiteral("mnuAktuell"));
    current->setEnabled(false);
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("&Beenden"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, [this] { frame_.exitProgram(); });
    for (QAction* action : {open, current, exit}) controls_.add(action);
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
    connect(doppel, &QRadioButton::toggled, this, [this](bool on) { showDoublePages(on); });
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
    makeButton("rueck", QStringLiteral("◀"), QStringLiteral("Vorige Seite"));
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
    makeButton("vor", QStringLiteral("▶"), QStringLiteral("Nächste Seite"));
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

void frmSample::refreshPageFields(int p) {
    pages_.refreshFields(p);
    syncPageFields();
}

void frmSample::syncPageFields() {
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
    if (event->type() == QEvent::Paint && !paintNoticePending_) {
        paintNoticePending_ = true;
        QTimer::singleShot(0, this, [this] {
            paintNoticePending_ = false;
            frame_.documentPainted(*this);
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace palvenor
