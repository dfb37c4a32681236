#include "OcrDll.h"

#include "PageRecognition.h"
#include "Prompter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <atomic>
#include <cstring>
#include <thread>

namespace palvenor::ocr {
namespace {

const QString kTitle = QStringLiteral("Texterkennung");
constexpr int32_t kNotStarted = -1;

}  // namespace

struct OcrDll::Job {
    int errorMode = kSilent;
    std::thread worker;
    std::atomic<int32_t> status{kNotStarted};
    std::atomic<bool> cancelled{false};
    QByteArray results;   // written by the worker before status becomes kFinished
    QString failure;      // written by the worker before status becomes kFailed
    bool failureReported = false;

    // On the worker thread: recognises the picture and leaves the outcome.
    void run(const QImage& picture, const ProcessOptions& options);

    // Stops the worker, if one runs, and waits for it.
    void end()
    {
        cancelled = true;
        if (worker.joinable())
            worker.join();
    }
};

void OcrDll::Job::run(const QImage& picture, const ProcessOptions& options)
{
    keepRecognitionOnThisThread();
    try {
        results = packResults(recognisePicture(picture, options, cancelled));
        status = kFinished;
    } catch (const RecognitionFailure& reason) {
        failure = QString::fromUtf8(reason.what());
        status = kFailed;
    } catch (const std::exception&) {
        failure = QStringLiteral("Die Texterkennung ist fehlgeschlagen.");
        status = kFailed;
    }
}

OcrDll::OcrDll(Prompter& prompter) : prompter_(prompter) {}

OcrDll::~OcrDll()
{
    OcrShutdown(kAllJobs);
}

int OcrDll::OcrSetErrorMode(int jobs, int mode)
{
    if (mode != kSilent && mode != kShowMessages)
        return fail(InvalidArgument, QStringLiteral("Unbekannter Fehlermodus %1.").arg(mode), errorMode_);
    if (jobs != kAllJobs) {
        Job* job = find(jobs);
        if (!job)
            return failUnknownJob(jobs);
        job->errorMode = mode;
        return Ok;
    }
    errorMode_ = mode;
    for (auto& [number, job] : jobs_)
        job->errorMode = mode;
    return Ok;
}

int OcrDll::OcrInitialise(int32_t* jobNo)
{
    if (!jobNo)
        return fail(InvalidArgument, QStringLiteral("Kein Platz für die Auftragsnummer."), errorMode_);
    if (!loadRecogniser())
        return fail(EngineUnavailable, QString::fromUtf8(kMissingModel), errorMode_);
    auto job = std::make_unique<Job>();
    job->errorMode = errorMode_;
    *jobNo = nextJobNo_++;
    jobs_[*jobNo] = std::move(job);
    return Ok;
}

int OcrDll::OcrDoJob(int32_t jobNo, const QByteArray& jobInfoBytes)
{
    Job* job = find(jobNo);
    if (!job)
        return failUnknownJob(jobNo);
    if (job->status == kBusy)
        return fail(JobRunning, QStringLiteral("Der OCR-Auftrag %1 läuft noch.").arg(jobNo), job->errorMode);
    JobInfo info;
    if (const int error = readJobInfo(jobInfoBytes, *job, &info))
        return error;
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        return fail(NoPicture, QStringLiteral("Die Zwischenablage enthält kein Bild."), job->errorMode);
    job->end();
    job->cancelled = false;
    job->failureReported = false;
    job->status = kBusy;
    job->worker = std::thread(&Job::run, job, picture, info.Options);
    return Ok;
}

int OcrDll::OcrGetJobStatus(int32_t jobNo, int32_t* status)
{
    Job* job = find(jobNo);
    if (!job)
        return failUnknownJob(jobNo);
    if (!status)
        return fail(InvalidArgument, QStringLiteral("Kein Platz für den Auftragsstand."), job->errorMode);
    if (job->status == kNotStarted)
        return fail(NotStarted, QStringLiteral("Der OCR-Auftrag %1 wurde nicht gestartet.").arg(jobNo),
                    job->errorMode);
    *status = job->status;
    if (*status == kFailed)
        reportFailureOnce(*job);
    return Ok;
}

int OcrDll::OcrGetJobResults(int32_t jobNo, int32_t* byteCount, char* buffer)
{
    Job* job = find(jobNo);
    if (!job)
        return failUnknownJob(jobNo);
    if (!byteCount)
        return fail(InvalidArgument, QStringLiteral("Kein Platz für die Größe der Ergebnisse."), job->errorMode);
    if (job->status != kFinished)
        return fail(NoResults, QStringLiteral("Der OCR-Auftrag %1 hat keine Ergebnisse.").arg(jobNo), job->errorMode);
    const int32_t size = int32_t(job->results.size());
    if (buffer && *byteCount < size)
        return fail(BufferTooSmall,
                    QStringLiteral("Der Puffer für die Ergebnisse ist zu klein: %1 statt %2 Bytes.")
                        .arg(*byteCount)
                        .arg(size),
                    job->errorMode);
    if (buffer)
        std::memcpy(buffer, job->results.constData(), size_t(size));
    *byteCount = size;
    return Ok;
}

int OcrDll::OcrShutdown(int jobs)
{
    if (jobs == kAllJobs) {
        for (auto& [number, job] : jobs_)
            job->end();
        jobs_.clear();
        return Ok;
    }
    Job* job = find(jobs);
    if (!job)
        return failUnknownJob(jobs);
    job->end();
    jobs_.erase(jobs);
    return Ok;
}

OcrDll::Job* OcrDll::find(int32_t jobNo) const
{
    const auto it = jobs_.find(jobNo);
    return it == jobs_.end() ? nullptr : it->second.get();
}

int OcrDll::fail(Error error, const QString& message, int mode)
{
    if (mode == kShowMessages)
        prompter_.critical(message, kTitle);
    return error;
}

int OcrDll::failUnknownJob(int32_t jobNo)
{
    return fail(UnknownJob, QStringLiteral("Einen OCR-Auftrag %1 gibt es nicht.").arg(jobNo), errorMode_);
}

// Only pictures from the clipboard are recognised: the job type must say
// so and no input file may be named.
int OcrDll::readJobInfo(const QByteArray& jobInfoBytes, const Job& job, JobInfo* info)
{
    if (!fromBytes(jobInfoBytes, info))
        return fail(MalformedJobInfo,
                    QStringLiteral("Die Auftragsdaten haben %1 statt %2 Bytes.")
                        .arg(jobInfoBytes.size())
                        .arg(JobInfo::kSize),
                    job.errorMode);
    if (info->JobType != JobInfo::kClipboardJob)
        return fail(UnsupportedJobType,
                    QStringLiteral("Die Auftragsart %1 wird nicht unterstützt; erkannt werden nur Bilder aus der "
                                   "Zwischenablage (Auftragsart 2).")
                        .arg(info->JobType),
                    job.errorMode);
    if (info->InputFile != 0)
        return fail(InputFileGiven,
                    QStringLiteral("Eingabedateien werden nicht unterstützt; das Bild muss in der Zwischenablage "
                                   "liegen."),
                    job.errorMode);
    return Ok;
}

void OcrDll::reportFailureOnce(Job& job)
{
    if (job.failureReported)
        return;
    job.failureReported = true;
    fail(NoResults, job.failure, job.errorMode);
}

}  // namespace palvenor::ocr
