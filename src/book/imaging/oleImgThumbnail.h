#pragma once

#include "ImageFile.h"

#include <QAbstractListModel>
#include <QCache>
#include <QListView>
#include <QPixmap>

#include <memory>

namespace palvenor::imaging {

// Pages of a file as small pictures, decoded only when the view asks for
// them (that is, when they become visible) and kept in a cache.
class ThumbnailModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ThumbnailModel(QObject* parent = nullptr);

    void setFile(const QString& path);
    void setThumbSize(QSize size);
    QSize thumbSize() const { return size_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int decodedCount() const { return decoded_; }

private:
    QPixmap thumbnail(int page) const;

    std::unique_ptr<ImageFile> file_;
    QSize size_{96, 128};
    mutable QCache<int, QPixmap> cache_{400};
    mutable int decoded_ = 0;
};

// The thumbnail strip of a document window.
class oleImgThumbnail : public QListView {
    Q_OBJECT
public:
    explicit oleImgThumbnail(QWidget* parent = nullptr);

    QString Image() const { return image_; }
    void setImage(const QString& path);

    void setThumbSelected(int page, bool selected);
    bool ThumbSelected(int page) const;
    void DeselectAllThumbs();
    // Thumbnails in rows filling the whole view, or one column as a strip.
    void showAsAlbum(bool album);

    ThumbnailModel& model() { return model_; }

signals:
    // A click on the thumbnail of a page (1-based).
    void thumbClicked(int page);

private:
    QString image_;
    ThumbnailModel model_;
};

}  // namespace palvenor::imaging
