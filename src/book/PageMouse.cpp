#include "PageMouse.h"

#include "AnnotationCommands.h"
#include "Navigation.h"
#include "frmSample.h"

#include <cmath>

namespace palvenor {

namespace {

// To the nearest whole number, halves to even.
int rounded(double value) { return int(std::nearbyint(value)); }

}  // namespace

void setSelectionPresent(frmSample& window, bool present) {
    constexpr const char* trimming[] = {"Zuschnitt", "mnuTrimPage", "mnuTrimPage180"};
    window.selectionPresent = present;
    window.controls().setAllEnabled(trimming, present);
}

bool PageMouse::handMode() const {
    return w_.oleImgEdit1().MousePointer() == imaging::oleImgEdit::PointerHand;
}

void PageMouse::mouseDown(int button, int, double x, double y) {
    w_.x1 = rounded(x);
    w_.y1 = rounded(y);
    if (!(handMode() && button == LeftButton)) w_.controls().setEnabled(QStringLiteral("loesch"), false);
}

// The hand pushes the page a tenth of the way the mouse went.
void PageMouse::mouseMove(int button, int, double x, double y) {
    if (!(handMode() && button == LeftButton)) return;
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    const int xi = rounded(x);
    const int yi = rounded(y);
    if (xi < w_.x1) edit.ScrollImage(2, rounded((w_.x1 - xi) / 10.0));
    if (xi > w_.x1) edit.ScrollImage(3, rounded((xi - w_.x1) / 10.0));
    if (yi < w_.y1) edit.ScrollImage(0, rounded((w_.y1 - yi) / 10.0));
    if (yi > w_.y1) edit.ScrollImage(1, rounded((yi - w_.y1) / 10.0));
    w_.x1 = xi;
    w_.y1 = yi;
}

void PageMouse::mouseUp(int button, int, double x, double y) {
    if (button == RightButton) {
        turnPage(x);
        return;
    }
    w_.x2 = rounded(x);
    w_.y2 = rounded(y);
}

// The left half of the view goes back a page, the right half forward. The
// window's scale unit is the pixel; twips per pixel bring the half width
// into the mouse units.
void PageMouse::turnPage(double x) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (edit.width() / 2.0 * imaging::oleImgEdit::TwipsPerPixel >= x) {
        if (edit.Page() > 1) w_.navigation().previousPage();
    } else if (edit.Page() < edit.PageCount()) {
        w_.navigation().nextPage();
    }
}

void PageMouse::selectionDrawn(int, int, int width, int height) {
    setSelectionPresent(w_, width != 0 || height != 0);
}

void PageMouse::toolSelected(int tool) { AnnotationCommands::setDeleteTag(w_, QString::number(tool)); }

void PageMouse::annotationMarked() {
    w_.controls().setEnabled(QStringLiteral("loesch"), AnnotationCommands::deleteTag(w_) == QStringLiteral("1"));
}

}  // namespace palvenor
