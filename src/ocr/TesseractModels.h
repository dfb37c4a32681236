#pragma once

// The loaded Tesseract models, shared by every job of the process and kept
// until it ends: loading the German model costs far more than a job on a
// marked area, and the program starts and ends the engine around each job.

#include <memory>
#include <mutex>

namespace tesseract {
class TessBaseAPI;
}

namespace palvenor::ocr {

class TesseractModels {
public:
    static TesseractModels& shared();

    // Held by whoever uses a model; one job at a time reads the models.
    std::mutex& mutex() { return mutex_; }

    // The German LSTM recogniser with or without its dictionaries (a
    // setting Tesseract takes only when loading), loaded on first use;
    // nullptr when the language data cannot be loaded.
    tesseract::TessBaseAPI* recogniser(bool dictionaries);
    // The orientation and script detector (language data "osd"), or nullptr.
    tesseract::TessBaseAPI* orientationDetector();
    // True once any recogniser is loaded; loads the one with dictionaries
    // when none is.
    bool ready();

private:
    TesseractModels() = default;
    ~TesseractModels();

    // Registers, after the first model has loaded, the release of the
    // models at exit: Tesseract makes its own caches while loading, and
    // handlers registered after them run before they are torn down.
    static void releaseAtExit();

    std::mutex mutex_;
    std::unique_ptr<tesseract::TessBaseAPI> withDictionaries_;
    std::unique_ptr<tesseract::TessBaseAPI> withoutDictionaries_;
    std::unique_ptr<tesseract::TessBaseAPI> orientation_;
};

}  // namespace palvenor::ocr
