#include "BenchTools.h"
#include "ImagingTypes.h"
#include "oleImgEdit.h"

#include <QFile>
#include <QImage>
#include <QProcess>

#include <tiffio.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <vector>

namespace palvenor::bench {

void printFigure(const std::string& name, double value)
{
    std::printf("%s: %.3f\n", name.c_str(), value);
    std::fflush(stdout);
}

void check(const imaging::ImagingError& error, const char* step)
{
    if (!error.ok())
        throw BenchFailure(std::string(step) + ": " + imaging::failureText(error).toStdString());
}

void libtiffDecodePage(TIFF* tif, int index)
{
    bool decoded = TIFFSetDirectory(tif, tdir_t(index));
    std::vector<uint8_t> strip(decoded ? size_t(TIFFStripSize(tif)) : 0);
    for (uint32_t s = 0; decoded && s < TIFFNumberOfStrips(tif); ++s)
        decoded = TIFFReadEncodedStrip(tif, s, strip.data(), tmsize_t(strip.size())) >= 0;
    if (!decoded)
        throw BenchFailure("libtiff cannot decode page " + std::to_string(index + 1));
}

void paint(QWidget& widget)
{
    static QImage screen;
    if (screen.size() != widget.size())
        screen = QImage(widget.size(), QImage::Format_RGB32);
    widget.render(&screen);
}

void showPage(imaging::oleImgEdit& view, int page)
{
    view.setPage(page);
    view.Display();
    check(view.lastError(), "display");
    paint(*view.viewport());
}

double bestOfMs(int runs, const std::function<void()>& work, const std::function<void()>& prepare)
{
    using Clock = std::chrono::steady_clock;
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const Clock::time_point start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

// The high-water mark of this process's own memory (VmHWM). getrusage's
// ru_maxrss would not do for the bench's child processes: Linux carries it
// over from the parent through fork and exec.
double peakRssMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;  // in kB
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // Linux counts in KiB
}

void runProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw BenchFailure((program + QStringLiteral(" failed: ") + arguments.join(QLatin1Char(' '))).toStdString());
}

void copyFile(const QString& source, const QString& target)
{
    std::error_code error;
    std::filesystem::copy_file(source.toStdString(), target.toStdString(),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error)
        throw BenchFailure("copying " + source.toStdString() + ": " + error.message());
}

SampleBooks::SampleBooks(int pages)
{
    if (!folder_.isValid())
        throw BenchFailure("no temporary folder");
    longBook_ = folder_.filePath(QStringLiteral("long.tif"));
    onePage_ = folder_.filePath(QStringLiteral("page.tif"));
    const QString generator = QStringLiteral(PALVENOR_SAMPLEBOOK);
    runProgram(generator, {longBook_, QStringLiteral("--pages"), QString::number(pages), QStringLiteral("--seed"),
                           QStringLiteral("1")});
    runProgram(generator, {onePage_, QStringLiteral("--pages"), QStringLiteral("1"), QStringLiteral("--seed"),
                           QStringLiteral("2")});
}

}  // namespace palvenor::bench
