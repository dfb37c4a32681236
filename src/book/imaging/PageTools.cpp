#include "PageTools.h"

#include "Prompter.h"

#include <QDate>
#include <QFile>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace palvenor::imaging {

void PageTool::paint(QPainter&) const {}

void paintDashedFrame(QPainter& painter, const QRectF& frame, Qt::GlobalColor colour) {
    painter.setPen(QPen(colour, 0, Qt::DashLine));  // cosmetic: one screen pixel at any zoom
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
}

namespace {

QRectF spanned(QPointF a, QPointF b) { return QRectF(a, b).normalized(); }

// A dashed rectangle from where the button went down to the mouse.
class BandTool : public PageTool {
public:
    using PageTool::PageTool;

    void press(QPointF point, Qt::KeyboardModifiers) override {
        anchor_ = current_ = point;
        drawing_ = true;
    }
    void move(QPointF point) override {
        if (!drawing_) return;
        const QRectF before = band();
        current_ = point;
        host_.repaintPageArea(before | band());
    }
    void paint(QPainter& painter) const override {
        if (drawing_) paintDashedFrame(painter, band(), Qt::black);
    }

protected:
    // The last move, and the rectangle drawn no more.
    void finish(QPointF point) {
        move(point);
        drawing_ = false;
        host_.repaintPageArea(band());
    }
    QRectF band() const { return spanned(anchor_, current_); }

    QPointF anchor_;

private:
    QPointF current_;
    bool drawing_ = false;
};

// A rectangle drawn with the left button; on release it becomes the view's
// selection, in whole page pixels.
class SelectionTool final : public BandTool {
public:
    using BandTool::BandTool;

    void release(QPointF point) override {
        finish(point);
        const auto whole = [](double v) { return int(std::nearbyint(v)); };
        const QRectF drawn = band();
        const QPoint topLeft(whole(drawn.left()), whole(drawn.top()));
        host_.takeSelection(
            QRect(topLeft, QSize(whole(drawn.right()) - topLeft.x(), whole(drawn.bottom()) - topLeft.y())));
    }
};

// Marks the annotation under the mouse (with Shift or Ctrl in addition to
// the marked ones) and drags the marked annotations along.
class MarkingTool final : public PageTool {
public:
    using PageTool::PageTool;

    Qt::CursorShape cursor() const override { return Qt::ArrowCursor; }
    void press(QPointF point, Qt::KeyboardModifiers modifiers) override {
        AnnotationLayer& layer = host_.layer();
        QRectF changed;
        dragging_ = layer.markAt(point, 3 * host_.screenPixel(),
                                 modifiers & (Qt::ShiftModifier | Qt::ControlModifier), &changed);
        if (!dragging_) changed = layer.unmarkAll();
        host_.repaintPageArea(changed);
        if (dragging_) host_.reportMarked();
        last_ = point;
        moved_ = false;
    }
    void move(QPointF point) override {
        if (!dragging_ || point == last_) return;
        host_.repaintPageArea(host_.layer().moveMarked(point - last_));
        last_ = point;
        moved_ = true;
    }
    void release(QPointF point) override {
        move(point);
        if (moved_) host_.annotationsChanged();
        dragging_ = false;
    }

private:
    QPointF last_;
    bool dragging_ = false;
    bool moved_ = false;
};

Annotation lineAnnotation(AnnotationKind kind, const ToolAttributes& attributes) {
    Annotation a;
    a.kind = kind;
    a.colour = attributes.colour;
    a.lineWidth = attributes.lineWidth;
    return a;
}

// A freehand line or a highlighter stroke: the points the mouse passes.
// Each move repaints only the piece of line it adds.
class StrokeTool final : public PageTool {
public:
    StrokeTool(ToolHost& host, AnnotationKind kind, const ToolAttributes& attributes)
        : PageTool(host), stroke_(lineAnnotation(kind, attributes)) {}

    void press(QPointF point, Qt::KeyboardModifiers) override {
        stroke_.points = {point};
        drawing_ = true;
        host_.repaintPageArea(stroke_.bounds());
    }
    void move(QPointF point) override {
        if (!drawing_) return;
        const QPointF last = stroke_.points.back();
        if (QLineF(last, point).length() < host_.screenPixel() / 2) return;
        stroke_.points.append(point);
        const double reach = stroke_.lineWidth / 2 + 1;
        host_.repaintPageArea(spanned(last, point).adjusted(-reach, -reach, reach, reach));
    }
    void release(QPointF point) override {
        move(point);
        drawing_ = false;
        host_.repaintPageArea(host_.layer().add(stroke_));
        host_.annotationsChanged();
    }
    void paint(QPainter& painter) const override {
        if (drawing_) paintAnnotation(painter, stroke_);
    }

private:
    Annotation stroke_;
    bool drawing_ = false;
};

// A straight line, a frame or a filled area from the press to the release.
class ShapeTool final : public PageTool {
public:
    ShapeTool(ToolHost& host, AnnotationKind kind, const ToolAttributes& attributes)
        : PageTool(host), shape_(lineAnnotation(kind, attributes)) {}

    void press(QPointF point, Qt::KeyboardModifiers) override {
        anchor_ = point;
        spanTo(point);
        drawing_ = true;
    }
    void move(QPointF point) override {
        if (!drawing_) return;
        const QRectF before = shape_.bounds();
        spanTo(point);
        host_.repaintPageArea(before | shape_.bounds());
    }
    void release(QPointF point) override {
        move(point);
        drawing_ = false;
        if (!largeEnough()) {
            host_.repaintPageArea(shape_.bounds());
            return;
        }
        host_.repaintPageArea(host_.layer().add(shape_));
        host_.annotationsChanged();
    }
    void paint(QPainter& painter) const override {
        if (drawing_) paintAnnotation(painter, shape_);
    }

private:
    void spanTo(QPointF point) {
        if (shape_.isLine())
            shape_.points = {anchor_, point};
        else
            shape_.box = spanned(anchor_, point);
    }
    // A click draws nothing.
    bool largeEnough() const {
        const double pixel = host_.screenPixel();
        if (shape_.isLine()) return QLineF(shape_.points[0], shape_.points[1]).length() >= pixel;
        return shape_.box.width() >= pixel && shape_.box.height() >= pixel;
    }

    QPointF anchor_;
    Annotation shape_;
    bool drawing_ = false;
};

// The text an annotation gets when it is put down; nullopt when the user gave none.
using TextSource = std::function<std::optional<QString>(ToolHost& host)>;

std::optional<QString> askedText(ToolHost& host, const QString& prompt, const QString& title) {
    Prompter* prompter = host.prompter();
    return prompter ? prompter->input(prompt, title, QString()) : std::nullopt;
}

// A text file in UTF-8, or in Latin-1 when it is not valid UTF-8.
std::optional<QString> textOfFile(ToolHost& host) {
    Prompter* prompter = host.prompter();
    if (!prompter) return std::nullopt;
    const std::optional<QString> file = prompter->openFileName(
        QStringLiteral("Text aus Datei"), host.bookFolder(), QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)"));
    if (!file) return std::nullopt;
    QFile in(*file);
    if (!in.open(QIODevice::ReadOnly)) {
        prompter->critical(QStringLiteral("Die Datei ") + *file + QStringLiteral(" kann nicht gelesen werden."),
                           kAppTitle);
        return std::nullopt;
    }
    const QByteArray bytes = in.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

TextSource fixedText(const QString& stamp) {
    return [stamp](ToolHost&) -> std::optional<QString> {
        if (stamp == kDateStamp) return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
        return stamp;
    };
}

// Typed text, a note, text from a file or a stamp: a box dragged open, or a
// click where the box is to begin; then the text.
class TextBoxTool final : public BandTool {
public:
    TextBoxTool(ToolHost& host, AnnotationKind kind, const ToolAttributes& attributes, TextSource source)
        : BandTool(host), kind_(kind), attributes_(attributes), source_(std::move(source)) {}

    Qt::CursorShape cursor() const override { return Qt::IBeamCursor; }
    void release(QPointF point) override {
        finish(point);
        const std::optional<QString> text = source_(host_);
        if (!text || text->isEmpty()) return;
        host_.repaintPageArea(host_.layer().add(annotationWith(*text)));
        host_.annotationsChanged();
    }

private:
    Annotation annotationWith(const QString& text) const {
        Annotation a;
        a.kind = kind_;
        a.colour = attributes_.colour;
        a.background = attributes_.background;
        a.lineWidth = attributes_.lineWidth;
        a.font = attributes_.font;
        a.font.setPixelSize(std::max(1, int(std::lround(attributes_.font.pointSizeF() * host_.pageDpi() / 72))));
        a.text = text;
        const QRectF drawn = band();
        const double least = 4 * host_.screenPixel();
        a.box = drawn.width() >= least && drawn.height() >= least ? drawn : onPage(QRectF(anchor_, fittedSize(a)));
        return a;
    }
    // A box put down by a click, moved as far as it takes to lie on the page.
    QRectF onPage(QRectF box) const {
        const QRectF page = host_.pageArea();
        box.translate(std::min(0.0, page.right() - box.right()), std::min(0.0, page.bottom() - box.bottom()));
        box.translate(std::max(0.0, page.left() - box.left()), std::max(0.0, page.top() - box.top()));
        return box;
    }
    // The size the text needs, lines as they are up to some sixty characters.
    QSizeF fittedSize(const Annotation& a) const {
        const QFontMetricsF metrics(a.font);
        const double widest = 60 * metrics.averageCharWidth();
        const QRectF text = metrics.boundingRect(QRectF(0, 0, widest, 1e6), Qt::TextWordWrap, a.text);
        const double margin = kind_ == AnnotationKind::Text ? 0 : a.font.pixelSize() / 2.0;
        return {text.width() + metrics.averageCharWidth() + 2 * margin, text.height() + 2 * margin};
    }

    AnnotationKind kind_;
    ToolAttributes attributes_;
    TextSource source_;
};

}  // namespace

std::unique_ptr<PageTool> makeSelectionTool(ToolHost& host) { return std::make_unique<SelectionTool>(host); }

std::unique_ptr<PageTool> makeAnnotationTool(int tool, ToolHost& host, const ToolAttributes& attributes) {
    switch (tool) {
    case PointerTool: return std::make_unique<MarkingTool>(host);
    case FreehandTool: return std::make_unique<StrokeTool>(host, AnnotationKind::FreehandLine, attributes);
    case HighlighterTool: return std::make_unique<StrokeTool>(host, AnnotationKind::Highlighter, attributes);
    case LineTool: return std::make_unique<ShapeTool>(host, AnnotationKind::StraightLine, attributes);
    case FrameTool: return std::make_unique<ShapeTool>(host, AnnotationKind::Frame, attributes);
    case AreaTool: return std::make_unique<ShapeTool>(host, AnnotationKind::FilledArea, attributes);
    case TextTool:
        return std::make_unique<TextBoxTool>(host, AnnotationKind::Text, attributes, [](ToolHost& h) {
            return askedText(h, QStringLiteral("Text der Anmerkung:"), QStringLiteral("Text"));
        });
    case NoteTool:
        return std::make_unique<TextBoxTool>(host, AnnotationKind::Note, attributes, [](ToolHost& h) {
            return askedText(h, QStringLiteral("Text der Notiz:"), QStringLiteral("Notiz"));
        });
    case FileTextTool: return std::make_unique<TextBoxTool>(host, AnnotationKind::Text, attributes, textOfFile);
    default: return nullptr;
    }
}

std::unique_ptr<PageTool> makeStampTool(const QString& stamp, ToolHost& host, const ToolAttributes& attributes) {
    return std::make_unique<TextBoxTool>(host, AnnotationKind::Stamp, attributes, fixedText(stamp));
}

}  // namespace palvenor::imaging
