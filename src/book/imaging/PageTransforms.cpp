#include "PageTransforms.h"

#include "AnnotationTag.h"
#include "ImageFile.h"
#include "PageAdmin.h"

#include <QTemporaryDir>

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace palvenor::imaging {

namespace {

// An 8 x 8 block of a 1-bit page, its top row in the high byte and each
// row's first pixel in the byte's high bit, transposed: the high byte then
// holds the block's first column, its top pixel in the high bit.
std::uint64_t transposedBlock(std::uint64_t x) {
    std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
    return x ^ t ^ (t << 28);
}

// A quarter turn of a 1-bit page done on its packed bits, eight rows by
// eight columns at a time: each block of the page becomes one byte in each
// of eight rows of the turned page. Turned right, the page's bottom row
// becomes the first column, so the rows are taken bottom up in a block;
// blank rows above the page line its rows up with whole bytes of the
// turned rows.
QImage quarterTurnedBits(const QImage& page, Turn turn) {
    const int width = page.width(), height = page.height();
    QImage result(height, width, QImage::Format_Mono);
    result.setColorTable(page.colorTable());
    result.setDotsPerMeterX(page.dotsPerMeterY());
    result.setDotsPerMeterY(page.dotsPerMeterX());
    const bool right = turn == Turn::Right;
    const int blankRows = right ? (8 - height % 8) % 8 : 0;
    const int blocks = (height + blankRows + 7) / 8;
    const int byteColumns = (width + 7) / 8;
    uchar* out = result.bits();
    const qsizetype outLine = result.bytesPerLine();
    for (int block = 0; block < blocks; ++block) {
        const uchar* rows[8];
        for (int i = 0; i < 8; ++i) {
            const int y = right ? 8 * block + 7 - i - blankRows : 8 * block + i;
            rows[i] = y >= 0 && y < height ? page.constScanLine(y) : nullptr;
        }
        const int outByte = right ? blocks - 1 - block : block;
        for (int column = 0; column < byteColumns; ++column) {
            std::uint64_t x = 0;
            for (const uchar* row : rows) x = (x << 8) | (row ? row[column] : 0);
            x = transposedBlock(x);
            for (int j = 0; j < 8 && 8 * column + j < width; ++j) {
                const int outRow = right ? 8 * column + j : width - 1 - (8 * column + j);
                out[outRow * outLine + outByte] = uchar(x >> (56 - 8 * j));
            }
        }
    }
    return result;
}

QImage quarterTurned(const QImage& page, Turn turn) {
    QTransform rotation;
    rotation.rotate(turn == Turn::Right ? 90 : -90);
    QImage result = page.transformed(rotation);
    result.setDotsPerMeterX(page.dotsPerMeterY());
    result.setDotsPerMeterY(page.dotsPerMeterX());
    return result;
}

// The new picture of page `page` of book, encoded in the page's own kind;
// the entries that describe the page stay, its resolutions swapped when
// the picture is the page turned by a quarter.
PageSource encodedPage(const QString& book, int page, const QImage& picture, const PageInfo& info,
                       std::optional<QByteArray> annotations, bool quarterTurned) {
    PageSource source = pageOfFile(book, page);
    source.picture = picture;
    const double x = quarterTurned ? info.yResolution : info.xResolution;
    source.resolution = x > 0 ? x : 300;
    source.yResolution = x > 0 ? (quarterTurned ? info.xResolution : info.yResolution) : 0;
    source.quarterTurned = quarterTurned;
    source.pictureCompression = info.pageType == PageTypeBlackWhite ? COMPRESSION_CCITTFAX4 : info.compression;
    source.annotations = std::move(annotations);
    return source;
}

QByteArray movedAnnotations(const QByteArray& data, const QTransform& place) {
    std::optional<std::vector<Annotation>> annotations = decodeAnnotations(data);
    if (!annotations) return data;
    for (Annotation& a : *annotations) {
        a.box = place.mapRect(a.box);
        for (QPointF& point : a.points) point = place.map(point);
    }
    return encodeAnnotations(*annotations);
}

// Pages are encoded into small temporary books of this many pages, so that
// only that many decoded pictures are held at once; the book itself is then
// written once from them, their pages copied as they are.
constexpr int kPagesPerPart = 16;

}  // namespace

QImage turned(const QImage& page, Turn turn) {
    if (turn == Turn::Half) return page.mirrored(true, true);
    if (page.format() == QImage::Format_Mono) return quarterTurnedBits(page, turn);
    return quarterTurned(page, turn);
}

QTransform turning(QSize size, Turn turn) {
    switch (turn) {
    case Turn::Left: return QTransform(0, -1, 1, 0, 0, size.width());
    case Turn::Right: return QTransform(0, 1, -1, 0, size.height(), 0);
    case Turn::Half: break;
    }
    return QTransform(-1, 0, 0, -1, size.width(), size.height());
}

QImage inverted(const QImage& page) {
    QImage result = page;
    if (page.format() == QImage::Format_Indexed8) {
        QList<QRgb> table = page.colorTable();
        for (QRgb& colour : table) colour = qRgba(255 - qRed(colour), 255 - qGreen(colour), 255 - qBlue(colour), qAlpha(colour));
        result.setColorTable(table);
    } else {
        result.invertPixels();
    }
    return result;
}

QImage trimmed(const QImage& page, const QRect& area) {
    return page.copy(area.intersected(page.rect()));
}

ImagingError transformEveryPage(const QString& book, const PagePass& pass) {
    ImagingError error;
    const std::unique_ptr<ImageFile> file = ImageFile::open(book, &error);
    if (!file) return error;
    QTemporaryDir parts;
    if (!parts.isValid()) return writeFailure(parts.path(), parts.errorString());
    const int count = file->pageCount();
    std::vector<PageSource> result;
    std::vector<PageSource> part;
    const auto writePart = [&] {
        const QString partFile = parts.filePath(QString::number(result.size()) + QStringLiteral(".tif"));
        error = writeBook(partFile, part);
        for (int i = 1; i <= int(part.size()); ++i) result.push_back(pageOfFile(partFile, i));
        part.clear();
        return error.ok();
    };
    for (int page = 1; page <= count; ++page) {
        const QImage picture = file->readPage(page, &error);
        if (picture.isNull()) return error;
        QByteArray annotations = file->annotationData(page);
        if (pass.annotationPlace && !annotations.isEmpty())
            annotations = movedAnnotations(annotations, pass.annotationPlace(picture.size()));
        part.push_back(
            encodedPage(book, page, pass.transform(picture), file->pageInfo(page), annotations, pass.quarterTurn));
        if ((int(part.size()) == kPagesPerPart || page == count) && !writePart()) return error;
        if (pass.progress && !pass.progress(page, count))
            return {StatusCancelled, QStringLiteral("Der Vorgang wurde abgebrochen.")};
    }
    return writeBook(book, result);
}

ImagingError recompressBlackAndWhite(const QString& book) {
    ImagingError error;
    const std::unique_ptr<ImageFile> file = ImageFile::open(book, &error);
    if (!file) return error;
    std::vector<PageSource> pages;
    bool anyToRecompress = false;
    for (int page = 1; page <= file->pageCount(); ++page) {
        const PageInfo info = file->pageInfo(page);
        const bool recompress = info.pageType == PageTypeBlackWhite && info.compression != COMPRESSION_CCITTFAX4;
        anyToRecompress = anyToRecompress || recompress;
        pages.push_back(pageOfFile(book, page));
        if (recompress) pages.back().compression = PageCompression::BlackAndWhiteG4;
    }
    return anyToRecompress ? writeBook(book, pages) : ImagingError{};
}

}  // namespace palvenor::imaging
