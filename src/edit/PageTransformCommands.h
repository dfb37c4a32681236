#pragma once

#include "PageTransforms.h"

#include <QRect>
#include <QSize>

#include <functional>

namespace palvenor {

class frmSample;

// The size in page pixels of a selection drawn from (x1, y1) to (x2, y2),
// in the page view's mouse units (twips), at zoom percent, cut at the
// page's right and bottom edges.
struct SelectionGeometry {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double zoom = 100;
    double twipsPerPixelX = 15, twipsPerPixelY = 15;
    int imageWidth = 0, imageHeight = 0;
};
QSize trimmedSize(const SelectionGeometry& selection);

// Commands that change the picture of the shown page or of every page:
// turning, inverting, trimming to the selection, recompressing
// black-and-white pages, and grey-scale display.
class PageTransformCommands {
public:
    explicit PageTransformCommands(frmSample& window) : w_(window) {}

    // The shown page only; the file changes when the user saves.
    void mnuLeft_Click();
    void mnuright_Click();
    void mnuFlip_Click();
    // Every page, written to the book at once.
    void mnuLeftAll_Click() { turnEveryPage(imaging::Turn::Left); }
    void mnuRightAll_Click() { turnEveryPage(imaging::Turn::Right); }
    void mnuInvert_Click();
    void mnuInvertAll_Click();
    void mnuTrimPage_Click();
    void mnuTrimPage180_Click();
    void mnuMaxComp_Click();
    void mnuScaleToGray_Click();

private:
    void turnEveryPage(imaging::Turn turn);
    void passOverEveryPage(imaging::PagePass pass, const std::function<void()>& onShownPage);
    bool readyForBookChange();
    void bookChanged(const imaging::ImagingError& error);
    QRect selectedArea();
    void trimTo(const QRect& area);
    void writeBack();

    frmSample& w_;
};

}  // namespace palvenor
