#pragma once

// The six calls of the OCR engine library. The OCR job talks only to this
// interface; OcrDll is the real engine, tests may script another. Every
// call returns 0 on success and a nonzero error code on failure.

#include <QByteArray>

#include <cstdint>

namespace palvenor::ocr {

class OcrEngine {
public:
    static constexpr int kAllJobs = -1;
    static constexpr int kShowMessages = 1;  // error mode: the engine shows its own message boxes
    static constexpr int kSilent = 0;        // error mode: errors are only returned

    // Job status values of OcrGetJobStatus; any other value means the job
    // ended without results.
    static constexpr int32_t kBusy = 0;
    static constexpr int32_t kFinished = 1;

    virtual ~OcrEngine() = default;

    // jobs: kAllJobs or one job number; mode: kShowMessages or kSilent.
    virtual int OcrSetErrorMode(int jobs, int mode) = 0;
    // Makes the engine ready and hands out a job number.
    virtual int OcrInitialise(int32_t* jobNo) = 0;
    // Starts the job described by the 556 bytes of a JobInfo record and
    // returns at once.
    virtual int OcrDoJob(int32_t jobNo, const QByteArray& jobInfoBytes) = 0;
    virtual int OcrGetJobStatus(int32_t jobNo, int32_t* status) = 0;
    // With buffer == nullptr: *byteCount becomes the size of the results
    // block. Otherwise buffer holds *byteCount bytes and receives the block;
    // *byteCount becomes the number of bytes written.
    virtual int OcrGetJobResults(int32_t jobNo, int32_t* byteCount, char* buffer) = 0;
    // Ends kAllJobs or one job and releases what belongs to it.
    virtual int OcrShutdown(int jobs) = 0;
};

}  // namespace palvenor::ocr
