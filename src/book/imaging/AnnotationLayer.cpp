#include "AnnotationLayer.h"

#include "PageTools.h"

#include <QPainter>

#include <algorithm>

namespace palvenor::imaging {

namespace {

QRectF boundsOf(const std::vector<Annotation>& annotations) {
    QRectF area;
    for (const Annotation& a : annotations) area |= a.bounds();
    return area;
}

// A black-and-white page takes the annotations as ink: they are painted in
// black on a transparent sheet, and every pixel the sheet covers becomes ink
// or paper as the sheet, dithered to black and white, has it there (a note's
// slip is paper, a picture's colours become a pattern of dots).
QImage burnIntoBlackAndWhite(const QImage& page, const std::vector<Annotation>& annotations) {
    const QRect area = boundsOf(annotations).toAlignedRect().intersected(page.rect());
    if (area.isEmpty()) return page;
    QImage sheet(area.size(), QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    painter.translate(-area.topLeft());
    for (const Annotation& a : annotations) paintAnnotation(painter, a, Ink::Black);
    painter.end();
    QImage flat(area.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, sheet);
    const QImage dithered = flat.convertToFormat(QImage::Format_Mono, Qt::DiffuseDither);
    const uint darkIndex = qGray(dithered.color(1)) < qGray(dithered.color(0)) ? 1 : 0;

    QImage result = page.copy();
    const uint ink = qGray(page.color(1)) < qGray(page.color(0)) ? 1 : 0;
    for (int y = 0; y < area.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(sheet.constScanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            if (qAlpha(line[x]) < 128) continue;
            const bool dark = uint(dithered.pixelIndex(x, y)) == darkIndex;
            result.setPixel(area.left() + x, area.top() + y, dark ? ink : 1 - ink);
        }
    }
    return result;
}

QImage burnIntoColours(const QImage& page, const std::vector<Annotation>& annotations, Ink ink) {
    QImage canvas = page.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&canvas);
    for (const Annotation& a : annotations) paintAnnotation(painter, a, ink);
    painter.end();
    switch (page.format()) {
    case QImage::Format_Grayscale8: return canvas.convertToFormat(QImage::Format_Grayscale8);
    case QImage::Format_Indexed8:
        return canvas.convertToFormat(QImage::Format_Indexed8, page.colorTable(), Qt::ThresholdDither);
    default: return canvas;
    }
}

}  // namespace

void AnnotationLayer::replace(std::vector<Annotation> annotations) {
    items_ = std::move(annotations);
    for (Annotation& a : items_) a.marked = false;
}

QRectF AnnotationLayer::add(Annotation annotation) {
    items_.push_back(std::move(annotation));
    return items_.back().bounds();
}

bool AnnotationLayer::markAt(QPointF point, double tolerance, bool adding, QRectF* changed) {
    if (hidden_) return false;
    const auto hit = std::find_if(items_.rbegin(), items_.rend(),
                                  [&](const Annotation& a) { return a.hits(point, tolerance); });
    if (hit == items_.rend()) return false;
    *changed = adding ? QRectF() : unmarkAll();
    hit->marked = true;
    *changed |= hit->bounds();
    return true;
}

QRectF AnnotationLayer::unmarkAll() {
    const QRectF area = markedBounds();
    for (Annotation& a : items_) a.marked = false;
    return area;
}

bool AnnotationLayer::anyMarked() const {
    return std::any_of(items_.begin(), items_.end(), [](const Annotation& a) { return a.marked; });
}

QRectF AnnotationLayer::markedBounds() const {
    QRectF area;
    for (const Annotation& a : items_)
        if (a.marked) area |= a.bounds();
    return area;
}

QRectF AnnotationLayer::moveMarked(QPointF offset) {
    QRectF area = markedBounds();
    for (Annotation& a : items_)
        if (a.marked) a.moveBy(offset);
    return area | markedBounds();
}

QRectF AnnotationLayer::deleteMarked() { return boundsOf(takeMarked()); }

std::vector<Annotation> AnnotationLayer::takeAll() { return std::exchange(items_, {}); }

std::vector<Annotation> AnnotationLayer::takeMarked() {
    std::vector<Annotation> taken;
    std::vector<Annotation> kept;
    for (Annotation& a : items_) (a.marked ? taken : kept).push_back(std::move(a));
    items_ = std::move(kept);
    return taken;
}

void AnnotationLayer::paint(QPainter& painter, const QRectF& area) const {
    if (hidden_) return;
    for (const Annotation& a : items_) {
        if (!a.bounds().intersects(area)) continue;
        paintAnnotation(painter, a);
        if (a.marked) paintDashedFrame(painter, a.bounds(), Qt::blue);
    }
}

QImage burnIn(const QImage& page, const std::vector<Annotation>& annotations, bool blackInk) {
    if (annotations.empty()) return page;
    if (page.format() == QImage::Format_Mono || page.format() == QImage::Format_MonoLSB)
        return burnIntoBlackAndWhite(page, annotations);
    return burnIntoColours(page, annotations, blackInk ? Ink::Black : Ink::OwnColours);
}

}  // namespace palvenor::imaging
