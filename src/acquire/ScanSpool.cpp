#include "ScanSpool.h"

#include "ImageFile.h"
#include "TiffLibrary.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <tiffio.h>

#include <memory>
#include <vector>

namespace palvenor::acquire {

namespace {

void setPageTags(TIFF* tif, const ScannedPage& page) {
    const bool blackAndWhite = page.depth == 1;
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(page.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(page.height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(blackAndWhite ? 1 : 8));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(page.samplesPerPixel));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 blackAndWhite ? PHOTOMETRIC_MINISWHITE
                               : page.samplesPerPixel == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, blackAndWhite ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(page.height));
    if (page.dpi > 0) {
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(page.dpi));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(page.dpi));
    }
}

// One row as the file stores it: 16-bit samples keep their high byte (the
// scanner sends them in this machine's byte order).
const uint8_t* storedRow(const ScannedPage& page, int y, std::vector<uint8_t>* narrowed) {
    const auto* row = reinterpret_cast<const uint8_t*>(page.data.constData()) + qsizetype(y) * page.bytesPerLine;
    if (page.depth != 16) return row;
    const auto* wide = reinterpret_cast<const uint16_t*>(row);
    narrowed->resize(size_t(page.width) * page.samplesPerPixel);
    for (size_t i = 0; i < narrowed->size(); ++i) (*narrowed)[i] = uint8_t(wide[i] >> 8);
    return narrowed->data();
}

imaging::ImagingError failure(const QString& file, const QString& reason) {
    return {imaging::StatusWriteFailed,
            QStringLiteral("Die gescannte Seite lässt sich nicht in \"%1\" schreiben: %2").arg(file, reason)};
}

// Why a page cannot be encoded; empty when it can.
QString unencodable(const ScannedPage& page) {
    if (page.depth != 1 && page.depth != 8 && page.depth != 16)
        return QStringLiteral("Farbtiefe %1 wird nicht unterstützt.").arg(page.depth);
    if (page.data.size() < qsizetype(page.height) * page.bytesPerLine) return QStringLiteral("Die Seite ist unvollständig.");
    return QString();
}

// The page goes row by row into a TIFF in memory, whose one strip is then
// taken out as it lies there. The reason when that fails (libtiff's own
// messages are held back, being English).
QString encodeStrip(const ScannedPage& page, QByteArray* strip) {
    imaging::tiff::MemoryFile memory;
    imaging::tiff::TiffMessages messages;
    const imaging::tiff::TiffHandle tif = imaging::tiff::openForWriting(&memory, &messages);
    const QString problem = QStringLiteral("Fehler beim Komprimieren.");
    if (!tif) return problem;
    setPageTags(tif.get(), page);
    std::vector<uint8_t> row(size_t(page.bytesPerLine));
    std::vector<uint8_t> narrowed;
    for (int y = 0; y < page.height; ++y) {
        const uint8_t* stored = storedRow(page, y, &narrowed);
        row.assign(stored, stored + TIFFScanlineSize(tif.get()));
        if (TIFFWriteScanline(tif.get(), row.data(), uint32_t(y), 0) < 0) return problem;
    }
    if (!TIFFFlushData(tif.get())) return problem;
    *strip = memory.data.mid(qsizetype(TIFFGetStrileOffset(tif.get(), 0)),
                             qsizetype(TIFFGetStrileByteCount(tif.get(), 0)));
    return QString();
}

}  // namespace

EncodedPage encodeScannedPage(const ScannedPage& page) {
    EncodedPage encoded;
    encoded.layout = page;
    encoded.layout.data.clear();
    encoded.problem = unencodable(page);
    if (encoded.problem.isEmpty()) encoded.problem = encodeStrip(page, &encoded.strip);
    return encoded;
}

imaging::ImagingError appendEncodedPage(const QString& file, const EncodedPage& page) {
    if (!page.problem.isEmpty()) return failure(file, page.problem);
    const char* mode = QFileInfo::exists(file) ? "a" : "w";
    const imaging::tiff::TiffHandle tif(TIFFOpen(QFile::encodeName(file).constData(), mode));
    if (!tif) return failure(file, QStringLiteral("Die Datei lässt sich nicht öffnen."));
    setPageTags(tif.get(), page.layout);
    // libtiff writes a raw strip as it is and leaves the bytes alone.
    auto* strip = const_cast<char*>(page.strip.constData());
    if (TIFFWriteRawStrip(tif.get(), 0, strip, page.strip.size()) < 0 || !TIFFWriteDirectory(tif.get()))
        return failure(file, QStringLiteral("Fehler beim Schreiben."));
    return {};
}

int pageCountOf(const QString& file) {
    imaging::ImagingError ignored;
    const std::unique_ptr<imaging::ImageFile> pages =
        QFileInfo::exists(file) ? imaging::ImageFile::open(file, &ignored) : nullptr;
    return pages ? pages->pageCount() : 0;
}

QString captureSpoolFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("Erfassung"));
}

QString newCaptureSpoolFile() {
    const QDir folder(captureSpoolFolder());
    if (!folder.mkpath(QStringLiteral("."))) return QString();
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmsszzz"));
    QString name = folder.filePath(QStringLiteral("erfassung-%1.tif").arg(stamp));
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = folder.filePath(QStringLiteral("erfassung-%1-%2.tif").arg(stamp).arg(n));
    return name;
}

QStringList unsavedCaptures() {
    const QDir folder(captureSpoolFolder());
    QStringList files;
    for (const QFileInfo& info : folder.entryInfoList({QStringLiteral("erfassung-*.tif")}, QDir::Files, QDir::Name))
        files << info.absoluteFilePath();
    return files;
}

}  // namespace palvenor::acquire
