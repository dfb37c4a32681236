#include "TesseractModels.h"

#include <tesseract/baseapi.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace palvenor::ocr {
namespace {

using Api = std::unique_ptr<tesseract::TessBaseAPI>;

// Loads a model; nullptr when its language data is missing or broken.
Api load(const char* language, tesseract::OcrEngineMode mode, const std::vector<std::string>& names,
         const std::vector<std::string>& values)
{
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    if (api->Init(nullptr, language, mode, nullptr, 0, &names, &values, false) != 0)
        return nullptr;
    return api;
}

Api loadRecogniser(const std::string& model, bool dictionaries)
{
    const std::string flag = dictionaries ? "1" : "0";
    return load(model.c_str(), tesseract::OEM_LSTM_ONLY, {"load_system_dawg", "load_freq_dawg"}, {flag, flag});
}

}  // namespace

TesseractModels& TesseractModels::shared()
{
    static TesseractModels* const models = new TesseractModels;  // deleted by releaseAtExit
    return *models;
}

TesseractModels::TesseractModels() = default;

TesseractModels::~TesseractModels() = default;

void TesseractModels::releaseAtExit()
{
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit([] { delete &shared(); }); });
}

tesseract::TessBaseAPI* TesseractModels::recogniser(const std::string& model, bool dictionaries)
{
    const auto key = std::make_pair(model, dictionaries);
    if (const auto known = recognisers_.find(key); known != recognisers_.end())
        return known->second.get();
    Api& slot = recognisers_[key];
    slot = loadRecogniser(model, dictionaries);
    if (slot)
        releaseAtExit();
    return slot.get();
}

tesseract::TessBaseAPI* TesseractModels::orientationDetector()
{
    if (!orientation_) {
        orientation_ = load("osd", tesseract::OEM_TESSERACT_ONLY, {}, {});
        if (orientation_) {
            orientation_->SetPageSegMode(tesseract::PSM_OSD_ONLY);
            // Twenty characters find the turn of a page as surely as the
            // default fifty, in less than half the time (a full page: all
            // four turns found, 115 ms instead of 250 ms).
            orientation_->SetVariable("min_characters_to_try", "20");
        }
    }
    return orientation_.get();
}

bool TesseractModels::ready()
{
    for (const auto& [key, api] : recognisers_)
        if (api)
            return true;
    return recogniser("deu", true) != nullptr;
}

}  // namespace palvenor::ocr
