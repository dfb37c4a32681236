// Whole-book recognition: pages per minute of a 20-page book through
// BookRecognition (the window's background run, one worker per core, and
// with one worker) and through palvenor-ocr, each against the tesseract
// command line reading the same book page by page on one thread
// (OMP_THREAD_LIMIT=1). Then the size of the searchable
// PDF of a 1,000-page Group 4 book against the TIFF plus its text.

#include "BenchTools.h"
#include "BookOutput.h"
#include "BookRecognition.h"
#include "PageModel.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <numeric>

namespace palvenor::bench {

namespace {

using namespace palvenor::ocr;

constexpr int kBookPages = 20;
constexpr int kLongBookPages = 1000;
// Pages recognised for real for the long book's text layer; their words
// are laid over the other pages in turn.
constexpr int kRecognisedPages = 5;

double pagesPerMinute(int pages, double ms) { return pages * 60000.0 / ms; }

double wallMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

std::vector<BookPage> recognise(const QString& book, int pages, int workers = 0)
{
    std::vector<int> imagePages(size_t(pages), 0);
    std::iota(imagePages.begin(), imagePages.end(), 1);
    BookRecognitionSettings settings;
    settings.process.Language = uint8_t(OcrLanguage::German);
    settings.workers = workers;
    BookRecognition recognition(book, std::move(imagePages), PageModel(), settings);
    if (!recognition.runToEnd())
        throw BenchFailure("book recognition failed: " + recognition.failure().toStdString());
    return recognition.pages();
}

void runTesseract(const QString& book)
{
    const QString tesseract = QStandardPaths::findExecutable(QStringLiteral("tesseract"));
    if (tesseract.isEmpty())
        throw BenchFailure("tesseract is not on PATH");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.start(tesseract, {book, QStringLiteral("-"), QStringLiteral("-l"), QStringLiteral("deu")});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw BenchFailure("tesseract failed on " + book.toStdString());
}

void throughputFigures()
{
    const SampleBooks books(kBookPages);
    const QString book = books.longBook();
    const double tesseract = pagesPerMinute(kBookPages, wallMs([&] { runTesseract(book); }));
    printFigure("book_ocr_tesseract_pages_per_minute", tesseract);
    const double background = pagesPerMinute(kBookPages, wallMs([&] { recognise(book, kBookPages); }));
    printFigure("book_ocr_background_pages_per_minute", background);
    printFigure("book_ocr_background_vs_tesseract_ratio", background / tesseract);
    const double oneWorker = pagesPerMinute(kBookPages, wallMs([&] { recognise(book, kBookPages, 1); }));
    printFigure("book_ocr_one_worker_pages_per_minute", oneWorker);
    printFigure("book_ocr_workers_vs_one_worker_ratio", background / oneWorker);
    const QString tool = QFileInfo(QStringLiteral(PALVENOR_SAMPLEBOOK)).dir().filePath(QStringLiteral("palvenor-ocr"));
    const double command = pagesPerMinute(kBookPages, wallMs([&] {
        runProgram(tool, {book, QStringLiteral("--lang"), QStringLiteral("deu"), QStringLiteral("--text"),
                          books.path(QStringLiteral("book.txt"))});
    }));
    printFigure("book_ocr_palvenor_ocr_pages_per_minute", command);
    printFigure("book_ocr_palvenor_ocr_vs_tesseract_ratio", command / tesseract);
}

// The text layer of the long book: the recognised pages over and over.
std::vector<BookPage> repeatedPages(const std::vector<BookPage>& recognised)
{
    std::vector<BookPage> pages;
    for (int page = 1; page <= kLongBookPages; ++page) {
        BookPage copy = recognised[size_t(page - 1) % recognised.size()];
        copy.imagePage = page;
        copy.label = bookPageLabel(PageModel(), page);
        pages.push_back(std::move(copy));
    }
    return pages;
}

void pdfSizeFigures()
{
    const SampleBooks books(kLongBookPages);
    const std::vector<BookPage> pages = repeatedPages(recognise(books.longBook(), kRecognisedPages));
    const QString pdf = books.path(QStringLiteral("book.pdf"));
    QString error;
    const double ms = wallMs([&] {
        if (!writeSearchablePdf(pdf, books.longBook(), pages, &error))
            throw BenchFailure("PDF: " + error.toStdString());
    });
    const double tiffAndText = double(QFileInfo(books.longBook()).size()) + double(bookText(pages).toUtf8().size());
    const double pdfBytes = double(QFileInfo(pdf).size());
    printFigure("pdf_1000_pages_write_ms", ms);
    printFigure("pdf_1000_pages_mib", pdfBytes / (1 << 20));
    printFigure("tiff_plus_text_1000_pages_mib", tiffAndText / (1 << 20));
    printFigure("pdf_vs_tiff_plus_text_ratio", pdfBytes / tiffAndText);
}

}  // namespace

void bookOcrFigures()
{
    throughputFigures();
    pdfSizeFigures();
}

}  // namespace palvenor::bench
