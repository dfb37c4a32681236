// palvenor-bench: how long the page handling takes on a 1,000-page book,
// against bare libtiff, tiffcp and a plain file copy run on the same book in
// the same invocation. Prints one "NAME: VALUE" line per figure; --quick
// runs each figure fewer times.

#include "BenchTools.h"
#include "ImageFile.h"
#include "PageAdmin.h"
#include "oleImgEdit.h"
#include "oleImgThumbnail.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>

#include <tiffio.h>

#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace palvenor::bench {

void formatFigures(int runs);  // FormatBench.cpp
void ocrFigures(bool quick);   // OcrBench.cpp
void realPageFigures();        // OcrBench.cpp, also within ocrFigures
void bookOcrFigures();         // BookOcrBench.cpp
void scanFigures(int runs);    // ScanBench.cpp
void saveFigures(const SampleBooks& books, int runs);  // SaveBench.cpp
void pageSequenceFigures(const SampleBooks& books, int pages, int runs);  // PageSequenceBench.cpp
void transformFigures(const SampleBooks& books, int pages, int runs);  // TransformBench.cpp
void concatenationFigures(const SampleBooks& books, int runs);  // ConcatenationBench.cpp
void memoryFigures(int runs);                                    // MemoryBench.cpp
int memoryPhase(const QString& phase, const QString& book);      // MemoryBench.cpp

namespace {

constexpr int BookPages = 1000;
constexpr int MiddlePage = BookPages / 2;
// The capture is short and its ratio swings with the machine's load: the
// scanning figures alone take the best of this many runs.
constexpr int ScanRuns = 9;
constexpr int ConcatenationRuns = 3;  // the grey run alone takes seconds

struct Runs {
    int quickSteps;  // opening, decoding, one-page edits
    int wholeBook;   // copying every page
};

void printCount(const char* name, int value)
{
    std::printf("%s: %d\n", name, value);
    std::fflush(stdout);
}

void printRatio(const char* name, double ours, double reference)
{
    printFigure(name, ours / reference);
}

// Opening the book and decoding page 1, as the document window does.
void openAndDecodeFirstPage(const QString& book)
{
    imaging::ImagingError error;
    const auto file = imaging::ImageFile::open(book, &error);
    check(error, "open");
    if (file->pageCount() != BookPages)
        throw BenchFailure("the book has " + std::to_string(file->pageCount()) + " pages");
    file->readPage(1, &error);
    check(error, "decode page 1");
}

// The same with libtiff alone: every directory read to count the pages,
// then page 1 decoded strip by strip.
void libtiffOpenAndDecodeFirstPage(const QString& book)
{
    TIFF* tif = TIFFOpen(QFile::encodeName(book).constData(), "r");
    if (!tif)
        throw BenchFailure("libtiff cannot open the book");
    int pages = 1;
    while (TIFFReadDirectory(tif))
        ++pages;
    bool decoded = pages == BookPages && TIFFSetDirectory(tif, 0);
    std::vector<uint8_t> strip(decoded ? size_t(TIFFStripSize(tif)) : 0);
    for (uint32_t s = 0; decoded && s < TIFFNumberOfStrips(tif); ++s)
        decoded = TIFFReadEncodedStrip(tif, s, strip.data(), tmsize_t(strip.size())) >= 0;
    TIFFClose(tif);
    if (!decoded)
        throw BenchFailure("libtiff cannot decode page 1");
}

void openFigures(const SampleBooks& books, const Runs& runs)
{
    const double ours = bestOfMs(runs.quickSteps, [&] { openAndDecodeFirstPage(books.longBook()); });
    const double libtiff = bestOfMs(runs.quickSteps, [&] { libtiffOpenAndDecodeFirstPage(books.longBook()); });
    printFigure("open_decode_page1_ms", ours);
    printFigure("libtiff_open_decode_page1_ms", libtiff);
    printRatio("open_decode_page1_vs_libtiff_ratio", ours, libtiff);
}

void decodeFigure(const SampleBooks& books, const Runs& runs)
{
    imaging::ImagingError error;
    const auto file = imaging::ImageFile::open(books.longBook(), &error);
    check(error, "open");
    printFigure("decode_page_ms", bestOfMs(runs.quickSteps, [&] {
              file->readPage(MiddlePage, &error);
              check(error, "decode");
          }));
}

// Turning to the next page as the reader sees it, against decoding that
// page with libtiff alone; and going to the last page against the second.
void pageTurnFigures(const SampleBooks& books, const Runs& runs)
{
    imaging::oleImgEdit view;
    view.resize(1000, 800);
    view.show();
    view.setImage(books.longBook());
    showPage(view, 1);
    view.FitTo(imaging::oleImgEdit::BestFit);
    int page = 1;
    const double turn = bestOfMs(runs.quickSteps, [&] { showPage(view, ++page); });
    TIFF* tif = TIFFOpen(QFile::encodeName(books.longBook()).constData(), "r");
    if (!tif)
        throw BenchFailure("libtiff cannot open the book");
    int index = 0;
    const double bare = bestOfMs(runs.quickSteps, [&] { libtiffDecodePage(tif, ++index); });
    TIFFClose(tif);
    printFigure("page_turn_best_fit_ms", turn);
    printFigure("libtiff_decode_page_ms", bare);
    printRatio("page_turn_vs_libtiff_decode_ratio", turn, bare);

    const double far = bestOfMs(runs.quickSteps, [&] { showPage(view, BookPages); }, [&] { showPage(view, 1); });
    const double near = bestOfMs(runs.quickSteps, [&] { showPage(view, 2); }, [&] { showPage(view, 1); });
    printFigure("goto_last_page_ms", far);
    printFigure("goto_second_page_ms", near);
    printRatio("goto_last_vs_second_page_ratio", far, near);
}

// One bare libtiff decode of the middle page, the reference of the view figures.
double bareDecodeMs(const SampleBooks& books, const Runs& runs)
{
    TIFF* tif = TIFFOpen(QFile::encodeName(books.longBook()).constData(), "r");
    if (!tif)
        throw BenchFailure("libtiff cannot open the book");
    const double ms = bestOfMs(runs.quickSteps, [&] { libtiffDecodePage(tif, MiddlePage - 1); });
    TIFFClose(tif);
    return ms;
}

// Redrawing the shown page at a new zoom works from the decoded page.
void redrawFigures(const SampleBooks& books, const Runs& runs, double bare)
{
    imaging::oleImgEdit view;
    view.resize(1000, 800);
    view.show();
    view.setImage(books.longBook());
    showPage(view, MiddlePage);
    for (const float zoom : {25.0f, 100.0f, 400.0f}) {
        const double ms = bestOfMs(runs.quickSteps, [&] {
            view.setZoom(zoom);
            paint(*view.viewport());
        }, [&] {
            view.setZoom(zoom == 100.0f ? 50.0f : 100.0f);
            paint(*view.viewport());
        });
        const std::string name = "redraw_" + std::to_string(int(zoom)) + "_percent";
        printFigure((name + "_ms").c_str(), ms);
        printRatio((name + "_vs_libtiff_decode_ratio").c_str(), ms, bare);
    }
}

// The first screen of thumbnails of the long book, from opening the strip.
void thumbnailFigure(const SampleBooks& books, const Runs& runs, double bare)
{
    int shown = 0;
    const double ms = bestOfMs(runs.quickSteps, [&] {
        imaging::oleImgThumbnail strip;
        strip.resize(140, 800);
        strip.show();
        strip.setImage(books.longBook());
        QCoreApplication::processEvents();  // the strip lays its items out
        paint(*strip.viewport());
        shown = strip.model().decodedCount();
    });
    printFigure("thumbnails_first_screen_ms", ms);
    printCount("thumbnails_first_screen_count", shown);
    printRatio("thumbnail_vs_libtiff_decode_ratio", ms / std::max(shown, 1), bare);
}

void viewFigures(const SampleBooks& books, const Runs& runs)
{
    const double bare = bareDecodeMs(books, runs);
    redrawFigures(books, runs, bare);
    thumbnailFigure(books, runs, bare);
}

std::vector<imaging::PageSource> everyPageOf(const QString& book)
{
    std::vector<imaging::PageSource> pages;
    for (int i = 1; i <= BookPages; ++i)
        pages.push_back(imaging::pageOfFile(book, i));
    return pages;
}

void copyFigures(const SampleBooks& books, const Runs& runs)
{
    const QString target = books.path(QStringLiteral("copy.tif"));
    const std::vector<imaging::PageSource> pages = everyPageOf(books.longBook());
    const double ours = bestOfMs(runs.wholeBook, [&] { check(imaging::writeBook(target, pages), "writeBook"); });
    const double plain = bestOfMs(runs.wholeBook, [&] { copyFile(books.longBook(), target); });
    printFigure("copy_book_ms", ours);
    printFigure("file_copy_book_ms", plain);
    printRatio("copy_book_vs_file_copy_ratio", ours, plain);

    const QString tiffcp = QStandardPaths::findExecutable(QStringLiteral("tiffcp"));
    if (tiffcp.isEmpty()) {
        std::printf("note: tiffcp is not on PATH; copy_book_vs_tiffcp_ratio left out\n");
        return;
    }
    QFile::remove(target);
    const double reference = bestOfMs(
        runs.wholeBook, [&] { runProgram(tiffcp, {books.longBook(), target}); }, [&] { QFile::remove(target); });
    printFigure("tiffcp_copy_book_ms", reference);
    printRatio("copy_book_vs_tiffcp_ratio", ours, reference);
}

Runs runsFor(bool quick)
{
    return quick ? Runs{3, 2} : Runs{15, 7};
}

// Only the page sequence commands, in a quick run.
void pageOperationFigures()
{
    const SampleBooks books(BookPages);
    pageSequenceFigures(books, BookPages, runsFor(true).wholeBook);
}

// Only the concatenation of a folder of pictures.
void concatenationOnlyFigures()
{
    const SampleBooks books(1);
    concatenationFigures(books, ConcatenationRuns);
}

// Only the page transforms, in a quick run.
void transformOnlyFigures()
{
    const SampleBooks books(BookPages);
    transformFigures(books, BookPages, runsFor(true).quickSteps);
}

int run(bool quick)
{
    TIFFSetWarningHandler(nullptr);
    const Runs runs = runsFor(quick);
    const SampleBooks books(BookPages);
    printCount("book_pages", BookPages);
    openFigures(books, runs);
    decodeFigure(books, runs);
    pageTurnFigures(books, runs);
    viewFigures(books, runs);
    copyFigures(books, runs);
    saveFigures(books, runs.wholeBook);
    pageSequenceFigures(books, BookPages, runs.wholeBook);
    transformFigures(books, BookPages, runs.quickSteps);
    concatenationFigures(books, runs.wholeBook);
    formatFigures(runs.quickSteps);
    ocrFigures(quick);
    bookOcrFigures();
    scanFigures(quick ? 1 : 3);
    if (!quick)
        memoryFigures(runs.quickSteps);
    printFigure("peak_rss_mib", peakRssMiB());
    return 0;
}

}  // namespace
}  // namespace palvenor::bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");  // the page view is painted without a screen
    QApplication app(argc, argv);
    using namespace palvenor::bench;
    // Options that run one group of figures alone.
    const std::map<QString, std::function<void()>> sections = {
        {QStringLiteral("--real-pages"), [] { realPageFigures(); }},
        {QStringLiteral("--book-ocr"), [] { bookOcrFigures(); }},
        {QStringLiteral("--page-operations"), [] { pageOperationFigures(); }},
        {QStringLiteral("--scanning"), [] { scanFigures(ScanRuns); }},
        {QStringLiteral("--transforms"), [] { transformOnlyFigures(); }},
        {QStringLiteral("--concatenation"), [] { concatenationOnlyFigures(); }},
        {QStringLiteral("--memory"), [] { memoryFigures(runsFor(true).quickSteps); }},
    };
    const QStringList arguments = app.arguments().mid(1);
    const QString only = arguments.value(0);
    if (arguments.size() == 3 && only == u"--memory-phase")
        return memoryPhase(arguments[1], arguments[2]);
    if (arguments.size() > 1 || (!only.isEmpty() && only != u"--quick" && !sections.count(only))) {
        QStringList options{QStringLiteral("--quick")};
        for (const auto& section : sections)
            options << section.first;
        std::fprintf(stderr, "Aufruf: palvenor-bench [%s]\n", qPrintable(options.join(QStringLiteral(" | "))));
        return 2;
    }
    try {
        if (const auto section = sections.find(only); section != sections.end()) {
            section->second();
            return 0;
        }
        return run(only == u"--quick");
    } catch (const BenchFailure& failure) {
        std::fprintf(stderr, "palvenor-bench: %s\n", failure.what());
        return 1;
    }
}
