#pragma once

// The loaded Tesseract models, shared by every job of the process and kept
// until it ends: loading the German model costs far more than a job on a
// marked area, and the program starts and ends the engine around each job.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace tesseract {
class TessBaseAPI;
}

namespace palvenor::ocr {

class TesseractModels {
public:
    // The models of the process, for the jobs of the OCR window.
    static TesseractModels& shared();
    // A set of its own, for a worker that recognises pages by itself.
    TesseractModels();
    ~TesseractModels();
    TesseractModels(const TesseractModels&) = delete;
    TesseractModels& operator=(const TesseractModels&) = delete;

    // Held by whoever uses a model; one job at a time reads the models.
    std::mutex& mutex() { return mutex_; }

    // The LSTM recogniser of a language model ("deu", "Fraktur", or several
    // joined by "+") with or without its dictionaries (a setting Tesseract
    // takes only when loading), loaded on first use; nullptr when the
    // language data cannot be loaded.
    tesseract::TessBaseAPI* recogniser(const std::string& model, bool dictionaries);
    // The orientation and script detector (language data "osd"), or nullptr.
    tesseract::TessBaseAPI* orientationDetector();
    // True once any recogniser is loaded; loads the German one with
    // dictionaries when none is.
    bool ready();

private:
    // Registers, after the first model has loaded, the release of the
    // models at exit: Tesseract makes its own caches while loading, and
    // handlers registered after them run before they are torn down.
    static void releaseAtExit();

    std::mutex mutex_;
    // By model and dictionaries; a model that failed to load keeps nullptr
    // and is not tried again.
    std::map<std::pair<std::string, bool>, std::unique_ptr<tesseract::TessBaseAPI>> recognisers_;
    std::unique_ptr<tesseract::TessBaseAPI> orientation_;
};

}  // namespace palvenor::ocr
