// The page sequence commands on the long book, as the document window calls
// them (new pages as black-and-white G4), each against a plain copy of the
// book file in the same run.

#include "BenchTools.h"
#include "oleImgAdmin.h"

#include <cstdio>
#include <functional>

namespace palvenor::bench {

namespace {

constexpr int G4 = imaging::oleImgAdmin::BlackAndWhiteG4;
constexpr int G4Info = 26;

using Command = std::function<imaging::ImagingError(imaging::oleImgAdmin& admin, int middle)>;

struct Figure {
    const char* name;
    Command command;
};

}  // namespace

void pageSequenceFigures(const SampleBooks& books, int pages, int runs)
{
    const QString book = books.path(QStringLiteral("page-sequence.tif"));
    const QString copy = books.path(QStringLiteral("page-sequence-copy.tif"));
    const QString page = books.onePage();
    const Figure figures[] = {
        {"page_insert", [&](imaging::oleImgAdmin& a, int at) { return a.Insert(page, 1, 1, at, G4, G4Info); }},
        {"page_append", [&](imaging::oleImgAdmin& a, int) { return a.Append(page, 1, 1, G4, G4Info); }},
        {"page_replace", [&](imaging::oleImgAdmin& a, int at) { return a.Replace(page, 1, 1, at, G4, G4Info); }},
        {"page_delete", [](imaging::oleImgAdmin& a, int at) { return a.DeletePages(at, 1); }},
        {"page_move", [](imaging::oleImgAdmin& a, int at) { return a.MovePage(at, 1); }},
    };
    const double plain = bestOfMs(runs, [&] { copyFile(books.longBook(), copy); });
    std::printf("page_sequence_reference_file_copy_ms: %.3f\n", plain);
    for (const Figure& figure : figures) {
        imaging::oleImgAdmin admin;
        const double ms = bestOfMs(runs, [&] {
            const imaging::ImagingError error = figure.command(admin, pages / 2);
            if (!error.ok())
                throw BenchFailure(std::string(figure.name) + ": " + imaging::failureText(error).toStdString());
        }, [&] {
            copyFile(books.longBook(), book);
            admin.setImage(book);
        });
        std::printf("%s_ms: %.3f\n%s_vs_file_copy_ratio: %.3f\n", figure.name, ms, figure.name, ms / plain);
        std::fflush(stdout);
    }
}

}  // namespace palvenor::bench
