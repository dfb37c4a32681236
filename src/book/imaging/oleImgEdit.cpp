#include "oleImgEdit.h"

#include "PageAdmin.h"
#include "PageScaling.h"

#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>

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
}

oleImgEdit::~oleImgEdit() = default;

void oleImgEdit::setImage(const QString& path) {
    image_ = path;
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
        if (status_.ok() && !image_.isEmpty()) file_ = ImageFile::open(image_, &status_);
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
    info_ = file_->pageInfo(page_);
    modified_ = false;
    fullPixmap_ = QPixmap();
    rebuildScaledPicture();
    emit pageShown(page_);
}

void oleImgEdit::Refresh() {
    rebuildScaledPicture();
    viewport()->update();
}

void oleImgEdit::ClearDisplay() {
    picture_ = QImage();
    fullPixmap_ = QPixmap();
    scaledPixmap_ = QPixmap();
    info_ = {};
    updateScrollBars();
    viewport()->update();
}

void oleImgEdit::DisplayBlankImage(int width, int height, double xResolution, double yResolution,
                                   int pageType) {
    picture_ = blankPicture(width, height, pageType);
    picture_.setDotsPerMeterX(qRound(xResolution / 0.0254));
    picture_.setDotsPerMeterY(qRound(yResolution / 0.0254));
    info_ = {width, height, xResolution, yResolution, pageType, 1, QStringLiteral("unkomprimiert")};
    file_.reset();
    page_ = 1;
    status_ = {};
    fullPixmap_ = QPixmap();
    rebuildScaledPicture();
}

namespace {

ImagingError writeBitmap(const QString& file, const QImage& picture) {
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && picture.save(&out, "BMP") && out.commit()) return {};
    return {StatusWriteFailed, QStringLiteral("Die Datei konnte nicht geschrieben werden: ") + file};
}

}  // namespace

std::vector<PageSource> oleImgEdit::pagesWithShownPageAt(const QString& file, int page) const {
    std::vector<PageSource> pages;
    const double dpi = info_.xResolution > 0 ? info_.xResolution : 300;
    std::unique_ptr<ImageFile> existing;
    if (QFileInfo(file).isFile()) {
        ImagingError ignored;
        existing = ImageFile::open(file, &ignored);
    }
    const int count = existing ? existing->pageCount() : 0;
    for (int i = 1; i <= std::max(count, page); ++i) {
        if (i == page)
            pages.push_back({QString(), 1, picture_, dpi});
        else if (i <= count)
            pages.push_back({file, i, QImage(), dpi});
    }
    return pages;
}

void oleImgEdit::SavePage(const QString& file, int fileType, int page) {
    if (picture_.isNull()) {
        status_ = {StatusBadPageNumber, QStringLiteral("Es wird keine Seite angezeigt.")};
        return;
    }
    status_ = fileType == FileTypeBmp ? writeBitmap(file, picture_)
                                      : writeBook(file, pagesWithShownPageAt(file, page));
    if (status_.ok() && file == image_) reopen();
}

void oleImgEdit::Save() { SavePage(image_, FileType(), page_); }

void oleImgEdit::SaveAs(const QString& file, int fileType) {
    if (fileType == FileTypeBmp || !file_) {
        SavePage(file, fileType, 1);
        return;
    }
    std::vector<PageSource> pages;
    for (int i = 1; i <= file_->pageCount(); ++i)
        pages.push_back(i == page_ && modified_ ? PageSource{QString(), 1, picture_, info_.xResolution}
                                                : PageSource{image_, i, QImage(), 0});
    status_ = writeBook(file, pages);
}

// The file changed on disk: read its directories again, keep the shown page.
void oleImgEdit::reopen() {
    ImagingError error;
    file_ = ImageFile::open(image_, &error);
    modified_ = false;
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
    QImage shrunk = shrinkPage(picture_, scaledSize());
    if (picture_.format() != QImage::Format_Mono) return shrunk;
    // Straight into the screen's pixel format, so painting copies no more.
    constexpr int kInkThreshold = 215;
    const bool crisp = scaleAlgorithm_ != ScaleGray;
    QImage screen(shrunk.size(), QImage::Format_RGB32);
    for (int y = 0; y < shrunk.height(); ++y) {
        const uchar* grey = shrunk.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(screen.scanLine(y));
        for (int x = 0; x < shrunk.width(); ++x) {
            const int level = crisp ? (grey[x] < kInkThreshold ? 0 : 255) : grey[x];
            out[x] = qRgb(level, level, level);
        }
    }
    return screen;
}

void oleImgEdit::updateScrollBars() {
    const QSize content = scaledSize();
    const QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - area.width()));
    verticalScrollBar()->setRange(0, std::max(0, content.height() - area.height()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setPageStep(area.height());
}

void oleImgEdit::paintEvent(QPaintEvent* event) {
    if (picture_.isNull()) return;
    QPainter painter(viewport());
    const QSize content = scaledSize();
    const QSize area = viewport()->size();
    // Centre a page smaller than the view; otherwise follow the scroll bars.
    const QPoint origin(content.width() < area.width() ? (area.width() - content.width()) / 2
                                                        : -horizontalScrollBar()->value(),
                        content.height() < area.height() ? (area.height() - content.height()) / 2
                                                          : -verticalScrollBar()->value());
    const QRect target = QRect(origin, content).intersected(event->rect());
    if (target.isEmpty()) return;
    if (zoom_ < 100.0f) {
        if (scaledPixmap_.isNull()) scaledPixmap_ = QPixmap::fromImage(scaledDown(), Qt::NoFormatConversion);
        painter.drawPixmap(target, scaledPixmap_, target.translated(-origin));
        return;
    }
    if (fullPixmap_.isNull()) fullPixmap_ = QPixmap::fromImage(picture_);
    const double scale = zoom_ / 100.0;
    const QRectF source((target.left() - origin.x()) / scale, (target.top() - origin.y()) / scale,
                        target.width() / scale, target.height() / scale);
    painter.drawPixmap(QRectF(target), fullPixmap_, source);
}

void oleImgEdit::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    applyFit();
}

}  // namespace palvenor::imaging
