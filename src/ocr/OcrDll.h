#pragma once

// The OCR engine on Tesseract 5 and Leptonica. A job takes the picture on
// the clipboard when it starts and is recognised on a worker thread of its
// own; the caller polls the status. The German model stays loaded for the
// whole process (see TesseractModels), so starting and ending the engine
// around every job costs nothing.

#include "OcrEngine.h"
#include "OcrRecords.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>

namespace palvenor {
class Prompter;
}

namespace palvenor::ocr {

class OcrDll : public OcrEngine {
public:
    // The error codes the calls return.
    enum Error : int {
        Ok = 0,
        UnknownJob = 1,
        InvalidArgument = 2,
        EngineUnavailable = 3,
        MalformedJobInfo = 4,
        UnsupportedJobType = 5,
        InputFileGiven = 6,
        NoPicture = 7,
        JobRunning = 8,
        NotStarted = 9,
        NoResults = 10,
        BufferTooSmall = 11,
    };
    // Status of a job that ended without results.
    static constexpr int32_t kFailed = 2;

    // In error mode kShowMessages the engine reports its errors through
    // prompter, always on the thread that made the call.
    explicit OcrDll(Prompter& prompter);
    ~OcrDll() override;

    int OcrSetErrorMode(int jobs, int mode) override;
    int OcrInitialise(int32_t* jobNo) override;
    int OcrDoJob(int32_t jobNo, const QByteArray& jobInfoBytes) override;
    int OcrGetJobStatus(int32_t jobNo, int32_t* status) override;
    int OcrGetJobResults(int32_t jobNo, int32_t* byteCount, char* buffer) override;
    int OcrShutdown(int jobs) override;

private:
    struct Job;

    Job* find(int32_t jobNo) const;
    int fail(Error error, const QString& message, int mode);
    int failUnknownJob(int32_t jobNo);
    int readJobInfo(const QByteArray& jobInfoBytes, const Job& job, JobInfo* info);
    void reportFailureOnce(Job& job);

    Prompter& prompter_;
    int errorMode_ = kSilent;
    int32_t nextJobNo_ = 1;
    std::map<int32_t, std::unique_ptr<Job>> jobs_;
};

}  // namespace palvenor::ocr
