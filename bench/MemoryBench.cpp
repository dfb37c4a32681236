// Peak memory and cost per page of opening, paging through and
// thumbnailing long books: black-and-white G4 books of 1,000 and 5,000
// pages and a colour book of A4 pages at 300 dpi. Each phase runs in a child
// process of its own (this program with --memory-phase), so that the peak
// it reports is that phase's alone. And the turn to a colour page of that
// size against decoding it with libtiff plus redrawing it at the view's
// scale.

#include "BenchTools.h"
#include "ImageFile.h"
#include "oleImgEdit.h"
#include "oleImgThumbnail.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace palvenor::bench {

namespace {

constexpr int ShortBook = 1000;
constexpr int LongBook = 5000;
constexpr int ColourPages = 300;

const char* const Phases[] = {"open", "pages", "thumbnails"};

// What one phase took in its child process.
struct PhaseCost {
    double ms = 0;
    int pages = 0;  // pages the phase went through
    double peakMiB = 0;

    double msPerPage() const { return ms / std::max(pages, 1); }
};

// Opening reads every directory of the book; page 1 is decoded as the
// window shows it.
int openBook(const QString& book)
{
    imaging::ImagingError error;
    const auto file = imaging::ImageFile::open(book, &error);
    check(error, "open");
    file->readPage(1, &error);
    check(error, "decode page 1");
    return file->pageCount();
}

// Every page shown in turn in a page view fitted to the window.
int pageThrough(const QString& book)
{
    imaging::oleImgEdit view;
    view.resize(1000, 800);
    view.show();
    view.setImage(book);
    view.FitTo(imaging::oleImgEdit::BestFit);
    const int pages = view.PageCount();
    for (int page = 1; page <= pages; ++page)
        showPage(view, page);
    return pages;
}

// The thumbnail strip scrolled from the first page to the last, a screen
// at a time, each screen painted.
int thumbnailAll(const QString& book)
{
    imaging::oleImgThumbnail strip;
    strip.resize(140, 800);
    strip.show();
    strip.setImage(book);
    QCoreApplication::processEvents();  // the strip lays its items out
    const int rows = strip.model().rowCount();
    const int itemHeight = strip.sizeHintForRow(0);
    const int perScreen = std::max(1, strip.viewport()->height() / std::max(itemHeight, 1));
    for (int row = 0; row < rows; row += perScreen) {
        strip.scrollTo(strip.model().index(row), QAbstractItemView::PositionAtTop);
        paint(*strip.viewport());
    }
    return strip.model().decodedCount();
}

// Goes through a phase in this process; the pages it went through. The
// phase "start" does nothing: its peak is that of the process alone.
int goThrough(const QString& phase, const QString& book)
{
    if (phase == u"open")
        return openBook(book);
    if (phase == u"pages")
        return pageThrough(book);
    if (phase == u"thumbnails")
        return thumbnailAll(book);
    if (phase == u"start")
        return 0;
    throw BenchFailure("no phase " + phase.toStdString());
}

// Runs a phase in a child process: "MS PAGES PEAK-MIB" on its output.
PhaseCost runPhase(const char* phase, const QString& book)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--memory-phase"), QString::fromLatin1(phase), book});
    const QList<QByteArray> fields =
        child.waitForFinished(-1) && child.exitCode() == 0 ? child.readAllStandardOutput().trimmed().split(' ')
                                                           : QList<QByteArray>();
    if (fields.size() != 3)
        throw BenchFailure(std::string("the ") + phase + " phase failed on " + book.toStdString());
    return {fields[0].toDouble(), fields[1].toInt(), fields[2].toDouble()};
}

void makeBook(const QString& path, const QStringList& options)
{
    runProgram(QStringLiteral(PALVENOR_SAMPLEBOOK), QStringList{path, QStringLiteral("--seed"), QStringLiteral("1")} + options);
}

std::string figure(const std::string& book, const char* phase, const char* what)
{
    return book + "_" + phase + "_" + what;
}

void printPhase(const std::string& book, const char* phase, const PhaseCost& cost)
{
    printFigure(figure(book, phase, "peak_mib"), cost.peakMiB);
    printFigure(figure(book, phase, "ms_per_page"), cost.msPerPage());
}

// The painted turn to the next colour page against one bare libtiff decode
// of a page plus one redraw of the shown page at the view's scale.
void colourPageTurnFigures(const QString& book, int runs)
{
    imaging::oleImgEdit view;
    view.resize(1000, 800);
    view.show();
    view.setImage(book);
    view.FitTo(imaging::oleImgEdit::BestFit);
    showPage(view, 1);
    int page = 1;
    const double turn = bestOfMs(runs, [&] { showPage(view, ++page); });
    const double redraw = bestOfMs(runs, [&] {
        view.FitTo(imaging::oleImgEdit::BestFit);
        paint(*view.viewport());
    }, [&] { view.setZoom(50.0f); });
    TIFF* tif = TIFFOpen(QFile::encodeName(book).constData(), "r");
    if (!tif)
        throw BenchFailure("libtiff cannot open the colour book");
    int index = 0;
    const double decode = bestOfMs(runs, [&] { libtiffDecodePage(tif, ++index); });
    TIFFClose(tif);
    printFigure("colour_a4_page_turn_ms", turn);
    printFigure("colour_a4_libtiff_decode_ms", decode);
    printFigure("colour_a4_redraw_best_fit_ms", redraw);
    printFigure("colour_a4_page_turn_vs_decode_plus_redraw_ratio", turn / (decode + redraw));
}

}  // namespace

int memoryPhase(const QString& phase, const QString& book)
{
    TIFFSetWarningHandler(nullptr);
    try {
        int pages = 0;
        const double ms = bestOfMs(1, [&] { pages = goThrough(phase, book); });
        std::printf("%.3f %d %.3f\n", ms, pages, peakRssMiB());
        return 0;
    } catch (const BenchFailure& failure) {
        std::fprintf(stderr, "palvenor-bench: %s\n", failure.what());
        return 1;
    }
}

void memoryFigures(int runs)
{
    TIFFSetWarningHandler(nullptr);
    const QTemporaryDir folder;
    const QString shortBook = folder.filePath(QStringLiteral("g4-1000.tif"));
    const QString longBook = folder.filePath(QStringLiteral("g4-5000.tif"));
    const QString colourBook = folder.filePath(QStringLiteral("colour-a4.tif"));
    makeBook(shortBook, {QStringLiteral("--pages"), QString::number(ShortBook)});
    makeBook(longBook, {QStringLiteral("--pages"), QString::number(LongBook)});
    makeBook(colourBook, {QStringLiteral("--pages"), QString::number(ColourPages), QStringLiteral("--kinds"),
                          QStringLiteral("rgb"), QStringLiteral("--page-size"), QStringLiteral("a4-300")});

    printFigure("memory_process_start_peak_mib", runPhase("start", QString()).peakMiB);
    for (const char* phase : Phases) {
        const PhaseCost shortCost = runPhase(phase, shortBook);
        const PhaseCost longCost = runPhase(phase, longBook);
        const PhaseCost colourCost = runPhase(phase, colourBook);
        printPhase("g4_1000", phase, shortCost);
        printPhase("g4_5000", phase, longCost);
        printPhase("colour_a4_300", phase, colourCost);
        printFigure(figure("g4", phase, "ms_per_page_5000_vs_1000_ratio"), longCost.msPerPage() / shortCost.msPerPage());
        printFigure(figure("g4", phase, "peak_5000_vs_1000_ratio"), longCost.peakMiB / shortCost.peakMiB);
    }
    colourPageTurnFigures(colourBook, runs);
}

}  // namespace palvenor::bench
