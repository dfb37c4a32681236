#include "PageRecognition.h"

#include "Cp1252.h"
#include "PagePreparation.h"
#include "ResultsCollector.h"
#include "TesseractModels.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <leptonica/allheaders.h>

#include <omp.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

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

// Tesseract's thresholding methods ("thresholding_method").
constexpr const char* kOtsu = "0";
constexpr const char* kSauvola = "2";

// Settings of a shared recogniser that each job sets anew. Shading is
// removed by Sauvola's threshold, which follows the paper's brightness from
// place to place. Where the paper is even, Tesseract's own threshold for
// the whole area reads more: on the real scans of the test data the Fraktur
// model gets 3.6 % of the characters wrong with it, 4.0 % with Sauvola.
void configure(tesseract::TessBaseAPI& recogniser, const ProcessOptions& options, bool unevenPaper)
{
    const bool deshade = unevenPaper && !isSet(options.DeshadeOff);
    recogniser.SetPageSegMode(tesseract::PSM_AUTO);
    // Turned print is the orientation step's to turn, so that the boxes of
    // the results map back onto the picture the same way.
    recogniser.SetVariable("textord_tabfind_vertical_text", "0");
    recogniser.SetVariable("thresholding_method", deshade ? kSauvola : kOtsu);
    recogniser.SetVariable("tessedit_do_invert", isSet(options.InvertOff) ? "0" : "1");
    recogniser.SetVariable("tessedit_char_blacklist", blacklist(options).c_str());
}

// The model of each language the user can choose but the automatic one.
std::string modelOf(OcrLanguage language)
{
    switch (language) {
    case OcrLanguage::Fraktur: return "Fraktur";
    case OcrLanguage::GermanAndFraktur: return "deu+Fraktur";
    case OcrLanguage::German:
    case OcrLanguage::Automatic: break;
    }
    return "deu";
}

// How many lines the automatic choice reads with each model it tries.
constexpr int kTrialLines = 3;

// The widest text lines of the page, which carry the most letters to judge
// a model by.
std::vector<QRect> trialLines(tesseract::TessBaseAPI& recogniser, Pix* page, int dotsPerInch)
{
    recogniser.SetImage(page);
    recogniser.SetSourceResolution(dotsPerInch);
    Boxa* found = recogniser.GetComponentImages(tesseract::RIL_TEXTLINE, true, nullptr, nullptr);
    std::vector<QRect> lines;
    for (int i = 0; found && i < boxaGetCount(found); ++i) {
        int x = 0, y = 0, width = 0, height = 0;
        boxaGetBoxGeometry(found, i, &x, &y, &width, &height);
        lines.emplace_back(x, y, width, height);
    }
    boxaDestroy(&found);
    recogniser.Clear();
    std::sort(lines.begin(), lines.end(), [](const QRect& a, const QRect& b) { return a.width() > b.width(); });
    lines.resize(std::min<size_t>(lines.size(), kTrialLines));
    return lines;
}

// The mean word confidence a model reads the lines with, 0 to 100; the
// text it reads goes to *text.
double trialConfidence(tesseract::TessBaseAPI& recogniser, Pix* page, int dotsPerInch,
                       const std::vector<QRect>& lines, QString* text)
{
    recogniser.SetImage(page);
    recogniser.SetSourceResolution(dotsPerInch);
    recogniser.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    double sum = 0;
    for (const QRect& line : lines) {
        recogniser.SetRectangle(line.x(), line.y(), line.width(), line.height());
        if (recogniser.Recognize(nullptr) != 0)
            continue;
        sum += recogniser.MeanTextConf();
        const std::unique_ptr<char[]> read(recogniser.GetUTF8Text());
        text->append(QString::fromUtf8(read.get()));
    }
    recogniser.Clear();
    return lines.empty() ? 0 : sum / double(lines.size());
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

// What a job needs to set up its recogniser.
struct JobSetup {
    TesseractModels& models;
    const ProcessOptions& options;
    const PreparedPage& page;
    int dotsPerInch;
};

// The recogniser of a model, set for the job; nullptr without its data.
tesseract::TessBaseAPI* configuredRecogniser(const JobSetup& job, const std::string& model)
{
    tesseract::TessBaseAPI* recogniser = job.models.recogniser(model, !isSet(job.options.LexOff));
    if (recogniser)
        configure(*recogniser, job.options, job.page.unevenPaper);
    return recogniser;
}

// How a model reads the trial lines: how sure it is, and what it reads.
struct TrialReading {
    tesseract::TessBaseAPI* recogniser = nullptr;  // nullptr: the model is not installed
    double confidence = -1;
    QString text;
};

TrialReading readTrial(const JobSetup& job, const std::string& model, const std::vector<QRect>& lines)
{
    TrialReading reading;
    reading.recogniser = configuredRecogniser(job, model);
    if (reading.recogniser)
        reading.confidence =
            trialConfidence(*reading.recogniser, job.page.pix.get(), job.dotsPerInch, lines, &reading.text);
    return reading;
}

const TrialReading& surer(const TrialReading& a, const TrialReading& b)
{
    return b.confidence > a.confidence ? b : a;
}

// The automatic choice, on the widest lines of the area. Fraktur print is
// read more surely by the Fraktur script model than by the German one; of
// the two Fraktur models, the surer reads the area. Antiqua that uses the
// long s is old print, which the Fraktur script model reads better than
// the German model (on the test data's scans 1.7 % of the characters
// wrong against 4.4 %); it tells the long s from the round one, so its
// reading shows whether the print has it. Today's print goes to the German
// model. A model whose data is missing is left out.
// Old antiqua uses the long s about once a line; a single one in the trial
// lines may be a misreading.
constexpr int kLongSOfOldPrint = 2;

tesseract::TessBaseAPI& automaticRecogniser(const JobSetup& job)
{
    tesseract::TessBaseAPI* german = configuredRecogniser(job, "deu");
    if (!german)
        throw RecognitionFailure(kMissingModel);
    const std::vector<QRect> lines = trialLines(*german, job.page.pix.get(), job.dotsPerInch);
    tesseract::TessBaseAPI* chosen = german;
    if (!lines.empty()) {
        const TrialReading germanReading = readTrial(job, "deu", lines);
        const TrialReading fraktur = readTrial(job, "Fraktur", lines);
        if (fraktur.confidence > germanReading.confidence)
            chosen = surer(fraktur, readTrial(job, "frk", lines)).recogniser;
        else if (fraktur.text.count(u'ſ') >= kLongSOfOldPrint)
            chosen = fraktur.recogniser;
    }
    configure(*chosen, job.options, job.page.unevenPaper);
    return *chosen;
}

// The recogniser the job reads with.
tesseract::TessBaseAPI& chosenRecogniser(const JobSetup& job)
{
    const auto language = OcrLanguage(job.options.Language);
    if (language == OcrLanguage::Automatic)
        return automaticRecogniser(job);
    const std::string model = modelOf(language);
    tesseract::TessBaseAPI* recogniser = configuredRecogniser(job, model);
    if (!recogniser)
        throw RecognitionFailure("Die Sprachdaten (" + model + ") für die Texterkennung fehlen.");
    return *recogniser;
}

// Reads the area with the chosen model and the recogniser's layout
// analysis, which finds the columns, headings and notes of an area in
// their reading order and leaves out the specks and rules of its margins.
// (Reading an area of one column as a single block instead gets 3.9 % of
// the characters of the test data's antiqua scans wrong, against 1.9 %.)
// An area in which the analysis finds no text is read once more as one
// block of lines, unless the user asked for sectioning.
std::vector<RecognisedLine> readArea(const JobSetup& job, const std::atomic<bool>& cancelled)
{
    tesseract::TessBaseAPI& recogniser = chosenRecogniser(job);
    Pix* page = job.page.pix.get();
    std::vector<RecognisedLine> lines = recognise(recogniser, page, job.dotsPerInch, cancelled);
    if (!lines.empty() || cancelled || isSet(job.options.SectioningOn))
        return lines;
    recogniser.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    return recognise(recogniser, page, job.dotsPerInch, cancelled);
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
    TesseractModels& models = TesseractModels::shared();
    const std::lock_guard lock(models.mutex());
    return recognisePicture(models, picture, options, cancelled);
}

Results recognisePicture(TesseractModels& models, const QImage& picture, const ProcessOptions& options,
                         const std::atomic<bool>& cancelled)
{
    if (picture.isNull())
        throw RecognitionFailure("Das Bild ist leer.");
    const QSize resolution = pixelsPerInch(picture);
    const int dotsPerInch = resolution.height();
    // Marked areas are nearly always upright: they are read as they are, and
    // the orientation detector is asked only when that reading is unsure.
    PreparedPage page = preparedOrFail(picture, options, dotsPerInch, [](Pix*, int) { return 0; });
    std::vector<RecognisedLine> lines = readArea({models, options, page, dotsPerInch}, cancelled);
    if (options.Orientation == kDetectOrientation && !cancelled && confidenceOf(lines) < kSureReading) {
        int turns = 0;
        PreparedPage turned = preparedOrFail(picture, options, dotsPerInch, [&](Pix* pix, int dpi) {
            return turns = quarterTurnsToUpright(models.orientationDetector(), pix, dpi);
        });
        if (turns != 0) {
            page = std::move(turned);
            lines = readArea({models, options, page, dotsPerInch}, cancelled);
        }
    }
    return collectResults(lines, itemRules(options), page.geometry, resolution);
}

void keepRecognitionOnThisThread()
{
    omp_set_max_active_levels(0);
}

}  // namespace palvenor::ocr
