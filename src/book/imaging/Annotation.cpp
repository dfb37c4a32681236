#include "Annotation.h"

#include <QLineF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace palvenor::imaging {

namespace {

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    return QLineF(p, a + t * ab).length();
}

QPainterPath strokePath(const QList<QPointF>& points) {
    QPainterPath path;
    if (points.isEmpty()) return path;
    path.moveTo(points.first());
    for (qsizetype i = 1; i < points.size(); ++i) path.lineTo(points[i]);
    if (points.size() == 1) path.lineTo(points.first());  // a dot
    return path;
}

QPen linePen(const Annotation& a, Ink ink) {
    QPen pen(ink == Ink::Black ? QColor(Qt::black) : a.colour, a.lineWidth, Qt::SolidLine, Qt::RoundCap,
             Qt::RoundJoin);
    if (a.kind == AnnotationKind::Highlighter && ink == Ink::Black)
        pen.setBrush(QBrush(Qt::black, Qt::Dense6Pattern));  // a light screen of dots keeps the text readable
    if (a.kind == AnnotationKind::Highlighter) pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void paintLine(QPainter& painter, const Annotation& a, Ink ink) {
    painter.save();
    // A highlighter darkens the page like ink on paper: text stays black.
    if (a.kind == AnnotationKind::Highlighter && ink == Ink::OwnColours)
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.setPen(linePen(a, ink));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(strokePath(a.points));
    painter.restore();
}

void paintText(QPainter& painter, const Annotation& a, const QColor& colour, const QRectF& box, int flags) {
    painter.setPen(colour);
    painter.setFont(a.font);
    painter.drawText(box, flags, a.text);
}

void paintNote(QPainter& painter, const Annotation& a, Ink ink) {
    const QColor slip = ink == Ink::Black ? QColor(Qt::white) : a.background;
    painter.fillRect(a.box, slip);
    painter.setPen(QPen(ink == Ink::Black ? QColor(Qt::black) : slip.darker(160), 1));
    painter.drawRect(a.box);
    const double margin = a.font.pixelSize() / 4.0;
    paintText(painter, a, ink == Ink::Black ? QColor(Qt::black) : a.colour,
              a.box.adjusted(margin, margin, -margin, -margin), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop);
}

void paintStamp(QPainter& painter, const Annotation& a, Ink ink) {
    const QColor colour = ink == Ink::Black ? QColor(Qt::black) : a.colour;
    painter.setPen(QPen(colour, a.lineWidth));
    painter.setBrush(Qt::NoBrush);
    const double radius = a.box.height() / 6;
    painter.drawRoundedRect(a.box, radius, radius);
    paintText(painter, a, colour, a.box, Qt::AlignCenter);
}

void paintPicture(QPainter& painter, const Annotation& a) {
    const QImage picture = a.picture();
    if (!picture.isNull()) {
        painter.drawImage(a.box, picture);
        return;
    }
    // A linked picture that is gone: its place, crossed out, and its name.
    painter.setPen(QPen(Qt::red, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(a.box);
    painter.drawLine(a.box.topLeft(), a.box.bottomRight());
    painter.drawLine(a.box.topRight(), a.box.bottomLeft());
    painter.drawText(a.box, Qt::AlignCenter | Qt::TextWrapAnywhere, a.pictureFile);
}

}  // namespace

bool Annotation::isLine() const {
    return kind == AnnotationKind::FreehandLine || kind == AnnotationKind::Highlighter ||
           kind == AnnotationKind::StraightLine;
}

QRectF Annotation::bounds() const {
    const double half = lineWidth / 2 + 1;
    if (!isLine()) return box.normalized().adjusted(-half, -half, half, half);
    if (points.isEmpty()) return {};
    double left = points.first().x(), right = left, top = points.first().y(), bottom = top;
    for (const QPointF& p : points) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-half, -half, half, half);
}

bool Annotation::hits(QPointF point, double tolerance) const {
    if (!isLine()) return bounds().adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(point);
    const double reach = lineWidth / 2 + tolerance;
    if (points.size() == 1) return QLineF(point, points.first()).length() <= reach;
    for (qsizetype i = 1; i < points.size(); ++i)
        if (distanceToSegment(point, points[i - 1], points[i]) <= reach) return true;
    return false;
}

void Annotation::moveBy(QPointF offset) {
    for (QPointF& p : points) p += offset;
    box.translate(offset);
}

QImage Annotation::picture() const {
    if (pictureCache.isNull()) {
        if (kind == AnnotationKind::EmbeddedPicture) pictureCache = QImage::fromData(pictureData, "PNG");
        if (kind == AnnotationKind::LinkedPicture) pictureCache = QImage(pictureFile);
    }
    return pictureCache;
}

void paintAnnotation(QPainter& painter, const Annotation& a, Ink ink) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, ink == Ink::OwnColours);
    painter.setRenderHint(QPainter::TextAntialiasing, ink == Ink::OwnColours);
    switch (a.kind) {
    case AnnotationKind::FreehandLine:
    case AnnotationKind::Highlighter:
    case AnnotationKind::StraightLine: paintLine(painter, a, ink); break;
    case AnnotationKind::Frame:
        painter.setPen(QPen(ink == Ink::Black ? QColor(Qt::black) : a.colour, a.lineWidth, Qt::SolidLine,
                            Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(a.box);
        break;
    case AnnotationKind::FilledArea:
        painter.fillRect(a.box, ink == Ink::Black ? QColor(Qt::black) : a.colour);
        break;
    case AnnotationKind::Text:
        paintText(painter, a, ink == Ink::Black ? QColor(Qt::black) : a.colour, a.box,
                  Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop);
        break;
    case AnnotationKind::Note: paintNote(painter, a, ink); break;
    case AnnotationKind::Stamp: paintStamp(painter, a, ink); break;
    case AnnotationKind::EmbeddedPicture:
    case AnnotationKind::LinkedPicture: paintPicture(painter, a); break;
    }
    painter.restore();
}

}  // namespace palvenor::imaging
