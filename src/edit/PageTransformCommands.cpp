#include "PageTransformCommands.h"

#include "BookChanges.h"
#include "Navigation.h"
#include "PageMouse.h"
#include "SavePrompt.h"
#include "frmSample.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <cmath>

namespace palvenor {

namespace {

// Display scaling with the grey-scale entry unchecked and checked.
constexpr int kPlainScaling = 0;

}  // namespace

// Left edge and top, bottom and size are kept unrounded until the end; the
// right edge is rounded to whole pixels first. Rounding is half to even.
QSize trimmedSize(const SelectionGeometry& s) {
    const auto p = [&](int x) { return (100.0 / s.zoom) * (x / s.twipsPerPixelX); };
    const auto q = [&](int y) { return (100.0 / s.zoom) * (y / s.twipsPerPixelY); };
    const double left = p(std::min(s.x1, s.x2));
    const double right = std::min(std::nearbyint(p(std::max(s.x1, s.x2))), double(s.imageWidth));
    const double top = q(std::min(s.y1, s.y2));
    const double bottom = std::min(q(std::max(s.y1, s.y2)), double(s.imageHeight));
    return {int(std::nearbyint(std::abs(right - left))), int(std::nearbyint(std::abs(bottom - top)))};
}

void PageTransformCommands::mnuLeft_Click() { w_.oleImgEdit1().RotateLeft(); }
void PageTransformCommands::mnuright_Click() { w_.oleImgEdit1().RotateRight(); }
void PageTransformCommands::mnuFlip_Click() { w_.oleImgEdit1().Flip(); }

void PageTransformCommands::mnuInvert_Click() {
    w_.oleImgEdit1().Invert();
    writeBack();
}

void PageTransformCommands::turnEveryPage(imaging::Turn turn) {
    passOverEveryPage({[turn](const QImage& page) { return imaging::turned(page, turn); },
                       [turn](QSize size) { return imaging::turning(size, turn); }, {}, turn != imaging::Turn::Half},
                      [this, turn] { turn == imaging::Turn::Left ? mnuLeft_Click() : mnuright_Click(); });
}

void PageTransformCommands::mnuInvertAll_Click() {
    passOverEveryPage({[](const QImage& page) { return imaging::inverted(page); }, {}, {}},
                      [this] { w_.oleImgEdit1().Invert(); });
}

// The whole book is turned or inverted in one pass and written once; the
// user may cancel while the pages are being prepared, before the book is
// touched. The first page is shown afterwards. A bitmap holds one page
// only: it is changed in the view and written back in its own format.
void PageTransformCommands::passOverEveryPage(imaging::PagePass pass, const std::function<void()>& onShownPage) {
    if (!readyForBookChange()) return;
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (edit.FileType() != imaging::FileTypeTiff) {
        onShownPage();
        writeBack();
        return;
    }
    QProgressDialog progress(QStringLiteral("Bitte warten ..."), QStringLiteral("Abbrechen"), 0,
                             edit.PageCount(), &w_);
    progress.setObjectName(QStringLiteral("Fortschritt"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    pass.progress = [&progress](int done, int) {
        progress.setValue(done);
        return !progress.wasCanceled();
    };
    bookChanged(imaging::transformEveryPage(edit.Image(), pass));
}

void PageTransformCommands::mnuMaxComp_Click() {
    // Only TIFF books store CCITT G4 pages.
    if (w_.oleImgEdit1().FileType() != imaging::FileTypeTiff || !readyForBookChange()) return;
    PleaseWait wait(w_);
    bookChanged(imaging::recompressBlackAndWhite(w_.oleImgEdit1().Image()));
}

// Changes of the shown page are saved or dropped first, as on a page change.
bool PageTransformCommands::readyForBookChange() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    return !edit.Image().isEmpty() && askToSave(w_) && !edit.ImageModified();
}

void PageTransformCommands::bookChanged(const imaging::ImagingError& error) {
    if (!error.ok() && error.code != imaging::StatusCancelled) reportFailure(w_, error);
    takeChangedBook(w_);
    w_.navigation().firstPage();
}

void PageTransformCommands::mnuTrimPage_Click() {
    QCoreApplication::processEvents();
    if (!w_.selectionPresent) return;
    trimTo(selectedArea());
}

void PageTransformCommands::mnuTrimPage180_Click() {
    QCoreApplication::processEvents();
    if (!w_.selectionPresent) return;
    const QRect area = selectedArea();
    w_.oleImgEdit1().Flip();
    trimTo(area);
}

// The drawn selection's place, with the size its mouse points give. The
// points are taken from the page's corner, as the page may lie anywhere in
// the view.
QRect PageTransformCommands::selectedArea() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    constexpr double twips = imaging::oleImgEdit::TwipsPerPixel;
    const QPoint corner = edit.pageOrigin() * twips;
    SelectionGeometry geometry{w_.x1 - corner.x(), w_.y1 - corner.y(), w_.x2 - corner.x(), w_.y2 - corner.y(),
                               edit.Zoom(), twips, twips, edit.ImageWidth(), edit.ImageHeight()};
    return QRect(edit.SelectionRect().topLeft(), trimmedSize(geometry));
}

void PageTransformCommands::trimTo(const QRect& area) {
    w_.oleImgEdit1().Trim(area);
    writeBack();
    setSelectionPresent(w_, false);
}

// The changed page goes into the book at once, as Save writes it; a book
// not saved yet gets its name through Save.
void PageTransformCommands::writeBack() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (edit.Image().isEmpty()) {
        w_.runSaveCommand();
        return;
    }
    PleaseWait wait(w_);
    edit.SavePage(edit.Image(), edit.FileType(), edit.Page());
    if (edit.StatusCode() != 0) reportFailure(w_, edit.lastError());
}

void PageTransformCommands::mnuScaleToGray_Click() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    const bool grey = !w_.controls().isChecked(QStringLiteral("mnuScaleToGray"));
    edit.setDisplayScaleAlgorithm(grey ? imaging::oleImgEdit::ScaleGray : kPlainScaling);
    edit.Refresh();
    w_.controls().setChecked(QStringLiteral("mnuScaleToGray"), grey);
}

}  // namespace palvenor
