#pragma once

#include <QString>

namespace palvenor {

class frmSample;

// How large the page is drawn: fixed steps, stepping in and out by 1.3,
// the three fit modes, actual size, the drawn selection and a typed zoom.
// Every command keeps the check marks of the zoom menu, the fit buttons
// `Voll`, `Hoch`, `Breit` and the zoom box `mag` in step with the page view.
class ZoomCommands {
public:
    // Fit modes as the page view numbers them.
    enum Fit { BestFit = 0, FitToWidth = 1, FitToHeight = 2 };

    explicit ZoomCommands(frmSample& window) : w_(window) {}

    // mnu25 ... mnu400.
    void fixedZoom(int percent);
    void actualSize();
    // Marks the fit button of the mode and fits; from a click on the button
    // or its menu entry, so choosing a fit mode always refits.
    void fit(Fit mode);
    void zoomIn();
    void zoomOut();
    void zoomToSelection();
    // Enter in the zoom box: its leading number becomes the zoom.
    void typedZoom(const QString& text);
    // After the window was resized: refit as the marked fit button says,
    // best fit when none is marked.
    void refitAfterResize();

    // The zoom box text for a zoom: the whole number, halves to even, and "%".
    static QString zoomText(float percent);

    static constexpr float kSmallest = 2.0f;
    static constexpr float kTooLarge = 6554.0f;

private:
    void stepTo(float zoom);
    void showZoom();
    void clearZoomMarks();
    void markFitButton(const char* name);

    frmSample& w_;
};

}  // namespace palvenor
