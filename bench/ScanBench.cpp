// A capture of 20 black-and-white pages at 300 dpi from SANE's test back end
// as the program runs it (read on the scanner's thread, stored as CCITT G4,
// each page shown as it arrives), against `scanimage --batch` writing the
// same pages with the same settings. Prints both times and their ratio.

#include "BenchTools.h"
#include "ImgScan1.h"
#include "SaneScanner.h"
#include "ScanSpool.h"
#include "oleImgEdit.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace palvenor::bench {
namespace {

constexpr int kPages = 20;

// SANE's test back end as the only device, for this run.
void useTestBackend(const QTemporaryDir& config) {
    QFile list(config.filePath(QStringLiteral("dll.conf")));
    if (!list.open(QIODevice::WriteOnly) || list.write("test\n") <= 0)
        throw BenchFailure("cannot write the SANE configuration");
    list.close();
    copyFile(QStringLiteral("/etc/sane.d/test.conf"), config.filePath(QStringLiteral("test.conf")));
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(config.path()));
}

// A book page of 150 × 200 mm with a grid on it, black and white, 300 dpi:
// the device's options, and the same for scanimage (-x and -y are the
// width and height of an area at the top left corner).
const std::pair<const char*, const char*> kOptions[] = {{"mode", "Gray"},   {"depth", "1"},
                                                        {"resolution", "300"}, {"br-x", "150"},
                                                        {"br-y", "200"},   {"test-picture", "Grid"}};
const QStringList kScanimageOptions = {"--mode", "Gray", "--depth", "1", "--resolution", "300",
                                       "-x", "150", "-y", "200", "--test-picture", "Grid"};

double scanimageMs(int runs, const QString& folder) {
    const QStringList arguments = QStringList{QStringLiteral("-d"), QStringLiteral("test:0"),
                                              QStringLiteral("--format=pnm"),
                                              QStringLiteral("--batch=") + folder + QStringLiteral("/seite%d.pnm"),
                                              QStringLiteral("--batch-count=%1").arg(kPages)} +
                                  kScanimageOptions;
    return bestOfMs(runs, [&] { runProgram(QStringLiteral("scanimage"), arguments); });
}

double captureMs(int runs) {
    NoQuestions prompter("the capture");
    acquire::ImgScan1 scan(std::make_unique<acquire::SaneScanner>(), prompter);
    imaging::oleImgEdit view;
    view.resize(800, 1000);
    view.show();
    QObject::connect(&scan, &imaging::ImgScan::pageScanned, &view, [&view](int page) {
        view.setPage(page);
        view.Display();
    });
    scan.selectSource(QStringLiteral("test:0"));
    if (scan.OpenScanner() != 0) throw BenchFailure("the test scanner does not open");
    for (const auto& [name, value] : kOptions)
        if (scan.scanner().setOption(QString::fromUtf8(name), QString::fromUtf8(value)) != 0)
            throw BenchFailure(std::string("the test scanner refuses ") + name);
    scan.PageOption = imaging::ImgScan::PageCreate;
    scan.MultiPage = true;
    scan.ScanPages = kPages;
    scan.Destination = &view;
    const auto removeCaptures = [] {
        for (const QString& file : acquire::unsavedCaptures()) QFile::remove(file);
    };
    const double ms = bestOfMs(runs, [&] {
        if (scan.StartScan() != 0 || view.PageCount() != kPages) throw BenchFailure("the capture failed");
    }, removeCaptures);
    removeCaptures();
    return ms;
}

}  // namespace

void scanFigures(int runs) {
    QTemporaryDir config;
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    useTestBackend(config);
    const double ours = captureMs(runs);
    const double plain = scanimageMs(runs, data.path());
    std::printf("scan_capture_20_pages_ms: %.1f\n", ours);
    std::printf("scanimage_batch_20_pages_ms: %.1f\n", plain);
    std::printf("scan_capture_vs_scanimage_ratio: %.2f\n", ours / plain);
}

}  // namespace palvenor::bench
