#include "PageRecognition.h"

#include "Cp1252.h"
#include "PagePreparation.h"
#include "ResultsCollector.h"
#include "TesseractModels.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <omp.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>

namespace palvenor::ocr {
namespace {

constexpr int kDefaultPixelsPerInch = 300;
constexpr double kInchesPerMeter = 0.0254;
// Below this the orientation detector is guessing; the page stays as it is.
constexpr float kMinOrientationConfidence = 5.0f;
// A reading of upright print, worn print too, averages 0.94 and more; one
// of print turned by a quarter or a half turn 0.73 to 0.83.
constexpr float kSureReading = 0.9f;

int toPixelsPerInch(int dotsPerMeter)
{
    return dotsPerMeter > 0 ? qRound(dotsPerMeter * kInchesPerMeter) : kDefaultPixelsPerInch;
}

// The disabled characters in the recogniser's terms, as UTF-8.
std::string blacklist(const ProcessOptions& options)
{
    QString characters;
    for (int code = '!'; code < 256; ++code) {
        const char32_t character = fromCp1252(uint8_t(code));
        if (isSet(options.DisableCharacter[size_t(code)]) && character != 0xFFFD)
            characters.append(QString::fromUcs4(&character, 1));
    }
    return characters.toStdString();
}

ItemRules itemRules(const ProcessOptions& options)
{
    ItemRules rules;
    rules.rejectCharacters = !isSet(options.CharacterRejectOff);
    rules.rejectLines = !isSet(options.LineRejectOff);
    for (size_t code = 0; code < rules.disabled.size(); ++code)
        rules.disabled[code] = isSet(options.DisableCharacter[code]);
    return rules;
}

// Settings of the shared recogniser that each job sets anew.
void configure(tesseract::TessBaseAPI& recogniser, const ProcessOptions& options)
{
    recogniser.SetPageSegMode(isSet(options.SectioningOn) ? tesseract::PSM_AUTO : tesseract::PSM_SINGLE_BLOCK);
    recogniser.SetVariable("tessedit_do_invert", isSet(options.InvertOff) ? "0" : "1");
    recogniser.SetVariable("tessedit_char_blacklist", blacklist(options).c_str());
}

int quarterTurnsToUpright(tesseract::TessBaseAPI* detector, Pix* page, int dotsPerInch)
{
    if (!detector)
        throw RecognitionFailure("Die Sprachdaten zur Lageerkennung (osd) fehlen.");
    detector->SetImage(page);
    detector->SetSourceResolution(dotsPerInch);
    int degrees = 0;
    float confidence = 0;
    const char* script = nullptr;
    float scriptConfidence = 0;
    const bool found = detector->DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
    detector->Clear();
    if (!found || confidence < kMinOrientationConfidence)
        return 0;
    return (4 - degrees / 90) % 4;  // the detector reports how far the page is turned clockwise
}

QRect boxAt(const tesseract::ResultIterator& it, tesseract::PageIteratorLevel level)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    it.BoundingBox(level, &left, &top, &right, &bottom);
    return QRect(left, top, right - left, bottom - top);
}

// Tesseract's recogniser is sure of nearly everything it reads: even its
// misreadings of worn print mostly score between 85 and 95. Spread over the
// scale the reject rules and the red marking count in, 94 becomes 0.8, the
// program's threshold for red: on worn pages that marks about two thirds of
// the misread words and one in twenty-five of the correct ones; clean print
// stays black.
float spreadConfidence(float tesseractPercent)
{
    constexpr float kSpread = 10.0f / 3.0f;
    return std::clamp(1.0f - (1.0f - tesseractPercent / 100.0f) * kSpread, 0.0f, 1.0f);
}

RecognisedSymbol symbolAt(const tesseract::ResultIterator& it)
{
    const std::unique_ptr<char[]> text(it.GetUTF8Text(tesseract::RIL_SYMBOL));
    const float confidence = spreadConfidence(it.Confidence(tesseract::RIL_SYMBOL));
    return {QString::fromUtf8(text.get()), boxAt(it, tesseract::RIL_SYMBOL), confidence};
}

std::vector<RecognisedLine> readLines(tesseract::ResultIterator& it)
{
    using tesseract::RIL_SYMBOL;
    using tesseract::RIL_TEXTLINE;
    using tesseract::RIL_WORD;
    std::vector<RecognisedLine> lines;
    do {
        if (it.Empty(RIL_SYMBOL))
            continue;
        if (lines.empty() || it.IsAtBeginningOf(RIL_TEXTLINE))
            lines.push_back({boxAt(it, RIL_TEXTLINE), {}});
        std::vector<RecognisedWord>& words = lines.back().words;
        if (words.empty() || it.IsAtBeginningOf(RIL_WORD))
            words.push_back({boxAt(it, RIL_WORD), {}});
        words.back().symbols.push_back(symbolAt(it));
    } while (it.Next(RIL_SYMBOL));
    return lines;
}

bool cancelRequested(void* cancelled, int)
{
    return static_cast<const std::atomic<bool>*>(cancelled)->load();
}

std::vector<RecognisedLine> recognise(tesseract::TessBaseAPI& recogniser, Pix* page, int dotsPerInch,
                                      const std::atomic<bool>& cancelled)
{
    recogniser.SetImage(page);
    recogniser.SetSourceResolution(dotsPerInch);
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = cancelRequested;
    monitor.cancel_this = const_cast<std::atomic<bool>*>(&cancelled);
    const bool done = recogniser.Recognize(&monitor) == 0;
    const std::unique_ptr<tesseract::ResultIterator> it(done ? recogniser.GetIterator() : nullptr);
    std::vector<RecognisedLine> lines = it ? readLines(*it) : std::vector<RecognisedLine>{};
    recogniser.Clear();
    if (!done && !cancelled)
        throw RecognitionFailure("Die Texterkennung ist fehlgeschlagen.");
    return lines;
}

PreparedPage preparedOrFail(const QImage& picture, const ProcessOptions& options, int dotsPerInch,
                            const UprightFinder& findUpright)
{
    PreparedPage page = preparePage(picture, options, dotsPerInch, findUpright);
    if (!page.pix)
        throw RecognitionFailure("Das Bild kann nicht gelesen werden.");
    return page;
}

}  // namespace

bool loadRecogniser()
{
    TesseractModels& models = TesseractModels::shared();
    const std::lock_guard lock(models.mutex());
    return models.ready();
}

QSize pixelsPerInch(const QImage& picture)
{
    return QSize(toPixelsPerInch(picture.dotsPerMeterX()), toPixelsPerInch(picture.dotsPerMeterY()));
}

Results recognisePicture(const QImage& picture, const ProcessOptions& options, const std::atomic<bool>& cancelled)
{
    if (picture.isNull())
        throw RecognitionFailure("Das Bild ist leer.");
    TesseractModels& models = TesseractModels::shared();
    const std::lock_guard lock(models.mutex());
    tesseract::TessBaseAPI* recogniser = models.recogniser(!isSet(options.LexOff));
    if (!recogniser)
        throw RecognitionFailure(kMissingModel);
    const QSize resolution = pixelsPerInch(picture);
    const int dotsPerInch = resolution.height();
    configure(*recogniser, options);
    // Marked areas are nearly always upright: they are read as they are, and
    // the orientation detector is asked only when that reading is unsure.
    PreparedPage page = preparedOrFail(picture, options, dotsPerInch, [](Pix*, int) { return 0; });
    std::vector<RecognisedLine> lines = recognise(*recogniser, page.pix.get(), dotsPerInch, cancelled);
    if (options.Orientation == kDetectOrientation && !cancelled && confidenceOf(lines) < kSureReading) {
        int turns = 0;
        PreparedPage turned = preparedOrFail(picture, options, dotsPerInch, [&](Pix* pix, int dpi) {
            return turns = quarterTurnsToUpright(models.orientationDetector(), pix, dpi);
        });
        if (turns != 0) {
            page = std::move(turned);
            lines = recognise(*recogniser, page.pix.get(), dotsPerInch, cancelled);
        }
    }
    return collectResults(lines, itemRules(options), page.geometry, resolution);
}

void keepRecognitionOnThisThread()
{
    omp_set_max_active_levels(0);
}

}  // namespace palvenor::ocr
