#pragma once

#include <QPointer>

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

    // The engine is made when the first job needs it.
    OcrService(Prompter& prompter, EngineFactory makeEngine);
    ~OcrService();

    // The OCR command of a book window: the marked area of its page goes to
    // the engine through the clipboard; without a marked area the OCR
    // window is only brought forward.
    void mnuOCR_Click(frmSample& document);

    ocr::frmOCR& window();

private:
    bool copySelection(frmSample& document);
    void showWindow();

    Prompter& prompter_;
    EngineFactory makeEngine_;
    std::unique_ptr<ocr::OcrEngine> engine_;
    std::unique_ptr<ocr::frmOCR> window_;
    // The book window the OCR command last ran for; "&Neu" and "&Anfügen"
    // of the OCR window run it there again.
    QPointer<frmSample> lastDocument_;
};

}  // namespace palvenor
