// The page sequence commands on the long black-and-white book, as the
// document window calls them (new pages as black-and-white G4), and on a
// book of uncompressed colour scans. Each is set against a plain copy of
// the book file in the same run and against writing the new page's bytes
// with two flushes, which is what a change in place cannot do without; the
// growth of the file per operation is printed too.

#include "BenchTools.h"
#include "oleImgAdmin.h"

#include <QFile>
#include <QFileInfo>

#include <tiffio.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace palvenor::bench {

namespace {

constexpr int G4 = imaging::oleImgAdmin::BlackAndWhiteG4;
constexpr int G4Info = 26;
constexpr int Own = 1;  // keep the page's compression
constexpr int ColourPages = 12;
constexpr int LongerBookPages = 5000;
// A4 at 300 dpi
constexpr uint32_t ColourWidth = 2480;
constexpr uint32_t ColourHeight = 3508;

using Command = std::function<imaging::ImagingError(imaging::oleImgAdmin& admin, int middle)>;

struct Figure {
    const char* name;
    Command command;
    bool bringsAPage;
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

// Puts the copy of a book on disk, so that an operation's flush does not
// write the copy as well.
void settle(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!ok)
        throw BenchFailure("flushing " + path.toStdString());
}

// The figures of the commands on book, named after prefix, with page as
// the page they bring and compression the command's compression type;
// returns the name and time of each command.
std::vector<std::pair<std::string, double>> bookFigures(const std::string& prefix, const SampleBooks& books, const QString& original, const QString& page,
                 int pages, int compression, int runs)
{
    const QString book = books.path(QStringLiteral("page-sequence.tif"));
    const QString copy = books.path(QStringLiteral("page-sequence-copy.tif"));
    const int info = compression == G4 ? G4Info : 0;
    const Figure figures[] = {
        {"insert", [&](imaging::oleImgAdmin& a, int at) { return a.Insert(page, 1, 1, at, compression, info); }, true},
        {"append", [&](imaging::oleImgAdmin& a, int) { return a.Append(page, 1, 1, compression, info); }, true},
        {"replace", [&](imaging::oleImgAdmin& a, int at) { return a.Replace(page, 1, 1, at, compression, info); },
         true},
        {"delete", [](imaging::oleImgAdmin& a, int at) { return a.DeletePages(at, 1); }, false},
        {"move", [](imaging::oleImgAdmin& a, int at) { return a.MovePage(at, 1); }, false},
    };
    const auto print = [&](const std::string& name, double value) {
        std::printf("%s_%s: %.3f\n", prefix.c_str(), name.c_str(), value);
        std::fflush(stdout);
    };
    print("book_mib", double(QFileInfo(original).size()) / (1 << 20));
    const double plain = bestOfMs(runs, [&] { copyFile(original, copy); });
    QFile::remove(copy);
    print("reference_file_copy_ms", plain);
    const double pageOnly = pageWriteMs(copy, QFileInfo(page).size(), runs);
    const double flushesOnly = pageWriteMs(copy, 0, runs);
    QFile::remove(copy);
    print("reference_page_write_two_flushes_ms", pageOnly);
    print("reference_two_flushes_ms", flushesOnly);
    std::vector<std::pair<std::string, double>> times;
    for (const Figure& figure : figures) {
        imaging::oleImgAdmin admin;
        qint64 before = 0;
        const double ms = bestOfMs(runs, [&] {
            const imaging::ImagingError error = figure.command(admin, pages / 2);
            if (!error.ok())
                throw BenchFailure(prefix + " " + figure.name + ": " + imaging::failureText(error).toStdString());
        }, [&] {
            copyFile(original, book);
            settle(book);
            before = QFileInfo(book).size();
            admin.setImage(book);
        });
        const std::string name = figure.name;
        print(name + "_ms", ms);
        print(name + "_vs_file_copy_ratio", ms / plain);
        print(name + "_vs_page_write_ratio", ms / (figure.bringsAPage ? pageOnly : flushesOnly));
        print(name + "_growth_kib", double(QFileInfo(book).size() - before) / 1024);
        times.emplace_back(name, ms);
    }
    QFile::remove(book);
    return times;
}

}  // namespace

void pageSequenceFigures(const SampleBooks& books, int pages, int runs)
{
    const auto shorter = bookFigures("page", books, books.longBook(), books.onePage(), pages, G4, runs);
    const QString longer = books.path(QStringLiteral("longer.tif"));
    runProgram(QStringLiteral(PALVENOR_SAMPLEBOOK),
               {longer, QStringLiteral("--pages"), QString::number(LongerBookPages), QStringLiteral("--seed"),
                QStringLiteral("3")});
    const auto longerTimes = bookFigures("page_5000", books, longer, books.onePage(), LongerBookPages, G4, runs);
    for (size_t i = 0; i < longerTimes.size(); ++i)
        std::printf("page_5000_%s_vs_%d_pages_ratio: %.3f\n", longerTimes[i].first.c_str(), pages,
                    longerTimes[i].second / shorter[i].second);
    QFile::remove(longer);
    const QString colour = books.path(QStringLiteral("colour.tif"));
    const QString colourPage = books.path(QStringLiteral("colour-page.tif"));
    writeColourBook(colour, ColourPages);
    writeColourBook(colourPage, 1);
    bookFigures("colour_page", books, colour, colourPage, ColourPages, Own, runs);
    QFile::remove(colour);
}

}  // namespace palvenor::bench
