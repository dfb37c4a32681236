#include "PastedPicture.h"

#include <QPainter>

#include <cmath>

namespace palvenor::imaging {

PastedPicture::PastedPicture(ToolHost& host, QImage picture, QPoint at)
    : PageTool(host), picture_(std::move(picture)), at_(at) {}

void PastedPicture::press(QPointF point, Qt::KeyboardModifiers) {
    grabPoint_ = point;
    grabbedAt_ = at_;
    dragging_ = true;
}

void PastedPicture::move(QPointF point) {
    if (!dragging_) return;
    const QPointF way = point - grabPoint_;
    const QPoint to = grabbedAt_ + QPoint(int(std::nearbyint(way.x())), int(std::nearbyint(way.y())));
    if (to == at_) return;
    const QRectF before = area();
    at_ = to;
    host_.repaintPageArea(before | area());
}

void PastedPicture::release(QPointF point) {
    move(point);
    dragging_ = false;
}

void PastedPicture::paint(QPainter& painter) const {
    painter.drawImage(at_, picture_);
    paintDashedFrame(painter, area(), Qt::blue);
}

}  // namespace palvenor::imaging
