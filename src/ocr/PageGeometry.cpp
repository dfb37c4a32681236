#include "PageGeometry.h"

#include <QPolygonF>
#include <QTransform>

namespace palvenor::ocr {

void PageGeometry::turnClockwise(int quarterTurns)
{
    quarterTurns_ = ((quarterTurns_ + quarterTurns) % 4 + 4) % 4;
}

QSize PageGeometry::turnedSize() const
{
    return quarterTurns_ % 2 ? picture_.transposed() : picture_;
}

QRect PageGeometry::toPicture(const QRect& box) const
{
    return unturn(unrotate(box)).intersected(QRect(QPoint(0, 0), picture_));
}

// Undoes the rotation about the centre of the turned page. With y growing
// downwards, QTransform::rotate turns clockwise, as pixRotate does.
QRect PageGeometry::unrotate(const QRect& box) const
{
    if (degrees_ == 0)
        return box;
    const QSize turned = turnedSize();
    const QPointF centre(turned.width() / 2.0, turned.height() / 2.0);
    QTransform back;
    back.translate(centre.x(), centre.y());
    back.rotate(-degrees_);
    back.translate(-centre.x(), -centre.y());
    return back.map(QPolygonF(QRectF(box))).boundingRect().toAlignedRect();
}

// Undoes the quarter turns one at a time. A clockwise turn of a page of
// height h moves the box (x, y, w, h') to (h - y - h', x, h', w).
QRect PageGeometry::unturn(const QRect& box) const
{
    QRect result = box;
    QSize size = turnedSize();
    for (int turn = 0; turn < quarterTurns_; ++turn) {
        const QSize before = size.transposed();
        result = QRect(result.top(), size.width() - result.left() - result.width(), result.height(),
                       result.width());
        size = before;
    }
    return result;
}

}  // namespace palvenor::ocr
