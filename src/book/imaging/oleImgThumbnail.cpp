#include "oleImgThumbnail.h"

#include "PageScaling.h"

#include <QPainter>

namespace palvenor::imaging {

ThumbnailModel::ThumbnailModel(QObject* parent) : QAbstractListModel(parent) {}

void ThumbnailModel::setFile(const QString& path) {
    beginResetModel();
    cache_.clear();
    file_.reset();
    if (!path.isEmpty()) {
        ImagingError error;
        file_ = ImageFile::open(path, &error);
    }
    endResetModel();
}

void ThumbnailModel::setThumbSize(QSize size) {
    if (size == size_) return;
    beginResetModel();
    size_ = size;
    cache_.clear();
    endResetModel();
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !file_) return 0;
    return file_->pageCount();
}

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int page = index.row() + 1;
    switch (role) {
    case Qt::DecorationRole: return thumbnail(page);
    case Qt::DisplayRole: return QString::number(page);
    case Qt::SizeHintRole: return QSize(size_.width() + 8, size_.height() + 24);
    default: return {};
    }
}

QPixmap ThumbnailModel::thumbnail(int page) const {
    if (QPixmap* cached = cache_.object(page)) return *cached;
    ImagingError error;
    const QImage picture = file_->readPage(page, &error);
    QPixmap pixmap(size_);
    pixmap.fill(Qt::lightGray);
    if (!picture.isNull()) {
        const QImage small = shrinkPage(picture, picture.size().scaled(size_, Qt::KeepAspectRatio));
        QPainter painter(&pixmap);
        painter.drawImage((size_.width() - small.width()) / 2, (size_.height() - small.height()) / 2,
                          small);
    }
    ++decoded_;
    cache_.insert(page, new QPixmap(pixmap));
    return pixmap;
}

oleImgThumbnail::oleImgThumbnail(QWidget* parent) : QListView(parent) {
    setObjectName(QStringLiteral("oleImgThumbnail1"));
    setModel(&model_);
    setViewMode(QListView::IconMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(model_.thumbSize());
    connect(this, &QListView::clicked, this,
            [this](const QModelIndex& index) { emit thumbClicked(index.row() + 1); });
}

void oleImgThumbnail::setImage(const QString& path) {
    image_ = path;
    model_.setFile(path);
}

void oleImgThumbnail::setThumbSelected(int page, bool selected) {
    const QModelIndex index = model_.index(page - 1);
    if (!index.isValid()) return;
    selectionModel()->select(index, selected ? QItemSelectionModel::ClearAndSelect
                                             : QItemSelectionModel::Deselect);
    if (selected) scrollTo(index);
}

bool oleImgThumbnail::ThumbSelected(int page) const {
    return selectionModel()->isSelected(model_.index(page - 1));
}

void oleImgThumbnail::DeselectAllThumbs() { clearSelection(); }

void oleImgThumbnail::showAsAlbum(bool album) {
    setFlow(album ? QListView::LeftToRight : QListView::TopToBottom);
    setWrapping(album);
}

}  // namespace palvenor::imaging
