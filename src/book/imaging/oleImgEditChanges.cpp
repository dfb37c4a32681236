#include "oleImgEdit.h"

#include "PageTransforms.h"
#include "PastedPicture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

namespace palvenor::imaging {

namespace {

// So many changes of the shown page can be taken back.
constexpr std::size_t kUndoSteps = 20;

// part in the pixel format of page, colours mapped to the page's own.
QImage inFormatOf(const QImage& part, const QImage& page) {
    if (page.format() == QImage::Format_Mono || page.format() == QImage::Format_Indexed8)
        return part.convertToFormat(page.format(), page.colorTable(), Qt::ThresholdDither);
    return part.convertToFormat(page.format());
}

}  // namespace

oleImgEdit::EditState oleImgEdit::currentState() const {
    return {picture_, info_, annotations_.items(), modified_};
}

void oleImgEdit::stepDone() {
    modified_ = true;
    undo_.push_back(std::move(settled_));
    if (undo_.size() > kUndoSteps) undo_.erase(undo_.begin());
    settled_ = currentState();
}

void oleImgEdit::forgetSteps() {
    dropPaste();
    undo_.clear();
    settled_ = currentState();
}

void oleImgEdit::stepsSaved() {
    modified_ = false;
    settled_.modified = false;
    for (EditState& state : undo_) state.modified = true;
}

int oleImgEdit::Undo() {
    if (pasted_) {
        dropPaste();
        modified_ = settled_.modified;
        return 0;
    }
    if (undo_.empty()) return ErrorNothingToUndo;
    settled_ = std::move(undo_.back());
    undo_.pop_back();
    picture_ = settled_.picture;
    info_ = settled_.info;
    annotations_.replace(settled_.annotations);
    modified_ = settled_.modified;
    setSelectionRect(QRect());
    applyFit();
    rebuildScaledPicture();
    return 0;
}

// The shown page gets a new picture from a change made in the view.
void oleImgEdit::takePicture(QImage picture) {
    picture_ = std::move(picture);
    info_.width = picture_.width();
    info_.height = picture_.height();
    setSelectionRect(QRect());
    stepDone();
    applyFit();
    rebuildScaledPicture();
}

void oleImgEdit::turn(Turn how) {
    CompletePaste();
    if (picture_.isNull()) return;
    const QTransform place = turning(picture_.size(), how);
    std::vector<Annotation> moved = annotations_.items();
    for (Annotation& a : moved) {
        a.box = place.mapRect(a.box);
        for (QPointF& point : a.points) point = place.map(point);
    }
    annotations_.replace(std::move(moved));
    if (how != Turn::Half) std::swap(info_.xResolution, info_.yResolution);
    takePicture(turned(picture_, how));
}

void oleImgEdit::RotateLeft() { turn(Turn::Left); }
void oleImgEdit::RotateRight() { turn(Turn::Right); }
void oleImgEdit::Flip() { turn(Turn::Half); }

void oleImgEdit::Invert() {
    CompletePaste();
    if (!picture_.isNull()) takePicture(inverted(picture_));
}

void oleImgEdit::Trim(const QRect& area) {
    CompletePaste();
    if (picture_.isNull() || area.intersected(picture_.rect()).isEmpty()) return;
    std::vector<Annotation> moved = annotations_.items();
    for (Annotation& a : moved) a.moveBy(-QPointF(area.topLeft()));
    annotations_.replace(std::move(moved));
    takePicture(trimmed(picture_, area));
}

void oleImgEdit::ClipboardCopy() {
    CompletePaste();
    const QRect area = selection_.intersected(picture_.rect());
    if (!area.isEmpty()) QGuiApplication::clipboard()->setImage(picture_.copy(area));
}

void oleImgEdit::ClipboardCut() {
    CompletePaste();
    const QRect area = selection_.intersected(picture_.rect());
    if (area.isEmpty()) return;
    QGuiApplication::clipboard()->setImage(picture_.copy(area));
    QImage white(area.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    place(white, area.topLeft());
}

bool oleImgEdit::IsClipboardDataAvailable() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return !picture_.isNull() && data && data->hasImage();
}

void oleImgEdit::ClipboardPaste() {
    if (!IsClipboardDataAvailable()) return;
    const QImage part = QGuiApplication::clipboard()->image();
    if (part.isNull()) return;
    CompletePaste();
    const QPoint at = selection_.isEmpty() ? toPage(QPointF(std::max(0, pageOrigin().x()), std::max(0, pageOrigin().y()))).toPoint()
                                           : selection_.topLeft();
    setSelectionRect(QRect());
    ToolHost& host = *this;
    pasted_ = std::make_unique<PastedPicture>(host, inFormatOf(part, picture_), at);
    modified_ = true;
    repaintPageArea(pasted_->area());
}

// The pasted picture goes into the page as one change; one dragged off the
// page altogether changes nothing.
void oleImgEdit::CompletePaste() {
    if (!pasted_) return;
    const QImage picture = pasted_->picture();
    const QPoint at = pasted_->position();
    dropPaste();
    modified_ = settled_.modified;
    place(picture, at);
}

void oleImgEdit::dropPaste() {
    if (!pasted_) return;
    repaintPageArea(pasted_->area());
    if (pressed_ == pasted_.get()) pressed_ = nullptr;
    pasted_.reset();
}

// Copies part onto the page with its top left corner at `at`, cut at the
// page's edges, as one change.
void oleImgEdit::place(const QImage& part, QPoint at) {
    const QImage converted = inFormatOf(part, picture_);
    QImage page = picture_.copy();
    const QRect area = QRect(at, converted.size()).intersected(page.rect());
    if (area.isEmpty()) return;
    if (page.format() == QImage::Format_Mono || page.format() == QImage::Format_Indexed8) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                page.setPixel(x, y, converted.pixelIndex(x - at.x(), y - at.y()));
    } else {
        QPainter painter(&page);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(at, converted);
    }
    takePicture(std::move(page));
}

}  // namespace palvenor::imaging
