#include "SelectionPanel.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace palvenor::acquire {

namespace {

// The list's size and the frame's, 3255 × 5130 and 3255 × 2055 twips at
// 15 twips to the pixel.
constexpr int kListWidth = 217;
constexpr int kListHeight = 342;
constexpr int kFrameWidth = 217;
constexpr int kFrameHeight = 137;
constexpr int kEdgeGap = 10;
constexpr int kPreviewSize = 160;

// Entries sort alphabetically whatever their case: a.tif, b.tif, C.tif.
class FileItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override {
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

}  // namespace

SelectionPanel::SelectionPanel(QWidget& window) : QObject(&window), window_(window) {
    list_ = new QListWidget(&window);
    list_->setObjectName(QStringLiteral("List1"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSortingEnabled(true);
    list_->resize(kListWidth, kListHeight);
    frame_ = new QFrame(&window);
    frame_->setObjectName(QStringLiteral("Frame3"));
    frame_->setFrameShape(QFrame::Box);
    frame_->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(frame_);
    auto* hint = new QLabel(QStringLiteral("Gewünschte Dateien markieren und START drücken"));
    hint->setObjectName(QStringLiteral("Label2"));
    hint->setWordWrap(true);
    auto* start = new QPushButton(QStringLiteral("Start"));
    start->setObjectName(QStringLiteral("Start"));
    preview_ = new QLabel;
    preview_->setObjectName(QStringLiteral("picNeueSeite"));
    preview_->setAlignment(Qt::AlignCenter);
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("Fortschritt"));
    cancel_ = new QPushButton(QStringLiteral("Abbrechen"));
    cancel_->setObjectName(QStringLiteral("cmdAbbrechen"));
    layout->addWidget(hint);
    layout->addWidget(start);
    for (QWidget* part : progressParts()) layout->addWidget(part);
    connect(start, &QPushButton::clicked, this, &SelectionPanel::startClicked);
    connect(cancel_, &QPushButton::clicked, this, &SelectionPanel::cancelClicked);
    endProgress();
    hide();
}

std::array<QWidget*, 3> SelectionPanel::progressParts() const { return {preview_, progress_, cancel_}; }

void SelectionPanel::clear() { list_->clear(); }

void SelectionPanel::setEntries(const QStringList& names) {
    clear();
    for (const QString& name : names) addEntry(name);
}

void SelectionPanel::addEntry(const QString& name) { list_->addItem(new FileItem(name)); }

int SelectionPanel::count() const { return list_->count(); }

QString SelectionPanel::entry(int index) const { return list_->item(index)->text(); }

bool SelectionPanel::isSelected(int index) const { return list_->item(index)->isSelected(); }

void SelectionPanel::setSelected(int index, bool selected) { list_->item(index)->setSelected(selected); }

void SelectionPanel::place(int top, int height) {
    const int left = window_.width() - list_->width() - kEdgeGap;
    list_->setGeometry(left, top, list_->width(), std::max(kFrameHeight, height));
    frame_->setGeometry(left - kFrameWidth, top, kFrameWidth, std::max(kFrameHeight, frame_->sizeHint().height()));
}

void SelectionPanel::show() {
    list_->show();
    frame_->show();
    list_->raise();
    frame_->raise();
}

bool SelectionPanel::isShown() const { return !list_->isHidden(); }

void SelectionPanel::hide() {
    list_->hide();
    frame_->hide();
}

void SelectionPanel::beginProgress(int steps) {
    progress_->setRange(0, steps);
    progress_->setValue(0);
    preview_->clear();
    for (QWidget* part : progressParts()) part->show();
    frame_->resize(kFrameWidth, std::max(kFrameHeight, frame_->sizeHint().height()));
    frame_->show();
    frame_->raise();
}

void SelectionPanel::step(int done, const QImage& page) {
    progress_->setValue(done);
    if (!page.isNull())
        preview_->setPixmap(QPixmap::fromImage(page.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio)));
}

// A frame shown only for the progress goes with it.
void SelectionPanel::endProgress() {
    for (QWidget* part : progressParts()) part->hide();
    if (list_->isHidden()) frame_->hide();
}

}  // namespace palvenor::acquire
