#pragma once

#include "PageTools.h"

#include <QImage>
#include <QPoint>

namespace palvenor::imaging {

// A picture pasted onto the page that is not part of it yet: it lies over
// the page, and the left button drags it about in whole page pixels until
// the view fixes it into the page.
class PastedPicture final : public PageTool {
public:
    PastedPicture(ToolHost& host, QImage picture, QPoint at);

    const QImage& picture() const { return picture_; }
    QPoint position() const { return at_; }
    // Where it lies, in page pixels.
    QRectF area() const { return QRectF(at_, picture_.size()); }
    bool contains(QPointF point) const { return area().contains(point); }

    Qt::CursorShape cursor() const override { return Qt::SizeAllCursor; }
    void press(QPointF point, Qt::KeyboardModifiers modifiers) override;
    void move(QPointF point) override;
    void release(QPointF point) override;
    // The picture with a dashed frame, which it keeps while it can be moved.
    void paint(QPainter& painter) const override;

private:
    QImage picture_;
    QPoint at_;
    QPoint grabbedAt_;     // its position when the button went down
    QPointF grabPoint_;    // where the button went down
    bool dragging_ = false;
};

}  // namespace palvenor::imaging
