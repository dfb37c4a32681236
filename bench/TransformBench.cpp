// Turning pages of the long book: every page at once against tiffcp of the
// book, and the shown page at best fit against one decode of that page.

#include "BenchTools.h"
#include "ImageFile.h"
#include "PageTransforms.h"
#include "oleImgEdit.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

namespace palvenor::bench {

namespace {

void check(const imaging::ImagingError& error, const char* step) {
    if (!error.ok()) throw BenchFailure(std::string(step) + ": " + imaging::failureText(error).toStdString());
}

// "alle rechts drehen": one pass, one replace of the book. A whole-book
// pass takes long, so it runs once.
void turnEveryPageFigure(const SampleBooks& books) {
    const QString book = books.path(QStringLiteral("turned.tif"));
    copyFile(books.longBook(), book);
    const imaging::PagePass pass{[](const QImage& page) { return imaging::turned(page, imaging::Turn::Right); },
                                 [](QSize size) { return imaging::turning(size, imaging::Turn::Right); }, {}, true};
    const double ms = bestOfMs(1, [&] { check(imaging::transformEveryPage(book, pass), "turn every page"); });
    printFigure("rotate_all_right_ms", ms);
    const QString tiffcp = QStandardPaths::findExecutable(QStringLiteral("tiffcp"));
    if (tiffcp.isEmpty()) {
        std::printf("note: tiffcp is not on PATH; rotate_all_right_vs_tiffcp_ratio left out\n");
        return;
    }
    const QString copy = books.path(QStringLiteral("turned-tiffcp.tif"));
    const double reference = bestOfMs(1, [&] { runProgram(tiffcp, {books.longBook(), copy}); });
    printFigure("rotate_all_reference_tiffcp_ms", reference);
    printFigure("rotate_all_right_vs_tiffcp_ratio", ms / reference);
}

// One turn of the shown middle page at best fit, painted; the page is not
// decoded again for it. Both take a millisecond or two, so they run often
// enough that the best run is one the busy machine did not interrupt.
void turnShownPageFigure(const SampleBooks& books, int page, int runs) {
    runs = std::max(runs, 25);
    imaging::oleImgEdit view;
    view.resize(1000, 800);
    view.show();
    view.setImage(books.longBook());
    view.setPage(page);
    view.Display();
    check(view.lastError(), "display");
    view.FitTo(imaging::oleImgEdit::BestFit);
    view.viewport()->grab();
    const double turn = bestOfMs(runs, [&] {
        view.RotateRight();
        view.viewport()->grab();
    });
    imaging::ImagingError error;
    const auto file = imaging::ImageFile::open(books.longBook(), &error);
    check(error, "open");
    const double decode = bestOfMs(runs, [&] { file->readPage(page, &error); });
    printFigure("rotate_shown_page_best_fit_ms", turn);
    printFigure("rotate_reference_decode_page_ms", decode);
    printFigure("rotate_shown_page_vs_decode_ratio", turn / decode);
}

}  // namespace

void transformFigures(const SampleBooks& books, int pages, int runs) {
    turnShownPageFigure(books, pages / 2, runs);
    turnEveryPageFigure(books);
}

}  // namespace palvenor::bench
