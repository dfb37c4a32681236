// Saving one changed page of the long book the way the document window
// does (oleImgEdit::Save: the shown page encoded, the other pages copied as
// they are), against copying the whole file and against tiffcp.

#include "BenchTools.h"
#include "oleImgEdit.h"

#include <QFile>
#include <QStandardPaths>

#include <cstdio>

namespace palvenor::bench {

namespace {

void checkStatus(const imaging::oleImgEdit& view, const char* step)
{
    if (view.StatusCode() != 0)
        throw BenchFailure(std::string(step) + ": " + imaging::failureText(view.lastError()).toStdString());
}

}  // namespace

void saveFigures(const SampleBooks& books, int runs)
{
    const QString book = books.path(QStringLiteral("saved.tif"));
    const QString copy = books.path(QStringLiteral("plain-copy.tif"));
    imaging::oleImgEdit view;
    // Each run saves into a fresh copy of the book as the generator wrote it.
    const auto showChangedPage = [&] {
        copyFile(books.longBook(), book);
        view.setImage(book);
        view.setPage(500);
        view.Display();
        checkStatus(view, "display");
        view.setImageModified(true);  // as after an edit of the page
    };
    const double save = bestOfMs(runs, [&] {
        view.Save();
        checkStatus(view, "save");
    }, showChangedPage);
    const double plain = bestOfMs(runs, [&] { copyFile(books.longBook(), copy); });
    printFigure("save_changed_page_ms", save);
    printFigure("save_reference_file_copy_ms", plain);
    printFigure("save_changed_page_vs_file_copy_ratio", save / plain);

    const QString tiffcp = QStandardPaths::findExecutable(QStringLiteral("tiffcp"));
    if (tiffcp.isEmpty()) {
        std::printf("note: tiffcp is not on PATH; save_changed_page_vs_tiffcp_ratio left out\n");
        return;
    }
    const double reference = bestOfMs(runs, [&] { runProgram(tiffcp, {books.longBook(), copy}); },
                                      [&] { QFile::remove(copy); });
    printFigure("save_reference_tiffcp_ms", reference);
    printFigure("save_changed_page_vs_tiffcp_ratio", save / reference);
}

}  // namespace palvenor::bench
