// The OCR engine on generated German pages (clean, turned by 2°, with
// salt-and-pepper noise, grey on an uneven background): a whole job as the
// program runs it, against the Tesseract command line on the same picture
// with one OpenMP thread. Prints the character error rate of both against
// the true text and the time ratio.
//
// Then on real scanned pages, antiqua and Fraktur: the program's own path
// (a job with the default options, then the formatter with its default
// options) against the command line with each model it offers for German
// print, compared as running text.

#include "BenchTools.h"
#include "FormatResults.h"
#include "OcrDll.h"
#include "OcrRecords.h"
#include "PageRecognition.h"
#include "Prompter.h"
#include "TextAccuracy.h"
#include "frmOCR.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>
#include <QTransform>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

namespace palvenor::bench {
namespace {

using namespace palvenor::ocr;

// The engine's own time shows when it is polled often; the program polls
// every 100 ms, which adds up to one round to each job.
constexpr int kFinePollMs = 5;
constexpr int kProgramPollMs = 100;
constexpr int kDotsPerMeterAt300Dpi = 11811;

// Keeps the engine's messages; the bench reports the last one on failure.
class NotingPrompter : public Prompter {
public:
    Answer message(const QString& text, const QString&, Buttons, Icon) override
    {
        last = text;
        return Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> openFileName(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&, int*) override
    {
        return std::nullopt;
    }
    std::optional<QString> folderName(const QString&, const QString&) override { return std::nullopt; }
    int execDialog(QDialog&) override { return 0; }

    QString last;
};

using textcheck::characterErrorRate;
using textcheck::runningTextErrorRate;
using textcheck::textOf;

int threadsOfThisProcess()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    return 0;
}

// One job from OcrSetErrorMode to OcrShutdown, polled as the program
// polls, with the threads the process had at most while it ran.
struct JobRun {
    QString text;
    Results results;
    int peakThreads = 0;
};

class EngineRunner {
public:
    JobRun run(const QImage& picture, int pollMs = kFinePollMs)
    {
        QGuiApplication::clipboard()->setImage(picture);
        JobRun outcome;
        int32_t jobNo = 0;
        check(engine_.OcrSetErrorMode(OcrEngine::kAllJobs, OcrEngine::kShowMessages));
        check(engine_.OcrInitialise(&jobNo));
        JobInfo job;
        check(engine_.OcrDoJob(jobNo, toBytes(job)));
        outcome.peakThreads = waitFor(jobNo, pollMs);
        outcome.results = fetch(jobNo);
        outcome.text = textOf(outcome.results);
        check(engine_.OcrShutdown(OcrEngine::kAllJobs));
        return outcome;
    }

private:
    void check(int result)
    {
        if (result != 0)
            throw BenchFailure("OCR engine: " + prompter_.last.toStdString());
    }

    int waitFor(int32_t jobNo, int pollMs)
    {
        const QDeadlineTimer patience(std::chrono::minutes(5));
        int32_t status = OcrEngine::kBusy;
        int peak = 0;
        while (status == OcrEngine::kBusy && !patience.hasExpired()) {
            peak = std::max(peak, threadsOfThisProcess());
            QThread::msleep(pollMs);
            check(engine_.OcrGetJobStatus(jobNo, &status));
        }
        if (status != OcrEngine::kFinished)
            throw BenchFailure("OCR job ended with status " + std::to_string(status));
        return peak;
    }

    Results fetch(int32_t jobNo)
    {
        int32_t size = 0;
        check(engine_.OcrGetJobResults(jobNo, &size, nullptr));
        QByteArray block(size, '\0');
        check(engine_.OcrGetJobResults(jobNo, &size, block.data()));
        return unpackResults(block).value_or(Results{});
    }

    NotingPrompter prompter_;
    OcrDll engine_{prompter_};
};

// The text the command line reads from a picture file with a model.
QString commandLineText(const QString& tesseract, const QString& picture,
                        const QString& model = QStringLiteral("deu"))
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.start(tesseract, {picture, QStringLiteral("-"), QStringLiteral("-l"), model});
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw BenchFailure("tesseract failed on " + picture.toStdString());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QImage at300Dpi(QImage picture)
{
    picture.setDotsPerMeterX(kDotsPerMeterAt300Dpi);
    picture.setDotsPerMeterY(kDotsPerMeterAt300Dpi);
    return picture;
}

QImage onWhite(const QImage& picture)
{
    QImage paper(picture.size(), QImage::Format_Grayscale8);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.drawImage(0, 0, picture);
    return at300Dpi(paper);
}

QImage turnedByTwoDegrees(const QImage& page)
{
    return onWhite(page.convertToFormat(QImage::Format_ARGB32)
                       .transformed(QTransform().rotate(2), Qt::SmoothTransformation));
}

// Every pixel turns black or white with a chance of 1 % each.
QImage withSaltAndPepper(const QImage& page)
{
    QImage noisy = page.convertToFormat(QImage::Format_Grayscale8);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int y = 0; y < noisy.height(); ++y) {
        uchar* line = noisy.scanLine(y);
        for (int x = 0; x < noisy.width(); ++x) {
            const int roll = percent(random);
            if (roll == 0)
                line[x] = 0;
            else if (roll == 1)
                line[x] = 255;
        }
    }
    return at300Dpi(noisy);
}

// Grey print on paper that darkens from the top left to the bottom right,
// as a page photographed in side light: its shadow is darker than the ink
// at the bright corner.
QImage onUnevenGrey(const QImage& page)
{
    QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    const double span = double(grey.width() + grey.height());
    for (int y = 0; y < grey.height(); ++y) {
        uchar* line = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            const double paper = 250.0 - 170.0 * (x + y) / span;
            line[x] = uchar(line[x] < 128 ? paper * 0.35 : paper);
        }
    }
    return at300Dpi(grey);
}

struct Variant {
    QString name;
    QImage picture;
};

struct OcrRuns {
    int timed;  // timed runs of each figure
    bool allVariants;
};

class OcrBench {
public:
    explicit OcrBench(const OcrRuns& runs) : runs_(runs)
    {
        if (!folder_.isValid())
            throw BenchFailure("no temporary folder");
        const QString book = folder_.filePath(QStringLiteral("ocr.tif"));
        const QString truth = folder_.filePath(QStringLiteral("ocr.txt"));
        runProgram(QStringLiteral(PALVENOR_SAMPLEBOOK), {book, QStringLiteral("--pages"), QStringLiteral("1"),
                                                         QStringLiteral("--seed"), QStringLiteral("3"),
                                                         QStringLiteral("--truth"), truth});
        page_ = at300Dpi(QImage(book));
        QFile truthFile(truth);
        if (page_.isNull() || !truthFile.open(QIODevice::ReadOnly))
            throw BenchFailure("no generated page for the OCR figures");
        truth_ = QString::fromUtf8(truthFile.readAll());
        tesseract_ = QStandardPaths::findExecutable(QStringLiteral("tesseract"));
    }

    void run()
    {
        const double first = firstJobFigures();
        const double reference = variantFigures({QStringLiteral("clean"), page_});
        printFigure(QStringLiteral("ocr_clean_job_program_poll_ms"),
              bestOfMs(runs_.timed, [&] { engine_.run(page_, kProgramPollMs); }));
        if (reference > 0)
            printFigure(QStringLiteral("ocr_first_job_vs_cli_ratio"), first / reference);
        if (!runs_.allVariants)
            return;
        variantFigures({QStringLiteral("turned2deg"), turnedByTwoDegrees(page_)});
        variantFigures({QStringLiteral("saltpepper"), withSaltAndPepper(page_)});
        variantFigures({QStringLiteral("unevengrey"), onUnevenGrey(page_)});
    }

private:
    // The first job of the process loads the German model; the threads it
    // adds show whether the recognition stays on the engine's one worker.
    double firstJobFigures()
    {
        const int before = threadsOfThisProcess();
        JobRun first;
        const double ms = bestOfMs(1, [&] { first = engine_.run(page_); });
        printFigure(QStringLiteral("ocr_first_job_ms"), ms);
        printFigure(QStringLiteral("ocr_job_threads_added"), first.peakThreads - before);
        return ms;
    }

    // Our job (the model kept) against the command line; returns the
    // command line's time, or 0 without it.
    double variantFigures(const Variant& variant)
    {
        const QString file = folder_.filePath(variant.name + QStringLiteral(".tif"));
        if (!variant.picture.save(file))
            throw BenchFailure("cannot write " + file.toStdString());
        const QImage picture = at300Dpi(QImage(file));  // the very picture the command line reads
        JobRun job;
        const double ours = bestOfMs(runs_.timed, [&] { job = engine_.run(picture); });
        const QString prefix = QStringLiteral("ocr_") + variant.name;
        printFigure(prefix + QStringLiteral("_cer"), characterErrorRate(job.text, truth_));
        printFigure(prefix + QStringLiteral("_job_ms"), ours);
        if (tesseract_.isEmpty()) {
            std::printf("note: tesseract is not on PATH; %s command line figures left out\n", qPrintable(prefix));
            return 0;
        }
        QString cliText;
        const double reference = bestOfMs(runs_.timed, [&] { cliText = commandLineText(tesseract_, file); });
        printFigure(prefix + QStringLiteral("_cli_cer"), characterErrorRate(cliText, truth_));
        printFigure(prefix + QStringLiteral("_cli_ms"), reference);
        printFigure(prefix + QStringLiteral("_job_vs_cli_ratio"), ours / reference);
        return reference;
    }

    OcrRuns runs_;
    QTemporaryDir folder_;
    QImage page_;
    QString truth_;
    QString tesseract_;
    EngineRunner engine_;
};

// The models the command line offers for German print.
const QStringList kCommandLineModels{QStringLiteral("deu"), QStringLiteral("frk"), QStringLiteral("Fraktur")};

// What one real page gave: error rates and times, ours and per model.
struct PageFigures {
    double cer = 0;
    double ms = 0;
    std::map<QString, double> cliCer;
    std::map<QString, double> cliMs;
};

// The real pages of one script and their figures.
class ScriptFigures {
public:
    void add(const PageFigures& page) { pages_.push_back(page); }

    // The model whose mean error over the pages is lowest.
    QString bestModel() const
    {
        QString best = kCommandLineModels.front();
        for (const QString& model : kCommandLineModels)
            if (meanCliCer(model) < meanCliCer(best))
                best = model;
        return best;
    }

    void print(const QString& script) const
    {
        const QString prefix = QStringLiteral("ocr_real_") + script;
        double cer = 0, ms = 0, bestOfPage = 0;
        for (const PageFigures& page : pages_) {
            cer += page.cer;
            ms += page.ms;
            bestOfPage += lowestCliCer(page);
        }
        const double count = double(pages_.size());
        printFigure(prefix + QStringLiteral("_mean_cer"), cer / count);
        for (const QString& model : kCommandLineModels)
            printFigure(prefix + QStringLiteral("_mean_cli_") + model + QStringLiteral("_cer"), meanCliCer(model));
        printFigure(prefix + QStringLiteral("_mean_cli_best_cer"), bestOfPage / count);
        const QString model = bestModel();
        std::printf("note: %s: the best single command-line model is %s\n", qPrintable(script), qPrintable(model));
        double cliMs = 0;
        for (const PageFigures& page : pages_)
            cliMs += page.cliMs.at(model);
        printFigure(prefix + QStringLiteral("_job_vs_cli_") + model + QStringLiteral("_ratio"), ms / cliMs);
    }

    static double lowestCliCer(const PageFigures& page)
    {
        double lowest = 1e9;
        for (const auto& [model, cer] : page.cliCer)
            lowest = std::min(lowest, cer);
        return lowest;
    }

private:
    double meanCliCer(const QString& model) const
    {
        double sum = 0;
        for (const PageFigures& page : pages_)
            sum += page.cliCer.at(model);
        return sum / double(pages_.size());
    }

    std::vector<PageFigures> pages_;
};

// The real scanned pages of the test data, each beside its true text
// (NAME.gt.norm.txt), through the program and through the command line.
class RealPagesBench {
public:
    RealPagesBench() : window_(prompter_)
    {
        tesseract_ = QStandardPaths::findExecutable(QStringLiteral("tesseract"));
        if (tesseract_.isEmpty())
            throw BenchFailure("tesseract is not on PATH; the real pages need the command line to compare with");
    }

    void run()
    {
        const QDir folder(QStringLiteral(PALVENOR_OCR_PAGES));
        std::map<QString, ScriptFigures> scripts;
        for (const QString& file : folder.entryList({QStringLiteral("*.jpg"), QStringLiteral("*.tif")}, QDir::Files,
                                                    QDir::Name)) {
            const QString name = file.section(u'_', 0, 1);  // "antiqua_01"
            const QString truthFile = folder.filePath(file.section(u'.', 0, 0) + QStringLiteral(".gt.norm.txt"));
            scripts[file.section(u'_', 0, 0)].add(pageFigures(name, folder.filePath(file), readText(truthFile)));
        }
        for (const auto& [script, figures] : scripts)
            figures.print(script);
    }

private:
    static QString readText(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw BenchFailure("cannot read " + path.toStdString());
        return QString::fromUtf8(file.readAll());
    }

    // The text in the OCR window after a job with the default options.
    QString programText(const QImage& picture, double* ms)
    {
        FormatOptions options;
        JobRun job;
        *ms = bestOfMs(1, [&] { job = engine_.run(picture); });
        window_.AppendNext = false;
        FormatResults(window_, job.results, options, pixelsPerInch(picture).height() * 39);
        return window_.RTF0->toPlainText();
    }

    PageFigures pageFigures(const QString& name, const QString& file, const QString& truth)
    {
        const QImage picture(file);
        if (picture.isNull())
            throw BenchFailure("cannot read " + file.toStdString());
        PageFigures page;
        page.cer = runningTextErrorRate(programText(picture, &page.ms), truth);
        const QString prefix = QStringLiteral("ocr_real_") + name;
        printFigure(prefix + QStringLiteral("_cer"), page.cer);
        QString bestModel;
        for (const QString& model : kCommandLineModels) {
            QString text;
            page.cliMs[model] = bestOfMs(1, [&] { text = commandLineText(tesseract_, file, model); });
            page.cliCer[model] = runningTextErrorRate(text, truth);
            if (bestModel.isEmpty() || page.cliCer[model] < page.cliCer[bestModel])
                bestModel = model;
        }
        printFigure(prefix + QStringLiteral("_cli_best_cer"), page.cliCer[bestModel]);
        std::printf("note: %s: the best command-line model is %s\n", qPrintable(name), qPrintable(bestModel));
        printFigure(prefix + QStringLiteral("_job_vs_cli_best_ratio"), page.ms / page.cliMs[bestModel]);
        return page;
    }

    NotingPrompter prompter_;
    frmOCR window_;
    EngineRunner engine_;
    QString tesseract_;
};

}  // namespace

// The clean generated page first: the time ratio of today's print.
void realPageFigures()
{
    OcrBench(OcrRuns{3, false}).run();
    RealPagesBench().run();
}

void ocrFigures(bool quick)
{
    OcrBench(quick ? OcrRuns{1, false} : OcrRuns{3, true}).run();
    RealPagesBench().run();
}

}  // namespace palvenor::bench
