#pragma once

#include "OcrSettings.h"

#include <QRect>

#include <functional>
#include <memory>

namespace palvenor {

class Prompter;
class frmSample;

namespace ocr {
class OcrEngine;
class frmOCR;
}  // namespace ocr

// The program's text recognition: one engine and one OCR window that every
// book window sends its marked areas to.
class OcrService {
public:
    using EngineFactory = std::function<std::unique_ptr<ocr::OcrEngine>()>;
    // The active book window, or nullptr when no book is open.
    using ActiveDocument = std::function<frmSample*()>;

    // The engine is made when the first job needs it. "&Neu" and "&Anfügen"
    // of the OCR window run the OCR command of activeDocument.
    OcrService(Prompter& prompter, EngineFactory makeEngine, ActiveDocument activeDocument);
    ~OcrService();

    // The OCR command of a book window: the marked area of its page goes to
    // the engine through the clipboard; without a marked area the OCR
    // window is only brought forward.
    void mnuOCR_Click(frmSample& document);

    ocr::frmOCR& window();
    // Where the OCR window keeps its settings; before the window is first made.
    void useSettings(ocr::OcrSettingsStore store) { settings_ = std::move(store); }
    // Unloads the OCR window, as the program does when it ends: the engine
    // releases everything and the window saves its settings.
    void unloadWindow();

    // Shows the OCR window in front and active.
    void showWindow();

private:
    bool copySelection(frmSample& document);
    QRect pageArea() const;

    Prompter& prompter_;
    EngineFactory makeEngine_;
    ocr::OcrSettingsStore settings_ = ocr::OcrSettingsStore::userStore();
    std::unique_ptr<ocr::OcrEngine> engine_;
    ActiveDocument activeDocument_;
    std::unique_ptr<ocr::frmOCR> window_;
};

}  // namespace palvenor
