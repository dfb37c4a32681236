// Concatenating a folder of 500 pictures into a book, as START of
// "&Bilder verketten" does (each picture decoded, reduced to black and
// white, encoded as G4, then the book written once), against tiffcp putting
// the same pictures, converted to G4 TIFF files beforehand, into one file.

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

// The pictures as PNG files and, for tiffcp, as one-page G4 TIFF files.
void makePictures(const QString& pngFolder, const QString& tiffFolder, QStringList* tiffs) {
    QDir().mkpath(pngFolder);
    QDir().mkpath(tiffFolder);
    for (int i = 0; i < Pictures; ++i) {
        const QString name = QStringLiteral("seite%1").arg(i, 3, 10, QLatin1Char('0'));
        const QImage page = printedPage(quint32(i + 1));
        if (!page.save(QDir(pngFolder).filePath(name + QStringLiteral(".png"))))
            throw BenchFailure("cannot write a picture");
        QByteArray tiff;
        QString reason;
        const QImage bw = page.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither);
        if (!imaging::tiff::encodePage(bw, imaging::PageTypeBlackWhite, 150, 150, COMPRESSION_CCITTFAX4, &tiff, &reason))
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

}  // namespace

void concatenationFigures(const SampleBooks& books, int runs) {
    const QString tiffcp = QStandardPaths::findExecutable(QStringLiteral("tiffcp"));
    const QString pngFolder = books.path(QStringLiteral("bilder"));
    QStringList tiffs;
    makePictures(pngFolder, books.path(QStringLiteral("bilder-tiff")), &tiffs);
    const QString book = books.path(QStringLiteral("verkettet.tif"));
    const double ours = bestOfMs(runs, [&] { concatenate(pngFolder, books.onePage(), book); });
    std::printf("concatenate_%d_pictures_ms: %.3f\n", Pictures, ours);
    if (tiffcp.isEmpty()) {
        std::printf("note: tiffcp is not on PATH; concatenate_vs_tiffcp_ratio left out\n");
        return;
    }
    const QString target = books.path(QStringLiteral("tiffcp-verkettet.tif"));
    const double reference = bestOfMs(runs, [&] { runProgram(tiffcp, QStringList(tiffs) << target); },
                                      [&] { QFile::remove(target); });
    std::printf("tiffcp_concatenate_%d_pictures_ms: %.3f\nconcatenate_vs_tiffcp_ratio: %.3f\n", Pictures, reference,
                ours / reference);
    std::fflush(stdout);
}

}  // namespace palvenor::bench
