#pragma once

#include "Annotation.h"

#include <QImage>
#include <QRectF>

#include <vector>

class QPainter;

namespace palvenor::imaging {

// The annotations of the shown page: added by the tools, marked and moved
// with the pointer, deleted, hidden and shown, and taken out to be burnt
// into the page. Functions that change what is drawn return the page area
// to repaint.
class AnnotationLayer {
public:
    const std::vector<Annotation>& items() const { return items_; }
    // Another page is shown: its annotations, none marked.
    void replace(std::vector<Annotation> annotations);

    QRectF add(Annotation annotation);
    // Marks the topmost visible annotation at point; `adding` keeps the
    // other marks, otherwise they go. False, and nothing changed, if no
    // annotation lies there.
    bool markAt(QPointF point, double tolerance, bool adding, QRectF* changed);
    QRectF unmarkAll();
    bool anyMarked() const;
    QRectF moveMarked(QPointF offset);
    QRectF deleteMarked();
    // Takes the annotations out of the layer: every one, or the marked ones.
    std::vector<Annotation> takeAll();
    std::vector<Annotation> takeMarked();

    bool hidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }

    // Paints the annotations that reach into area (page pixels), marked ones
    // with a dashed frame; nothing while hidden.
    void paint(QPainter& painter, const QRectF& area) const;

private:
    QRectF markedBounds() const;

    std::vector<Annotation> items_;
    bool hidden_ = false;
};

// The page with annotations burnt into its pixels, in the page's own format.
// Black-and-white pages take them as black ink; other pages in their own
// colours, or as black ink when `blackInk` is set.
QImage burnIn(const QImage& page, const std::vector<Annotation>& annotations, bool blackInk);

}  // namespace palvenor::imaging
