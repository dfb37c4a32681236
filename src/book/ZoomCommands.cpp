#include "ZoomCommands.h"

#include "DocumentTable.h"
#include "Numeric.h"
#include "Prompter.h"
#include "frmSample.h"

#include <cmath>

namespace palvenor {

namespace {

constexpr const char* kFitEntries[] = {"mnuBestFit", "mnuFitWidth", "mnuFitHeight"};
constexpr const char* kFitButtons[] = {"Voll", "Breit", "Hoch"};
constexpr std::pair<int, const char*> kFixedEntries[] = {{25, "mnu25"},   {50, "mnu50"},
                                                         {75, "mnu75"},   {100, "mnu100"},
                                                         {200, "mnu200"}, {400, "mnu400"}};

}  // namespace

QString ZoomCommands::zoomText(float percent) {
    return QString::number(static_cast<qint64>(std::rint(percent))) + QLatin1Char('%');
}

void ZoomCommands::fixedZoom(int percent) {
    w_.oleImgEdit1().setZoom(static_cast<float>(percent));
    w_.oleImgEdit1().Refresh();
    showZoom();
    clearZoomMarks();
    for (const auto& [value, entry] : kFixedEntries)
        if (value == percent) w_.controls().setChecked(QString::fromUtf8(entry), true);
}

void ZoomCommands::actualSize() {
    w_.oleImgEdit1().FitTo(imaging::oleImgEdit::ActualSize);
    w_.oleImgEdit1().Refresh();
    showZoom();
    clearZoomMarks();
    w_.controls().setChecked(QStringLiteral("mnuActual"), true);
}

void ZoomCommands::fit(Fit mode) {
    markFitButton(kFitButtons[mode]);
    w_.oleImgEdit1().FitTo(mode);
    showZoom();
    ControlSet& controls = w_.controls();
    for (const char* entry : kFitEntries) controls.setChecked(QString::fromUtf8(entry), false);
    for (const auto& fixed : kFixedEntries) controls.setChecked(QString::fromUtf8(fixed.second), false);
    controls.setChecked(QStringLiteral("mnuZoomToSelection"), false);
    controls.setChecked(QString::fromUtf8(kFitEntries[mode]), true);
}

void ZoomCommands::zoomIn() {
    const auto zoom = static_cast<float>(static_cast<double>(w_.oleImgEdit1().Zoom()) * 1.3);
    if (zoom >= kTooLarge)
        w_.prompter().message(QStringLiteral("Höchste Vergrößerung"), kAppTitle,
                              Prompter::Buttons::Ok, Prompter::Icon::None);
    else
        stepTo(zoom);
    clearZoomMarks();
}

void ZoomCommands::zoomOut() {
    const auto zoom = static_cast<float>(static_cast<double>(w_.oleImgEdit1().Zoom()) / 1.3);
    if (zoom < kSmallest)
        w_.prompter().message(QStringLiteral("Höchste Verkleinerung"), kAppTitle,
                              Prompter::Buttons::Ok, Prompter::Icon::None);
    else
        stepTo(zoom);
    clearZoomMarks();
}

void ZoomCommands::zoomToSelection() {
    if (w_.selectionPresent) w_.oleImgEdit1().ZoomToSelection();
    clearZoomMarks();
    w_.controls().setChecked(QStringLiteral("mnuZoomToSelection"), false);
}

// A typed zoom outside the range the stepwise commands keep is not taken;
// the box shows the zoom that stays.
void ZoomCommands::typedZoom(const QString& text) {
    const double value = numericValue(text);
    if (value >= kSmallest && value < kTooLarge) {
        w_.oleImgEdit1().setZoom(static_cast<float>(value));
        w_.oleImgEdit1().Refresh();
    }
    showZoom();
}

void ZoomCommands::refitAfterResize() {
    ControlSet& controls = w_.controls();
    if (controls.isChecked(QStringLiteral("Hoch")))
        fit(FitToHeight);
    else if (controls.isChecked(QStringLiteral("Breit")))
        fit(FitToWidth);
    else
        fit(BestFit);
}

void ZoomCommands::stepTo(float zoom) {
    w_.oleImgEdit1().setZoom(zoom);
    w_.oleImgEdit1().Refresh();
    showZoom();
}

void ZoomCommands::showZoom() { w_.showZoomField(); }

// After a zoom that is no fit: no zoom entry is checked, no fit button marked.
void ZoomCommands::clearZoomMarks() {
    ControlSet& controls = w_.controls();
    for (const char* entry : kFitEntries) controls.setChecked(QString::fromUtf8(entry), false);
    for (const auto& fixed : kFixedEntries) controls.setChecked(QString::fromUtf8(fixed.second), false);
    controls.setChecked(QStringLiteral("mnuActual"), false);
    markFitButton(nullptr);
}

// Marks one fit button and unmarks the others; nullptr unmarks all three.
void ZoomCommands::markFitButton(const char* name) {
    for (const char* button : kFitButtons)
        w_.controls().setChecked(QString::fromUtf8(button), name && qstrcmp(button, name) == 0);
}

}  // namespace palvenor
