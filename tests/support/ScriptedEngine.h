#pragma once

#include "OcrEngine.h"

#include <QStringList>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace palvenor::test {

// An engine that plays a scripted job and notes every call.
struct ScriptedEngine : ocr::OcrEngine {
    int setErrorModeResult = 0;
    int initialiseResult = 0;
    int doJobResult = 0;
    std::vector<int32_t> statuses{1};  // one per status call; the last one repeats
    int statusResult = 0;
    QByteArray block;
    int sizeResult = 0;
    int fetchResult = 0;

    std::function<void()> onShutdown;  // runs inside each shutdown call
    std::function<void()> onStatus;    // runs inside each status call

    QStringList calls;
    QByteArray jobInfo;
    int statusCalls = 0;

    int OcrSetErrorMode(int jobs, int mode) override {
        calls << QStringLiteral("SetErrorMode %1 %2").arg(jobs).arg(mode);
        return setErrorModeResult;
    }
    int OcrInitialise(int32_t* jobNo) override {
        calls << QStringLiteral("Initialise");
        *jobNo = 7;
        return initialiseResult;
    }
    int OcrDoJob(int32_t jobNo, const QByteArray& bytes) override {
        calls << QStringLiteral("DoJob %1").arg(jobNo);
        jobInfo = bytes;
        return doJobResult;
    }
    int OcrGetJobStatus(int32_t, int32_t* status) override {
        *status = statuses[std::min<size_t>(size_t(statusCalls), statuses.size() - 1)];
        ++statusCalls;
        if (onStatus) onStatus();
        return statusResult;
    }
    int OcrGetJobResults(int32_t, int32_t* byteCount, char* buffer) override {
        if (!buffer) {
            calls << QStringLiteral("ResultsSize");
            *byteCount = int32_t(block.size());
            return sizeResult;
        }
        calls << QStringLiteral("Results");
        std::memcpy(buffer, block.constData(), size_t(std::min<qsizetype>(*byteCount, block.size())));
        return fetchResult;
    }
    int OcrShutdown(int jobs) override {
        calls << QStringLiteral("Shutdown %1").arg(jobs);
        if (onShutdown) onShutdown();
        return 0;
    }
};

}  // namespace palvenor::test
