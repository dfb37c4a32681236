// The page sequence commands as the document window calls them (new pages
// of the black-and-white books as G4) on three books as this program
// writes them: 1,000 and 5,000 black-and-white G4 pages, and uncompressed
// colour scans of A4 at 300 dpi, over 2 GiB. The commands run one after
// the other on the same book, each changing it where it lies, as a user's
// session does. Each is set against a plain copy of the book file in the
// same run and against writing the bytes of the page it brings with two
// flushes, which is what a change in place cannot do without; the growth
// of the file per command is printed too, and the command against writing
// that many bytes with two flushes: a move across many pages writes the
// directories between anew.

#include "BenchTools.h"
#include "PageAdmin.h"
#include "oleImgAdmin.h"

#include <QFile>
#include <QFileInfo>

#include <tiffio.h>

#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace palvenor::bench {

namespace {

constexpr int G4 = imaging::oleImgAdmin::BlackAndWhiteG4;
constexpr int G4Info = 26;
constexpr int Own = 1;  // keep the page's compression
constexpr int ColourPages = 84;  // 2.19 GB
constexpr int LongerBookPages = 5000;
// A4 at 300 dpi
constexpr uint32_t ColourWidth = 2480;
constexpr uint32_t ColourHeight = 3508;

using Command = std::function<imaging::ImagingError(imaging::oleImgAdmin& admin, int middle)>;

struct Figure {
    const char* name;
    Command command;
    bool bringsAPage;
    int pagesAdded;
};

// A book of uncompressed RGB pages of A4 at 300 dpi, each a different
// gradient.
void writeColourBook(const QString& path, int pages)
{
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "w");
    if (!tif)
        throw BenchFailure("cannot write " + path.toStdString());
    std::vector<uint8_t> row(size_t(ColourWidth) * 3);
    for (int p = 0; p < pages; ++p) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, ColourWidth);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, ColourHeight);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 32);
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0f);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0f);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        for (uint32_t y = 0; y < ColourHeight; ++y) {
            for (uint32_t x = 0; x < ColourWidth; ++x) {
                row[3 * x] = uint8_t(x + p);
                row[3 * x + 1] = uint8_t(y);
                row[3 * x + 2] = uint8_t(p * 20);
            }
            if (TIFFWriteScanline(tif, row.data(), y, 0) < 0)
                throw BenchFailure("cannot write " + path.toStdString());
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

// Writing `bytes` after the end of a file and two flushes, as a change in
// place at its least: its data, then the header's switch.
double pageWriteMs(const QString& scratch, qint64 bytes, int runs)
{
    const std::vector<char> data(size_t(bytes), 'x');
    return bestOfMs(runs, [&] {
        const int fd = ::open(scratch.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const char header[4] = {};
        const bool ok = fd >= 0 && ::pwrite(fd, data.data(), data.size(), 8) == ssize_t(data.size()) &&
                        ::fdatasync(fd) == 0 && ::pwrite(fd, header, 4, 4) == 4 && ::fdatasync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!ok)
            throw BenchFailure("writing " + scratch.toStdString());
    });
}

// Puts a book on disk, so that a command's flush does not write the rest
// of it as well.
void settle(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!ok)
        throw BenchFailure("flushing " + path.toStdString());
}

// A book of the pages of original as this program writes it: what a book
// is after it was saved or changed once here.
void rewrite(const QString& original, int pages, const QString& book)
{
    std::vector<imaging::PageSource> all;
    for (int i = 1; i <= pages; ++i)
        all.push_back(imaging::pageOfFile(original, i));
    const imaging::ImagingError error = imaging::writeBook(book, all);
    if (!error.ok())
        throw BenchFailure("writing " + book.toStdString() + ": " + imaging::failureText(error).toStdString());
}

struct CommandTime {
    std::string name;
    double ms;
};

// The figures of the commands on book, named page_ops_<name>_..., with
// page as the page they bring and compression the command's compression
// type. Each round runs every command once on the middle of the book;
// the best round counts. Returns the time of each command.
std::vector<CommandTime> bookFigures(const std::string& name, const SampleBooks& books, const QString& book,
                                     int pages, const QString& page, int compression, int rounds)
{
    const int info = compression == G4 ? G4Info : 0;
    const Figure figures[] = {
        {"insert", [&](imaging::oleImgAdmin& a, int at) { return a.Insert(page, 1, 1, at, compression, info); }, true,
         1},
        {"append", [&](imaging::oleImgAdmin& a, int) { return a.Append(page, 1, 1, compression, info); }, true, 1},
        {"replace", [&](imaging::oleImgAdmin& a, int at) { return a.Replace(page, 1, 1, at, compression, info); },
         true, 0},
        {"delete", [](imaging::oleImgAdmin& a, int at) { return a.DeletePages(at, 1); }, false, -1},
        // Across half the book, and by a few pages: every directory between
        // the two places is written anew.
        {"move_to_front", [](imaging::oleImgAdmin& a, int at) { return a.MovePage(at, 1); }, false, 0},
        {"move_near", [](imaging::oleImgAdmin& a, int at) { return a.MovePage(at, at - 3); }, false, 0},
    };
    const std::string prefix = "page_ops_" + name + "_";
    printFigure(prefix + "book_mib", double(QFileInfo(book).size()) / (1 << 20));
    const QString copy = books.path(QStringLiteral("page-ops-copy.tif"));
    const double plain = bestOfMs(rounds, [&] { copyFile(book, copy); });
    const double pageOnly = pageWriteMs(copy, QFileInfo(page).size(), rounds);
    const double flushesOnly = pageWriteMs(copy, 0, rounds);
    printFigure(prefix + "file_copy_ms", plain);
    printFigure(prefix + "page_write_two_flushes_ms", pageOnly);
    printFigure(prefix + "two_flushes_ms", flushesOnly);

    settle(book);
    imaging::oleImgAdmin admin;
    admin.setImage(book);
    std::vector<CommandTime> times;
    std::vector<qint64> growth;
    for (const Figure& figure : figures) {
        times.push_back({figure.name, std::numeric_limits<double>::infinity()});
        growth.push_back(0);
    }
    for (int round = 0; round < rounds; ++round) {
        for (size_t f = 0; f < std::size(figures); ++f) {
            const qint64 before = QFileInfo(book).size();
            const double ms = bestOfMs(1, [&] {
                const imaging::ImagingError error = figures[f].command(admin, pages / 2);
                if (!error.ok())
                    throw BenchFailure(name + " " + figures[f].name + ": " +
                                       imaging::failureText(error).toStdString());
            });
            pages += figures[f].pagesAdded;
            times[f].ms = std::min(times[f].ms, ms);
            growth[f] = QFileInfo(book).size() - before;
        }
    }
    for (size_t f = 0; f < std::size(figures); ++f) {
        const std::string command = prefix + figures[f].name;
        printFigure(command + "_ms", times[f].ms);
        printFigure(command + "_vs_file_copy_ratio", times[f].ms / plain);
        printFigure(command + "_vs_page_write_ratio",
                    times[f].ms / (figures[f].bringsAPage ? pageOnly : flushesOnly));
        printFigure(command + "_growth_kib", double(growth[f]) / 1024);
        printFigure(command + "_vs_growth_write_ratio", times[f].ms / pageWriteMs(copy, growth[f], rounds));
    }
    QFile::remove(copy);
    return times;
}

}  // namespace

void pageSequenceFigures(const SampleBooks& books, int pages, int runs)
{
    const QString book = books.path(QStringLiteral("page-ops.tif"));
    rewrite(books.longBook(), pages, book);
    const auto shorter = bookFigures("g4_" + std::to_string(pages), books, book, pages, books.onePage(), G4, runs);

    const QString generated = books.path(QStringLiteral("longer.tif"));
    runProgram(QStringLiteral(PALVENOR_SAMPLEBOOK),
               {generated, QStringLiteral("--pages"), QString::number(LongerBookPages), QStringLiteral("--seed"),
                QStringLiteral("3")});
    rewrite(generated, LongerBookPages, book);
    QFile::remove(generated);
    const std::string longer = "g4_" + std::to_string(LongerBookPages);
    const auto longerTimes = bookFigures(longer, books, book, LongerBookPages, books.onePage(), G4, runs);
    for (size_t i = 0; i < longerTimes.size(); ++i)
        printFigure("page_ops_" + longer + "_" + longerTimes[i].name + "_vs_" + std::to_string(pages) + "_ratio",
                    longerTimes[i].ms / shorter[i].ms);

    const QString colourPage = books.path(QStringLiteral("colour-page.tif"));
    writeColourBook(book, ColourPages);
    writeColourBook(colourPage, 1);
    bookFigures("colour", books, book, ColourPages, colourPage, Own, runs);
    QFile::remove(book);
    QFile::remove(colourPage);
}

}  // namespace palvenor::bench
