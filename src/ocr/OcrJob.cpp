#include "OcrJob.h"

#include "FormatResults.h"
#include "OcrEngine.h"
#include "Prompter.h"
#include "frmOCR.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextEdit>
#include <QThread>

#include <cmath>
#include <optional>
#include <vector>

namespace palvenor::ocr {

namespace {

const QString kTitle = QStringLiteral("Palvenor");

bool clipboardHoldsPicture() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

// The hourglass over windows while a job runs, also over their parts that
// show a pointer of their own, such as the page view. Each part gets its
// pointer back, unless it was given another one meanwhile.
class BusyPointers {
public:
    explicit BusyPointers(std::initializer_list<QWidget*> windows) {
        for (QWidget* window : windows) {
            if (!window) continue;
            makeBusy(window);
            for (QWidget* part : window->findChildren<QWidget*>())
                if (part->testAttribute(Qt::WA_SetCursor)) makeBusy(part);
        }
    }
    ~BusyPointers() {
        for (const Kept& kept : kept_) {
            if (!kept.widget || kept.widget->cursor().shape() != Qt::WaitCursor) continue;
            if (kept.own)
                kept.widget->setCursor(*kept.own);
            else
                kept.widget->unsetCursor();
        }
    }
    BusyPointers(const BusyPointers&) = delete;
    BusyPointers& operator=(const BusyPointers&) = delete;

private:
    struct Kept {
        QPointer<QWidget> widget;
        std::optional<QCursor> own;  // none: the widget shows its parent's pointer
    };

    void makeBusy(QWidget* widget) {
        kept_.push_back({widget, widget->testAttribute(Qt::WA_SetCursor) ? std::optional(widget->cursor())
                                                                          : std::nullopt});
        widget->setCursor(Qt::WaitCursor);
    }

    std::vector<Kept> kept_;
};

}  // namespace

JobInfo configuredJob;

OcrJob::OcrJob(OcrEngine& engine, frmOCR& window, Prompter& prompter, QWidget* documentWindow)
    : engine_(engine), window_(window), prompter_(prompter), documentWindow_(documentWindow) {}

void OcrJob::RunOcr() {
    int32_t jobNo = 0;
    if (engine_.OcrSetErrorMode(OcrEngine::kAllJobs, OcrEngine::kShowMessages) != 0 ||
        engine_.OcrInitialise(&jobNo) != 0) {
        prompter_.message(QStringLiteral("Fehler bei OCR-Initialisierung"), kTitle,
                          Prompter::Buttons::Ok, Prompter::Icon::None);
        return;
    }
    if (clipboardHoldsPicture()) {
        configuredJob.JobType = JobInfo::kClipboardJob;
        configuredJob.InputFile = 0;
        configuredJob.PageNo = 0;
        DoOcrJob(jobNo);
    }
    engine_.OcrShutdown(OcrEngine::kAllJobs);
}

// Failures of the engine calls are reported by the engine itself.
void OcrJob::DoOcrJob(int32_t jobNo) {
    if (engine_.OcrDoJob(jobNo, toBytes(configuredJob)) != 0) return;
    const BusyPointers busy{documentWindow_.data(), &window_};
    const std::optional<int32_t> status = waitForJob(jobNo);
    if (status == OcrEngine::kFinished && GetOcrResults(jobNo, &window_.lastResults)) showResults();
}

// Asks for the job's status every 100 ms, letting the windows work before
// and after each pause.
std::optional<int32_t> OcrJob::waitForJob(int32_t jobNo) {
    for (;;) {
        int32_t status = 0;
        const int failed = engine_.OcrGetJobStatus(jobNo, &status);
        QCoreApplication::processEvents();
        QThread::msleep(kPollIntervalMs);
        QCoreApplication::processEvents();
        if (failed != 0) return std::nullopt;
        if (status != OcrEngine::kBusy) return status;
    }
}

void OcrJob::showResults() {
    Results& results = window_.lastResults;
    if (results.header.NumItems > 0) {
        window_.setFont(window_.RTF0->font());
        FormatResults(window_, results, formatOptions,
                      static_cast<int>(std::lround(formatOptions.ResolutionFactor)));
        return;
    }
    if (!window_.AppendNext) window_.changeTextByProgram([this] { window_.RTF0->clear(); });
    window_.AppendNext = false;
    prompter_.message(QStringLiteral("Keine Zeichen erkannt"), kTitle, Prompter::Buttons::Ok,
                      Prompter::Icon::Information);
}

// Results whose header carries a wrong id are reported and left unformatted,
// like results whose items carry one.
bool OcrJob::GetOcrResults(int32_t jobNo, Results* results) {
    *results = Results{};
    int32_t size = 0;
    if (engine_.OcrGetJobResults(jobNo, &size, nullptr) != 0 || size <= 0) return false;
    QByteArray block(size, '\0');
    if (engine_.OcrGetJobResults(jobNo, &size, block.data()) != 0) return true;
    block.truncate(std::clamp<int32_t>(size, 0, int32_t(block.size())));
    const std::optional<Results> unpacked = unpackResults(block);
    if (!unpacked) return true;
    *results = *unpacked;
    if (results->header.StructId != 0) {
        prompter_.critical(QStringLiteral("Falsche Kennung der Kopfzeilen") +
                               QString::number(results->header.StructId),
                           kTitle);
        results->header.NumItems = 0;
        results->items.clear();
    } else if (results->header.NumItems > 0 && results->items.front().StructId != 0) {
        prompter_.critical(QStringLiteral("Falsche Kennung der Struktur der Zeichen") +
                               QString::number(results->items.front().StructId),
                           kTitle);
        results->header.NumItems = 0;
        results->items.clear();
    }
    return true;
}

}  // namespace palvenor::ocr
