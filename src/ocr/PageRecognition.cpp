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
#include <span>
#include <string>
#include <thread>
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
// a model by. The recogniser keeps the page and its layout, so that it can
// go on to read the page without analysing it again.
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
    std::sort(lines.begin(), lines.end(), [](const QRect& a, const QRect& b) { return a.width() > b.width(); });
    lines.resize(std::min<size_t>(lines.size(), kTrialLines));
    return lines;
}

// How a model reads trial lines: how sure it is, and what it reads.
struct TrialReading {
    tesseract::TessBaseAPI* recogniser = nullptr;  // nullptr: the model is not installed
    double confidenceSum = 0;
    int lines = 0;
    QString text;

    // The mean word confidence of the lines read, 0 to 100; -1 before any.
    double confidence() const { return lines > 0 ? confidenceSum / lines : -1; }
};

// Reads the lines one by one with the reading's model, adding to what it
// has read.
void readOn(TrialReading& reading, tesseract::TessBaseAPI& recogniser, Pix* page, int dotsPerInch,
            std::span<const QRect> lines)
{
    recogniser.SetImage(page);
    recogniser.SetSourceResolution(dotsPerInch);
    recogniser.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    for (const QRect& line : lines) {
        recogniser.SetRectangle(line.x(), line.y(), line.width(), line.height());
        ++reading.lines;
        if (recogniser.Recognize(nullptr) != 0)
            continue;
        reading.confidenceSum += recogniser.MeanTextConf();
        const std::unique_ptr<char[]> read(recogniser.GetUTF8Text());
        reading.text.append(QString::fromUtf8(read.get()));
    }
    recogniser.Clear();
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

// Tesseract reads a dash as a run of equals signs where its model has no
// dash in its character set (the frk model has none), at times with a
// stray point or hyphen: a word of such signs alone, which German text
// never has, becomes the dash again.
bool isMisreadDash(const RecognisedWord& word)
{
    int equalsSigns = 0;
    for (const RecognisedSymbol& symbol : word.symbols) {
        if (std::any_of(symbol.text.begin(), symbol.text.end(), [](QChar c) { return c.isLetterOrNumber(); }))
            return false;
        equalsSigns += int(symbol.text.count(u'='));
    }
    return equalsSigns >= 2;
}

void mendDashes(std::vector<RecognisedLine>& lines)
{
    for (RecognisedLine& line : lines)
        for (RecognisedWord& word : line.words) {
            if (!isMisreadDash(word))
                continue;
            const auto lessSure = [](const RecognisedSymbol& a, const RecognisedSymbol& b) {
                return a.confidence < b.confidence;
            };
            const float confidence =
                std::min_element(word.symbols.begin(), word.symbols.end(), lessSure)->confidence;
            word.symbols = {{QStringLiteral("—"), word.box, confidence}};
        }
}

// Where the page stands in a recogniser before it reads.
enum class Layout { ToFind, Found };

std::vector<RecognisedLine> recognise(tesseract::TessBaseAPI& recogniser, Pix* page, int dotsPerInch,
                                      const std::atomic<bool>& cancelled, Layout layout = Layout::ToFind)
{
    if (layout == Layout::ToFind) {
        recogniser.SetImage(page);
        recogniser.SetSourceResolution(dotsPerInch);
    }
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = cancelRequested;
    monitor.cancel_this = const_cast<std::atomic<bool>*>(&cancelled);
    const bool done = recogniser.Recognize(&monitor) == 0;
    const std::unique_ptr<tesseract::ResultIterator> it(done ? recogniser.GetIterator() : nullptr);
    std::vector<RecognisedLine> lines = it ? readLines(*it) : std::vector<RecognisedLine>{};
    recogniser.Clear();
    mendDashes(lines);
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
    // The job runs alone, with a core to spare: trial lines are read with
    // two models side by side.
    bool sideBySide;
};

// The recogniser of a model, set for the job; nullptr without its data.
tesseract::TessBaseAPI* configuredRecogniser(const JobSetup& job, const std::string& model)
{
    tesseract::TessBaseAPI* recogniser = job.models.recogniser(model, !isSet(job.options.LexOff));
    if (recogniser)
        configure(*recogniser, job.options, job.page.unevenPaper);
    return recogniser;
}

// A model's reading of trial lines, none read yet.
TrialReading trialReading(const JobSetup& job, const std::string& model)
{
    TrialReading reading;
    reading.recogniser = configuredRecogniser(job, model);
    return reading;
}

void readOn(TrialReading& reading, const JobSetup& job, std::span<const QRect> lines)
{
    if (reading.recogniser)
        readOn(reading, *reading.recogniser, job.page.pix.get(), job.dotsPerInch, lines);
}

// Reads a's lines with a's model and b's with b's: at once, b on a thread
// of its own, where the job has a core to spare.
void readBoth(const JobSetup& job, TrialReading& a, std::span<const QRect> aLines, TrialReading& b,
              std::span<const QRect> bLines)
{
    if (!job.sideBySide) {
        readOn(a, job, aLines);
        readOn(b, job, bLines);
        return;
    }
    std::thread other([&] {
        keepRecognitionOnThisThread();
        readOn(b, job, bLines);
    });
    readOn(a, job, aLines);
    other.join();
}

const TrialReading& surer(const TrialReading& a, const TrialReading& b)
{
    return b.confidence() > a.confidence() ? b : a;
}

// The recogniser a job reads with, and whether it holds the page with its
// layout found.
struct Reader {
    tesseract::TessBaseAPI* recogniser;
    Layout layout;
};

// Antiqua is read with the German model; the words it is unsure of are read
// once more with the frk model, and the surer reading stays. That mends
// letter-spaced small capitals, which the German model misreads ("FRIEDRICH"
// as "Frıeprıen"), and reads the other antiqua scans of the test data as
// the German model alone. Without the frk data, that one reads alone.
tesseract::TessBaseAPI& antiquaRecogniser(const JobSetup& job)
{
    if (tesseract::TessBaseAPI* paired = configuredRecogniser(job, "deu+frk"))
        return *paired;
    if (tesseract::TessBaseAPI* german = configuredRecogniser(job, "deu"))
        return *german;
    throw RecognitionFailure(kMissingModel);
}

// The model of a trial reads the page instead of the antiqua recogniser,
// which lets go of the page.
Reader instead(tesseract::TessBaseAPI& antiqua, const TrialReading& trial)
{
    antiqua.Clear();
    return {trial.recogniser, Layout::ToFind};
}

// Old antiqua uses the long s about once a line; a single one in the trial
// lines may be a misreading.
constexpr int kLongSOfOldPrint = 2;
// The German model reads a line of today's print far more surely than the
// Fraktur script model: by 13 points on a rendered page, by less than 12 on
// every antiqua scan of the test data. The Fraktur script model reads the
// first line of most of its Fraktur scans more surely by 13 to 19 points;
// it is not that much surer on any of its antiqua scans.
constexpr double kPlainlySurer = 12;

bool isPlainlySurer(const TrialReading& a, const TrialReading& b)
{
    return a.confidence() >= b.confidence() + kPlainlySurer;
}

bool isPlainlyToday(const TrialReading& german, const TrialReading& fraktur)
{
    return isPlainlySurer(german, fraktur) && !fraktur.text.contains(u'ſ');
}

bool isPlainlyFraktur(const TrialReading& german, const TrialReading& fraktur)
{
    return isPlainlySurer(fraktur, german) && fraktur.text.contains(u'ſ');
}

// The automatic choice, on the widest lines of the area. Fraktur print is
// read more surely by the Fraktur script model than by the German one; of
// the two Fraktur models, the surer reads the area. Antiqua that uses the
// long s is old print, which the Fraktur script model reads better than
// the German model (on the test data's scans 1.7 % of the characters
// wrong against 4.4 %); it tells the long s from the round one, so its
// reading shows whether the print has it. Today's print goes to the German
// model. Where the first line shows today's print plainly, the other trial
// lines are not read; where it shows Fraktur plainly, the German model
// reads no more, and the frk model reads beside the Fraktur script model.
// A model whose data is missing is left out. The antiqua recogniser finds
// the layout of the page and keeps it for reading it.
Reader automaticReader(const JobSetup& job)
{
    tesseract::TessBaseAPI& antiqua = antiquaRecogniser(job);
    const std::vector<QRect> lines = trialLines(antiqua, job.page.pix.get(), job.dotsPerInch);
    TrialReading german = trialReading(job, "deu");
    const Reader readAsAntiqua{&antiqua, german.recogniser == &antiqua ? Layout::ToFind : Layout::Found};
    if (lines.empty())
        return readAsAntiqua;
    TrialReading fraktur = trialReading(job, "Fraktur");
    const std::span<const QRect> first(lines.data(), 1);
    readBoth(job, fraktur, first, german, first);
    if (isPlainlyToday(german, fraktur))
        return readAsAntiqua;
    const std::span<const QRect> others(lines.begin() + 1, lines.end());
    if (isPlainlyFraktur(german, fraktur)) {
        TrialReading frk = trialReading(job, "frk");
        readBoth(job, fraktur, others, frk, lines);
        return instead(antiqua, surer(fraktur, frk));
    }
    readBoth(job, fraktur, others, german, others);
    if (fraktur.confidence() > german.confidence()) {
        TrialReading frk = trialReading(job, "frk");
        readOn(frk, job, lines);
        return instead(antiqua, surer(fraktur, frk));
    }
    if (fraktur.text.count(u'ſ') >= kLongSOfOldPrint)
        return instead(antiqua, fraktur);
    return readAsAntiqua;
}

// The recogniser the job reads with, set for the job.
Reader chosenReader(const JobSetup& job)
{
    const auto language = OcrLanguage(job.options.Language);
    if (language == OcrLanguage::Automatic) {
        const Reader reader = automaticReader(job);
        configure(*reader.recogniser, job.options, job.page.unevenPaper);
        return reader;
    }
    const std::string model = modelOf(language);
    tesseract::TessBaseAPI* recogniser = configuredRecogniser(job, model);
    if (!recogniser)
        throw RecognitionFailure("Die Sprachdaten (" + model + ") für die Texterkennung fehlen.");
    return {recogniser, Layout::ToFind};
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
    const Reader reader = chosenReader(job);
    tesseract::TessBaseAPI& recogniser = *reader.recogniser;
    Pix* page = job.page.pix.get();
    std::vector<RecognisedLine> lines = recognise(recogniser, page, job.dotsPerInch, cancelled, reader.layout);
    if (!lines.empty() || cancelled || isSet(job.options.SectioningOn))
        return lines;
    recogniser.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    return recognise(recogniser, page, job.dotsPerInch, cancelled);
}

// A job with models; sideBySide as for JobSetup.
Results recogniseWith(TesseractModels& models, const QImage& picture, const ProcessOptions& options,
                      const std::atomic<bool>& cancelled, bool sideBySide)
{
    if (picture.isNull())
        throw RecognitionFailure("Das Bild ist leer.");
    const QSize resolution = pixelsPerInch(picture);
    const int dotsPerInch = resolution.height();
    // Marked areas are nearly always upright: they are read as they are, and
    // the orientation detector is asked only when that reading is unsure.
    PreparedPage page = preparedOrFail(picture, options, dotsPerInch, [](Pix*, int) { return 0; });
    std::vector<RecognisedLine> lines = readArea({models, options, page, dotsPerInch, sideBySide}, cancelled);
    if (options.Orientation == kDetectOrientation && !cancelled && confidenceOf(lines) < kSureReading) {
        int turns = 0;
        PreparedPage turned = preparedOrFail(picture, options, dotsPerInch, [&](Pix* pix, int dpi) {
            return turns = quarterTurnsToUpright(models.orientationDetector(), pix, dpi);
        });
        if (turns != 0) {
            page = std::move(turned);
            lines = readArea({models, options, page, dotsPerInch, sideBySide}, cancelled);
        }
    }
    return collectResults(lines, itemRules(options), page.geometry, resolution);
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
    return recogniseWith(models, picture, options, cancelled, true);
}

Results recognisePicture(TesseractModels& models, const QImage& picture, const ProcessOptions& options,
                         const std::atomic<bool>& cancelled)
{
    return recogniseWith(models, picture, options, cancelled, false);
}

void keepRecognitionOnThisThread()
{
    omp_set_max_active_levels(0);
}

}  // namespace palvenor::ocr
