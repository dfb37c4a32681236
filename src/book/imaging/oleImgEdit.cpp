#include "oleImgEdit.h"

#include "AnnotationTag.h"
#include "BookReplacement.h"
#include "PageAdmin.h"
#include "PageScaling.h"
#include "PastedPicture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QIODevice>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>
#include <array>

#include <tiffio.h>

namespace palvenor::imaging {

namespace {

QImage blankPicture(int width, int height, int pageType) {
    switch (pageType) {
    case PageTypeBlackWhite: {
        QImage image(width, height, QImage::Format_Mono);
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        image.fill(0);
        return image;
    }
    case PageTypeGray4:
    case PageTypeGray8: {
        QImage image(width, height, QImage::Format_Grayscale8);
        image.fill(Qt::white);
        return image;
    }
    case PageTypePalette4:
    case PageTypePalette8: {
        QImage image(width, height, QImage::Format_Indexed8);
        const int colours = pageType == PageTypePalette4 ? 16 : 256;
        QList<QRgb> table;
        for (int i = 0; i < colours; ++i) {
            const int v = 255 - i * 255 / (colours - 1);
            table << qRgb(v, v, v);
        }
        image.setColorTable(table);
        image.fill(0);
        return image;
    }
    default: {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }
    }
}

}  // namespace

oleImgEdit::oleImgEdit(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("oleImgEdit1"));
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(24);
    verticalScrollBar()->setSingleStep(24);
    selectionTool_ = makeSelectionTool(*this);
}

oleImgEdit::~oleImgEdit() = default;

void oleImgEdit::setImage(const QString& path) {
    showUnsavedPages(path);
    image_ = path;
}

void oleImgEdit::showUnsavedPages(const QString& path) {
    image_.clear();
    pagesFile_ = path;
    file_.reset();
    status_ = {};
    if (path.isEmpty()) return;
    file_ = ImageFile::open(path, &status_);
}

void oleImgEdit::setPage(int page) { page_ = page; }

int oleImgEdit::PageCount() const {
    if (file_) return file_->pageCount();
    return picture_.isNull() ? 0 : 1;
}

int oleImgEdit::FileType() const {
    return file_ ? file_->fileType() : (picture_.isNull() ? FileTypeUnknown : FileTypeTiff);
}

void oleImgEdit::Display() {
    if (!file_) {
        if (status_.ok() && !pagesFile_.isEmpty()) file_ = ImageFile::open(pagesFile_, &status_);
        if (!file_) return;
    }
    if (page_ < 1 || page_ > file_->pageCount()) {
        status_ = {StatusBadPageNumber,
                   QStringLiteral("Die Seite %1 gibt es in dieser Datei nicht.").arg(page_)};
        return;
    }
    QImage picture = file_->readPage(page_, &status_);
    if (picture.isNull()) return;
    picture_ = std::move(picture);
    pictureAsRead_ = picture_.cacheKey();
    info_ = file_->pageInfo(page_);
    annotations_.replace(decodeAnnotations(file_->annotationData(page_)).value_or(std::vector<Annotation>{}));
    annotationsAsRead_ = encodeAnnotations(annotations_.items());
    modified_ = false;
    forgetSteps();
    rebuildScaledPicture();
    emit pageShown(page_);
}

void oleImgEdit::Refresh() {
    rebuildScaledPicture();
    viewport()->update();
}

void oleImgEdit::ClearDisplay() {
    picture_ = QImage();
    annotations_.replace({});
    scaledPixmap_ = QPixmap();
    info_ = {};
    forgetSteps();
    updateScrollBars();
    viewport()->update();
}

void oleImgEdit::DisplayBlankImage(int width, int height, double xResolution, double yResolution,
                                   int pageType) {
    picture_ = blankPicture(width, height, pageType);
    picture_.setDotsPerMeterX(qRound(xResolution / 0.0254));
    picture_.setDotsPerMeterY(qRound(yResolution / 0.0254));
    info_ = {width, height, xResolution, yResolution, pageType, 1, QStringLiteral("unkomprimiert")};
    annotations_.replace({});
    file_.reset();
    page_ = 1;
    status_ = {};
    forgetSteps();
    rebuildScaledPicture();
}

namespace {

ImagingError writeBitmap(const QString& file, const QImage& picture) {
    QString reason;
    if (replaceFile(file, [&](QIODevice& out) { return picture.save(&out, "BMP"); }, &reason)) return {};
    return writeFailure(file, reason);
}

}  // namespace

// The shown page as it goes into a book. While its pixels are as read from
// a TIFF it is copied as it is, with every entry and its strips; a
// black-and-white page only when it is G4 already, as black-and-white pages
// are always stored as G4. Otherwise its picture is encoded: black-and-white
// as G4, other pages with their own compression where libtiff can write it,
// else LZW. Its annotations are the view's; while they too are as read, the
// page goes unchanged, so saving it into its own book keeps it where it lies.
PageSource oleImgEdit::shownPageSource() const {
    PageSource source;
    const QByteArray annotations = encodeAnnotations(annotations_.items());
    const bool blackAndWhite = info_.pageType == PageTypeBlackWhite;
    if (file_ && file_->fileType() == FileTypeTiff && picture_.cacheKey() == pictureAsRead_ &&
        (!blackAndWhite || info_.compression == COMPRESSION_CCITTFAX4)) {
        source.file = pagesFile_;
        source.page = page_;
        if (annotations != annotationsAsRead_) source.annotations = annotations;
        return source;
    }
    source.annotations = annotations;
    if (file_ && file_->fileType() == FileTypeTiff) {  // the page lends the new picture its describing entries
        source.file = pagesFile_;
        source.page = page_;
    }
    source.picture = picture_;
    source.resolution = info_.xResolution > 0 ? info_.xResolution : 300;
    source.yResolution = info_.xResolution > 0 ? info_.yResolution : 0;
    source.quarterTurned = !source.file.isEmpty() && turnedAcross();
    // A new page has no compression of its own yet: the page type's default.
    source.pictureCompression = blackAndWhite ? COMPRESSION_CCITTFAX4 : file_ ? info_.compression : 0;
    return source;
}

// Whether the shown page lies across its page in the file: a quarter turn
// swaps the resolutions, so they are the file page's the other way round.
bool oleImgEdit::turnedAcross() const {
    const PageInfo asRead = file_->pageInfo(page_);
    return asRead.xResolution != asRead.yResolution && info_.xResolution == asRead.yResolution &&
           info_.yResolution == asRead.xResolution;
}

std::vector<PageSource> oleImgEdit::pagesWithShownPageAt(const QString& file, int page) const {
    std::vector<PageSource> pages;
    std::unique_ptr<ImageFile> existing;
    if (QFileInfo(file).isFile()) {
        ImagingError ignored;
        existing = ImageFile::open(file, &ignored);
    }
    const int count = existing ? existing->pageCount() : 0;
    for (int i = 1; i <= std::max(count, page); ++i) {
        if (i == page)
            pages.push_back(shownPageSource());
        else if (i <= count)
            pages.push_back(pageOfFile(file, i));
    }
    return pages;
}

void oleImgEdit::SavePage(const QString& file, int fileType, int page) {
    CompletePaste();
    if (picture_.isNull()) {
        status_ = {StatusBadPageNumber, QStringLiteral("Es wird keine Seite angezeigt.")};
        return;
    }
    status_ = fileType == FileTypeBmp ? writeBitmap(file, picture_)
                                      : writeBook(file, pagesWithShownPageAt(file, page));
    if (status_.ok() && file == image_) reopen();
}

QString oleImgEdit::bookFolder() const { return image_.isEmpty() ? QString() : QFileInfo(image_).absolutePath(); }

void oleImgEdit::Save() { SavePage(image_, FileType(), page_); }

void oleImgEdit::SaveAs(const QString& file, int fileType) {
    CompletePaste();
    if (fileType == FileTypeBmp || !file_) {
        SavePage(file, fileType, 1);
        return;
    }
    std::vector<PageSource> pages;
    for (int i = 1; i <= file_->pageCount(); ++i)
        pages.push_back(i == page_ && modified_ ? shownPageSource() : pageOfFile(pagesFile_, i));
    status_ = writeBook(file, pages);
}

// The file changed on disk: read its directories again, keep the shown page.
void oleImgEdit::reopen() {
    ImagingError error;
    file_ = ImageFile::open(pagesFile_, &error);
    stepsSaved();
}

void oleImgEdit::PageProperties(Prompter& prompter) const {
    static const char* const kPageTypes[] = {"unbekannt", "Schwarz-Weiß", "Grau 4", "Grau 8",
                                             "Palette 4", "Palette 8", "RGB 24", "BGR 24"};
    const int type = info_.pageType >= 0 && info_.pageType <= 7 ? info_.pageType : 0;
    const QString text =
        QStringLiteral("Datei: %1\nSeite %2 von %3\nGröße: %4 × %5 Pixel\nAuflösung: %6 × %7 dpi\n"
                       "Seitentyp: %8\nKompression: %9")
            .arg(image_)
            .arg(page_)
            .arg(PageCount())
            .arg(info_.width)
            .arg(info_.height)
            .arg(info_.xResolution)
            .arg(info_.yResolution)
            .arg(QString::fromUtf8(kPageTypes[type]))
            .arg(info_.compressionInfo);
    prompter.message(text, QStringLiteral("Seiteneigenschaften"), Prompter::Buttons::Ok,
                     Prompter::Icon::Information);
}

void oleImgEdit::setZoom(float percent) {
    fitMode_ = -1;
    applyZoom(percent);
}

void oleImgEdit::applyZoom(float percent) {
    if (percent == zoom_) return;
    zoom_ = percent;
    rebuildScaledPicture();
    emit zoomChanged(zoom_);
}

void oleImgEdit::FitTo(int fitType) {
    fitMode_ = fitType;
    applyFit();
}

void oleImgEdit::applyFit() {
    if (picture_.isNull() || fitMode_ < 0) return;
    const QSize area = viewport()->size();
    const double byWidth = 100.0 * area.width() / picture_.width();
    const double byHeight = 100.0 * area.height() / picture_.height();
    switch (fitMode_) {
    case FitToWidth: applyZoom(static_cast<float>(byWidth)); break;
    case FitToHeight: applyZoom(static_cast<float>(byHeight)); break;
    case ActualSize: applyZoom(100.0f); break;
    default: applyZoom(static_cast<float>(std::min(byWidth, byHeight))); break;
    }
}

void oleImgEdit::ZoomToSelection() {
    const QRect selection = selection_.intersected(picture_.rect());
    if (selection.isEmpty()) return;
    const QSize area = viewport()->size();
    const double zoom = 100.0 * std::min(double(area.width()) / selection.width(),
                                         double(area.height()) / selection.height());
    setZoom(static_cast<float>(zoom));
    updateScrollBars();
    horizontalScrollBar()->setValue(qRound(selection.left() * zoom / 100.0));
    verticalScrollBar()->setValue(qRound(selection.top() * zoom / 100.0));
    viewport()->update();
}

void oleImgEdit::setDisplayScaleAlgorithm(int algorithm) { scaleAlgorithm_ = algorithm; }

QSize oleImgEdit::scaledSize() const {
    if (picture_.isNull()) return {};
    return {std::max(1, qRound(picture_.width() * zoom_ / 100.0)),
            std::max(1, qRound(picture_.height() * zoom_ / 100.0))};
}

// Zoomed out, the page is scaled once per zoom so painting and scrolling only
// copy pixels; zoomed in, painting scales the visible part of the full page.
// The picture or the zoom changed: the screen copy is made anew at the next
// paint, so a page turned several times before it is painted is scaled once.
void oleImgEdit::rebuildScaledPicture() {
    scaledPixmap_ = QPixmap();
    updateScrollBars();
    viewport()->update();
}

// A page smaller than its pixels: averaged, and for a black-and-white page
// shown crisp, black wherever enough ink falls into a screen pixel, so thin
// strokes stay visible instead of dropping out.
QImage oleImgEdit::scaledDown() const {
    if (picture_.format() != QImage::Format_Mono) return shrinkPage(picture_, scaledSize());
    constexpr int kInkThreshold = 215;
    const bool crisp = scaleAlgorithm_ != ScaleGray;
    std::array<QRgb, 256> shade;
    for (int paper = 0; paper < 256; ++paper) {
        const int level = crisp ? (paper < kInkThreshold ? 0 : 255) : paper;
        shade[paper] = qRgb(level, level, level);
    }
    // Straight into the screen's pixel format, so painting copies no more.
    return shrinkBlackAndWhiteToScreen(picture_, scaledSize(), shade);
}

void oleImgEdit::updateScrollBars() {
    const QSize content = scaledSize();
    const QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - area.width()));
    verticalScrollBar()->setRange(0, std::max(0, content.height() - area.height()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setPageStep(area.height());
}

// Where the page's top left corner is in the view: a page smaller than the
// view is centred, a larger one follows the scroll bars.
QPoint oleImgEdit::pageOrigin() const {
    const QSize content = scaledSize();
    const QSize area = viewport()->size();
    return {content.width() < area.width() ? (area.width() - content.width()) / 2 : -horizontalScrollBar()->value(),
            content.height() < area.height() ? (area.height() - content.height()) / 2
                                             : -verticalScrollBar()->value()};
}

QPointF oleImgEdit::toPage(QPointF viewPoint) const { return (viewPoint - pageOrigin()) * screenPixel(); }

void oleImgEdit::paintEvent(QPaintEvent* event) {
    if (picture_.isNull()) return;
    QPainter painter(viewport());
    const QPoint origin = pageOrigin();
    const QRect target = QRect(origin, scaledSize()).intersected(event->rect());
    if (target.isEmpty()) return;
    paintPage(painter, origin, target);
    paintOverlay(painter, origin, target);
}

void oleImgEdit::paintPage(QPainter& painter, QPoint origin, const QRect& target) {
    if (zoom_ < 100.0f) {
        if (scaledPixmap_.isNull()) scaledPixmap_ = QPixmap::fromImage(scaledDown(), Qt::NoFormatConversion);
        painter.drawPixmap(target, scaledPixmap_, target.translated(-origin));
        return;
    }
    const double scale = zoom_ / 100.0;
    const QRectF source((target.left() - origin.x()) / scale, (target.top() - origin.y()) / scale,
                        target.width() / scale, target.height() / scale);
    // Only the part shown is converted for the screen: converting the whole
    // of each new page (scanned pages as they arrive, say) costs several
    // times more, and the painter draws a bitmap many times slower than the
    // screen's own format. The part's left edge is on a whole byte, so that
    // copying a bitmap shifts no bits.
    QRect shown = source.toAlignedRect().intersected(picture_.rect());
    shown.setLeft(shown.left() & ~7);
    painter.drawImage(QRectF(target), picture_.copy(shown).convertToFormat(QImage::Format_ARGB32_Premultiplied),
                      source.translated(-shown.topLeft()));
}

// Annotations, the selection rectangle and what the pressed tool shows, in
// page pixels over the page.
void oleImgEdit::paintOverlay(QPainter& painter, QPoint origin, const QRect& target) const {
    painter.setClipRect(target);
    painter.translate(origin);
    painter.scale(zoom_ / 100.0, zoom_ / 100.0);
    const QRectF area(QPointF(target.topLeft() - origin) * screenPixel(), QSizeF(target.size()) * screenPixel());
    annotations_.paint(painter, area);
    if (pasted_) pasted_->paint(painter);
    if (!selection_.isEmpty()) paintDashedFrame(painter, selection_, Qt::blue);
    if (pressed_ && pressed_ != pasted_.get()) pressed_->paint(painter);
}

void oleImgEdit::repaintPageArea(const QRectF& area) {
    if (area.isEmpty()) return;
    const QRectF onScreen(QPointF(pageOrigin()) + area.topLeft() / screenPixel(), area.size() / screenPixel());
    viewport()->update(onScreen.toAlignedRect().adjusted(-2, -2, 2, 2));
}

namespace {

int buttonCode(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

}  // namespace

void oleImgEdit::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), at.x() * TwipsPerPixel,
                   at.y() * TwipsPerPixel);
    if (event->button() != Qt::LeftButton || picture_.isNull()) return;
    if (pasted_ && !pasted_->contains(toPage(at))) CompletePaste();
    pressed_ = pasted_ ? pasted_.get() : leftButtonTool();
    if (pressed_) pressed_->press(toPage(at), event->modifiers());
}

void oleImgEdit::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit mouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), at.x() * TwipsPerPixel,
                   at.y() * TwipsPerPixel);
    if (pressed_ && (event->buttons() & Qt::LeftButton)) pressed_->move(toPage(at));
}

void oleImgEdit::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit mouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), at.x() * TwipsPerPixel,
                 at.y() * TwipsPerPixel);
    if (event->button() != Qt::LeftButton || !pressed_) return;
    std::exchange(pressed_, nullptr)->release(toPage(at));
}

// The chosen annotation tool; without one the selection rectangle, unless
// it is switched off or the hand is out.
PageTool* oleImgEdit::leftButtonTool() {
    if (tool_) return tool_.get();
    if (selectionRectangle_ && mousePointer_ != PointerHand) return selectionTool_.get();
    return nullptr;
}

void oleImgEdit::setSelectionRect(const QRect& rect) {
    repaintPageArea(QRectF(selection_).adjusted(-1, -1, 1, 1));
    selection_ = rect.normalized();
    repaintPageArea(QRectF(selection_).adjusted(-1, -1, 1, 1));
}

void oleImgEdit::takeSelection(const QRect& area) {
    setSelectionRect(area);
    emit selectionDrawn(area.x(), area.y(), area.width(), area.height());
}

double oleImgEdit::pageDpi() const { return info_.xResolution > 0 ? info_.xResolution : 300; }

ToolAttributes oleImgEdit::attributesOf(int tool) const {
    const auto set = attributes_.find(tool);
    return set != attributes_.end() ? set->second : defaultAttributes(tool);
}

std::unique_ptr<PageTool> oleImgEdit::makeTool(int tool) {
    if (tool == StampTool) return makeStampTool(stamp_, *this, attributesOf(StampTool));
    return makeAnnotationTool(tool, *this, attributesOf(tool));
}

void oleImgEdit::useTool(std::unique_ptr<PageTool> tool, int number) {
    pressed_ = nullptr;
    tool_ = std::move(tool);
    toolNumber_ = tool_ ? number : NoTool;
    if (tool_) mousePointer_ = PointerOfTool;
    updateCursor();
    emit toolSelected(toolNumber_);
}

// The stamp comes through ChooseStamp, which knows which stamp it is.
void oleImgEdit::SelectTool(int tool) { useTool(tool == StampTool ? nullptr : makeTool(tool), tool); }

void oleImgEdit::ChooseStamp() {
    if (!prompter_) return;
    StampDialog chooser(this);
    if (prompter_->execDialog(chooser) != QDialog::Accepted || chooser.stamp().isEmpty()) return;
    stamp_ = chooser.stamp();
    useTool(makeTool(StampTool), StampTool);
}

void oleImgEdit::ShowToolAttributes(int tool) {
    const int number = tool + 1;  // the attribute numbers start at the freehand line
    if (!prompter_ || toolName(number).isEmpty()) return;
    ToolAttributesDialog dialog(number, attributesOf(number), this);
    if (prompter_->execDialog(dialog) != QDialog::Accepted) return;
    attributes_[number] = dialog.attributes();
    if (number == toolNumber_) tool_ = makeTool(number);
}

void oleImgEdit::setMousePointer(int pointer) {
    mousePointer_ = pointer;
    updateCursor();
}

void oleImgEdit::updateCursor() {
    Qt::CursorShape shape = tool_ ? tool_->cursor() : Qt::ArrowCursor;
    if (mousePointer_ == PointerHand) shape = Qt::OpenHandCursor;
    if (mousePointer_ == PointerMark) shape = Qt::CrossCursor;
    viewport()->setCursor(shape);
}

void oleImgEdit::setSelectionRectangle(bool on) {
    selectionRectangle_ = on;
    if (!on) setSelectionRect(QRect());
}

void oleImgEdit::ScrollImage(int direction, int amount) {
    QScrollBar* bar = direction <= 1 ? verticalScrollBar() : horizontalScrollBar();
    bar->setValue(bar->value() + (direction % 2 == 0 ? amount : -amount));
}

void oleImgEdit::DeleteSelectedAnnotations() {
    if (!annotations_.anyMarked()) return;
    repaintPageArea(annotations_.deleteMarked());
    stepDone();
}

void oleImgEdit::BurnInAnnotations(int option, int colours) {
    CompletePaste();
    if (picture_.isNull()) return;
    std::vector<Annotation> burnt;
    if (option == BurnMarked)
        burnt = annotations_.takeMarked();
    else if (option == BurnAll || !annotations_.hidden())
        burnt = annotations_.takeAll();
    if (burnt.empty()) return;
    picture_ = burnIn(picture_, burnt, colours != BurnOwnColours);
    stepDone();
    rebuildScaledPicture();
}

void oleImgEdit::drawPicture(AnnotationKind kind, const QString& file, const QRect& area) {
    const QImage picture(file);
    if (picture.isNull() || picture_.isNull()) {
        status_ = {StatusNotAnImage, QStringLiteral("Das Bild kann nicht gelesen werden: ") + file};
        return;
    }
    Annotation a;
    a.kind = kind;
    a.pictureCache = picture;
    const QPoint visible(std::max(0, pageOrigin().x()), std::max(0, pageOrigin().y()));
    const QSizeF size = area.isEmpty() ? QSizeF(picture.size()) : QSizeF(area.size()) * screenPixel();
    a.box = QRectF(toPage(visible + area.topLeft()), size);
    if (kind == AnnotationKind::LinkedPicture) {
        a.pictureFile = file;
    } else {
        QBuffer png(&a.pictureData);
        png.open(QIODevice::WriteOnly);
        picture.save(&png, "PNG");
    }
    status_ = {};
    repaintPageArea(annotations_.add(std::move(a)));
    stepDone();
}

void oleImgEdit::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    applyFit();
}

}  // namespace palvenor::imaging
