// Concatenating a folder of 500 pictures into a book, as START of
// "&Bilder verketten" does (each picture decoded, reduced to black and
// white, encoded as G4, then the book written once), against tiffcp putting
// the same pictures, converted to TIFF files beforehand, into one file.
// Once with black-and-white pictures, as a scanner saves book pages, which
// tiffcp gets as G4 files, and once with grey ones, which we reduce on the
// way and tiffcp gets as grey Deflate files, as a converter would write a
// grey PNG.

#include "BenchTools.h"
#include "FolderConcatenation.h"
#include "ImagingTypes.h"
#include "PageAdmin.h"
#include "TiffEncode.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <tiffio.h>

#include <cstdio>
#include <string>

namespace palvenor::bench {

namespace {

constexpr int Pictures = 500;
constexpr int Width = 1240;  // A4 at 150 dpi
constexpr int Height = 1754;

// A page of black strokes like lines of print, different for every seed.
QImage printedPage(quint32 seed) {
    QImage page(Width, Height, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    QPainter painter(&page);
    QRandomGenerator random(seed);
    for (int y = 120; y < Height - 120; y += 32)
        for (int x = 100; x < Width - 100;) {
            const int word = 20 + random.bounded(90);
            painter.fillRect(x, y, word, 18, Qt::black);
            x += word + 14;
        }
    return page;
}

void writeFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw BenchFailure("cannot write " + path.toStdString());
}

// The pictures as PNG files and, for tiffcp, as one-page TIFF files of the
// same kind: G4 for black and white, Deflate for grey.
void makePictures(QImage::Format format, const QString& pngFolder, const QString& tiffFolder, QStringList* tiffs) {
    const bool grey = format == QImage::Format_Grayscale8;
    QDir().mkpath(pngFolder);
    QDir().mkpath(tiffFolder);
    for (int i = 0; i < Pictures; ++i) {
        const QString name = QStringLiteral("seite%1").arg(i, 3, 10, QLatin1Char('0'));
        const QImage bw =
            printedPage(quint32(i + 1)).convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither);
        const QImage picture = bw.convertToFormat(format);
        if (!picture.save(QDir(pngFolder).filePath(name + QStringLiteral(".png"))))
            throw BenchFailure("cannot write a picture");
        QByteArray tiff;
        QString reason;
        const bool encoded =
            grey ? imaging::tiff::encodePage(picture, imaging::PageTypeGray8, 150, 150, COMPRESSION_ADOBE_DEFLATE,
                                             &tiff, &reason)
                 : imaging::tiff::encodePage(bw, imaging::PageTypeBlackWhite, 150, 150, COMPRESSION_CCITTFAX4, &tiff,
                                             &reason);
        if (!encoded)
            throw BenchFailure("cannot encode a picture: " + reason.toStdString());
        tiffs->append(QDir(tiffFolder).filePath(name + QStringLiteral(".tif")));
        writeFileBytes(tiffs->last(), tiff);
    }
}

void concatenate(const QString& pngFolder, const QString& firstPage, const QString& book) {
    copyFile(firstPage, book);
    acquire::BookAssembly assembly(book);
    for (const QString& name : acquire::matchingFiles(pngFolder + QLatin1Char('/'), QStringLiteral(".png"))) {
        QImage page;
        QString reason;
        if (!assembly.add(QDir(pngFolder).filePath(name), &page, &reason))
            throw BenchFailure("cannot add " + name.toStdString() + ": " + reason.toStdString());
    }
    if (const imaging::ImagingError error = assembly.finish(); !error.ok())
        throw BenchFailure("cannot write the book: " + imaging::failureText(error).toStdString());
}

// Decoding the pictures alone, for comparison with tiffcp's whole run.
void decodeAll(const QString& pngFolder) {
    for (const QString& name : acquire::matchingFiles(pngFolder + QLatin1Char('/'), QStringLiteral(".png")))
        if (QImage(QDir(pngFolder).filePath(name)).isNull()) throw BenchFailure("cannot decode " + name.toStdString());
}

// One figure: `kind` names the pictures in the printed lines.
void concatenationFigure(const SampleBooks& books, int runs, const char* kind, QImage::Format format,
                         const QString& tiffcp) {
    const QString folder = books.path(QString::fromUtf8(kind));
    const QString pngFolder = folder + QStringLiteral("-png");
    QStringList tiffs;
    makePictures(format, pngFolder, folder + QStringLiteral("-tiff"), &tiffs);
    const QString book = folder + QStringLiteral("-verkettet.tif");
    const std::string pictures = std::to_string(Pictures) + "_" + kind + "_pictures_ms";
    const double ours = bestOfMs(runs, [&] { concatenate(pngFolder, books.onePage(), book); });
    printFigure("concatenate_" + pictures, ours);
    printFigure("decode_" + pictures, bestOfMs(runs, [&] { decodeAll(pngFolder); }));
    if (tiffcp.isEmpty()) return;
    const QString target = folder + QStringLiteral("-tiffcp.tif");
    const double reference = bestOfMs(runs, [&] { runProgram(tiffcp, QStringList(tiffs) << target); },
                                      [&] { QFile::remove(target); });
    printFigure("tiffcp_concatenate_" + pictures, reference);
    printFigure(std::string("concatenate_") + kind + "_vs_tiffcp_ratio", ours / reference);
}

}  // namespace

void concatenationFigures(const SampleBooks& books, int runs) {
    const QString tiffcp = QStandardPaths::findExecutable(QStringLiteral("tiffcp"));
    if (tiffcp.isEmpty()) std::printf("note: tiffcp is not on PATH; the concatenation ratios are left out\n");
    concatenationFigure(books, runs, "bw", QImage::Format_Mono, tiffcp);
    concatenationFigure(books, runs, "grey", QImage::Format_Grayscale8, tiffcp);
}

}  // namespace palvenor::bench
