#pragma once

namespace palvenor {

class frmSample;

// Sets the selection-present flag; the trimming commands `Zuschnitt`,
// `mnuTrimPage` and `mnuTrimPage180` are enabled only while it is set.
void setSelectionPresent(frmSample& window, bool present);

// The page view's events as the document window handles them: the mouse
// points kept for trimming, hand scrolling, right-click page turning, the
// selection-present flag with the trimming commands, and the delete button
// `loesch` following the chosen tool and the marked annotations.
// Positions are in the view's mouse units, twips.
class PageMouse {
public:
    explicit PageMouse(frmSample& window) : w_(window) {}

    void mouseDown(int button, int shift, double x, double y);
    void mouseMove(int button, int shift, double x, double y);
    void mouseUp(int button, int shift, double x, double y);
    void selectionDrawn(int left, int top, int width, int height);
    void toolSelected(int tool);
    void annotationMarked();

    static constexpr int LeftButton = 1;
    static constexpr int RightButton = 2;

private:
    bool handMode() const;
    void turnPage(double x);

    frmSample& w_;
};

}  // namespace palvenor
