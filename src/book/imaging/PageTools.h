#pragma once

// What the left mouse button does in the page view is up to the tool that is
// plugged into it: drawing a selection rectangle, marking and moving
// annotations, or drawing one kind of annotation. The view hands each tool
// the mouse in page pixels; the tool tells the view, through ToolHost, what
// changed and which part of the page to repaint.

#include "AnnotationLayer.h"
#include "ToolAttributes.h"

#include <QPointF>
#include <QRectF>

#include <memory>

class QPainter;

namespace palvenor {
class Prompter;
}

namespace palvenor::imaging {

class ToolHost {
public:
    virtual ~ToolHost() = default;
    virtual AnnotationLayer& layer() = 0;
    virtual void repaintPageArea(const QRectF& area) = 0;
    // A selection rectangle was drawn; empty for a click.
    virtual void takeSelection(const QRect& area) = 0;
    virtual void annotationsChanged() = 0;
    virtual void reportMarked() = 0;
    // How many page pixels one screen pixel covers.
    virtual double screenPixel() const = 0;
    virtual double pageDpi() const = 0;
    // The page in page pixels.
    virtual QRectF pageArea() const = 0;
    virtual Prompter* prompter() = 0;
    // The folder of the shown book, where file dialogs start; empty without one.
    virtual QString bookFolder() const = 0;
};

class PageTool {
public:
    explicit PageTool(ToolHost& host) : host_(host) {}
    virtual ~PageTool() = default;

    virtual Qt::CursorShape cursor() const { return Qt::CrossCursor; }
    virtual void press(QPointF point, Qt::KeyboardModifiers modifiers) = 0;
    virtual void move(QPointF point) = 0;
    virtual void release(QPointF point) = 0;
    // What the tool shows while the button is down, painted in page pixels.
    virtual void paint(QPainter& painter) const;

protected:
    ToolHost& host_;
};

// A dashed frame one screen pixel wide at any zoom, as the rubber band, the
// selection and what is marked or pasted are shown.
void paintDashedFrame(QPainter& painter, const QRectF& frame, Qt::GlobalColor colour);

std::unique_ptr<PageTool> makeSelectionTool(ToolHost& host);
// The pointer, freehand line, highlighter, straight line, frame, area, typed
// text, note and text from a file: tools 1 to 9.
std::unique_ptr<PageTool> makeAnnotationTool(int tool, ToolHost& host, const ToolAttributes& attributes);
// The stamp tool putting down the stamp of that text.
std::unique_ptr<PageTool> makeStampTool(const QString& stamp, ToolHost& host, const ToolAttributes& attributes);

}  // namespace palvenor::imaging
