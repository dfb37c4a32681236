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

// The eight pixels of a byte of a 1-bit page, one byte each.
const std::array<std::uint64_t, 256> kSpreadBits = [] {
    std::array<std::uint64_t, 256> table{};
    for (int bits = 0; bits < 256; ++bits) {
        std::array<uchar, 8> pixels{};
        for (int i = 0; i < 8; ++i) pixels[i] = (bits >> (7 - i)) & 1;
        std::memcpy(&table[bits], pixels.data(), 8);
    }
    return table;
}();

// A 1-bit page as one byte per pixel (its colour index), so that the fast
// 8-bit rotation can turn it.
QImage unpackedBits(const QImage& page) {
    QImage bytes(page.size(), QImage::Format_Indexed8);
    bytes.setColorTable(page.colorTable());
    bytes.setDotsPerMeterX(page.dotsPerMeterX());
    bytes.setDotsPerMeterY(page.dotsPerMeterY());
    const int wholeBytes = page.width() / 8;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* in = page.constScanLine(y);
        uchar* out = bytes.scanLine(y);
        for (int b = 0; b < wholeBytes; ++b) std::memcpy(out + 8 * b, &kSpreadBits[in[b]], 8);
        for (int x = 8 * wholeBytes; x < page.width(); ++x) out[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
    }
    return bytes;
}

QImage packedBits(const QImage& bytes, const QImage& like) {
    QImage page(bytes.size(), QImage::Format_Mono);
    page.setColorTable(like.colorTable());
    page.setDotsPerMeterX(bytes.dotsPerMeterX());
    page.setDotsPerMeterY(bytes.dotsPerMeterY());
    const int byteCount = (bytes.width() + 7) / 8;
    for (int y = 0; y < bytes.height(); ++y) {
        const uchar* in = bytes.constScanLine(y);
        uchar* out = page.scanLine(y);
        for (int b = 0; b < byteCount; ++b) {
            const int pixels = std::min(8, bytes.width() - 8 * b);
            uchar packed = 0;
            for (int i = 0; i < pixels; ++i) packed |= uchar(in[8 * b + i] << (7 - i));
            out[b] = packed;
        }
    }
    return page;
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
// the entries that describe the page stay.
PageSource encodedPage(const QString& book, int page, const QImage& picture, const PageInfo& info,
                       std::optional<QByteArray> annotations) {
    PageSource source = pageOfFile(book, page);
    source.picture = picture;
    source.resolution = info.xResolution > 0 ? info.xResolution : 300;
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
    if (page.format() != QImage::Format_Mono) return quarterTurned(page, turn);
    return packedBits(quarterTurned(unpackedBits(page), turn), page);
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
        part.push_back(encodedPage(book, page, pass.transform(picture), file->pageInfo(page), annotations));
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
