#pragma once

#include "OcrRecords.h"

#include <QPointer>
#include <QWidget>

namespace palvenor {
class Prompter;
}

namespace palvenor::ocr {

class OcrEngine;
class frmOCR;

// The job description the next OCR job is started with; the processing
// options in it are the ones the user configured.
extern JobInfo configuredJob;

// One OCR job on the picture in the clipboard: the engine is set up, the
// job started and waited for with the user interface kept alive, the
// results fetched, checked and formatted into the OCR window, and the engine
// shut down again.
class OcrJob {
public:
    OcrJob(OcrEngine& engine, frmOCR& window, Prompter& prompter, QWidget* documentWindow);

    void RunOcr();
    // Fetches and checks the results of job jobNo; false when there are none.
    bool GetOcrResults(int32_t jobNo, Results* results);

    static constexpr int kPollIntervalMs = 100;

private:
    void DoOcrJob(int32_t jobNo);
    // Waits for the job; the status it ended with, or nullopt when asking failed.
    std::optional<int32_t> waitForJob(int32_t jobNo);
    void showResults();

    OcrEngine& engine_;
    frmOCR& window_;
    Prompter& prompter_;
    QPointer<QWidget> documentWindow_;
};

}  // namespace palvenor::ocr
