#include "TiffDecode.h"

#include "TiffLibrary.h"

#include <QColor>

#include <algorithm>
#include <cstring>
#include <vector>

namespace palvenor::imaging::tiff {

namespace {

constexpr QRgb White = 0xffffffff;
constexpr QRgb Black = 0xff000000;

// Tiles of up to this size are taken whatever the page size: a small page
// may well sit in one 256 x 256 tile, or a few of 1024 x 1024.
constexpr uint64_t SmallTileBytes = uint64_t(16) << 20;

uint16_t field16(TIFF* tif, ttag_t tag, uint16_t fallback)
{
    uint16_t value = 0;
    return TIFFGetField(tif, tag, &value) ? value : fallback;
}

QString bitsText(uint16_t bits)
{
    return bits == 1 ? QStringLiteral("1 Bit je Abtastwert") : QStringLiteral("%1 Bit je Abtastwert").arg(bits);
}

QString photometricText(uint16_t photometric)
{
    switch (photometric) {
    case PHOTOMETRIC_SEPARATED:
        return QStringLiteral("CMYK-Farbraum");
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
    case PHOTOMETRIC_ITULAB:
        return QStringLiteral("Lab-Farbraum");
    case PHOTOMETRIC_MASK:
        return QStringLiteral("Transparenzmaske");
    case PHOTOMETRIC_LOGL:
    case PHOTOMETRIC_LOGLUV:
        return QStringLiteral("LogLuv-Farbraum");
    default:
        return QStringLiteral("Farbraum %1").arg(photometric);
    }
}

// Colour table of a palette page. Colormap values are 16 bit; some old
// writers stored 8-bit values, recognisable by none exceeding 255.
QList<QRgb> colorTableOf(TIFF* tif, int bits)
{
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    QList<QRgb> table;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
        return table;
    const int n = 1 << bits;
    bool eightBit = true;
    for (int i = 0; i < n && eightBit; ++i)
        eightBit = red[i] < 256 && green[i] < 256 && blue[i] < 256;
    const int shift = eightBit ? 0 : 8;
    table.reserve(n);
    for (int i = 0; i < n; ++i)
        table.append(qRgb(red[i] >> shift, green[i] >> shift, blue[i] >> shift));
    return table;
}

// Reads the page's samples as packed rows (rowBytes each) into dst, one row
// every stride bytes. Strips whose rows have exactly the destination's stride
// are decoded in place; others go through one strip or tile of scratch.
DecodeResult readPackedRows(TIFF* tif, const PageFormat& f, int bitsPerPixel, uint8_t* dst, qsizetype stride)
{
    const uint64_t rowBytes = (uint64_t(f.width) * bitsPerPixel + 7) / 8;
    if (uint64_t(TIFFScanlineSize64(tif)) != rowBytes)
        return DecodeResult::Corrupt;
    std::vector<uint8_t> scratch;

    if (!f.tiled) {
        uint32_t rowsPerStrip = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        if (rowsPerStrip == 0 || rowsPerStrip > f.height)
            rowsPerStrip = f.height;
        const uint32_t strips = (f.height + rowsPerStrip - 1) / rowsPerStrip;
        if (TIFFNumberOfStrips(tif) < strips)
            return DecodeResult::Corrupt;
        const bool inPlace = uint64_t(stride) == rowBytes;
        if (!inPlace)
            scratch.resize(size_t(rowBytes * rowsPerStrip));
        for (uint32_t s = 0; s < strips; ++s) {
            const uint32_t firstRow = s * rowsPerStrip;
            const uint32_t rows = std::min(rowsPerStrip, f.height - firstRow);
            const tmsize_t need = tmsize_t(rows * rowBytes);
            uint8_t* target = dst + qsizetype(firstRow) * stride;
            const tmsize_t got = TIFFReadEncodedStrip(tif, s, inPlace ? target : scratch.data(), need);
            if (got < need)
                return DecodeResult::Corrupt;
            if (!inPlace)
                for (uint32_t r = 0; r < rows; ++r)
                    std::memcpy(target + qsizetype(r) * stride, scratch.data() + r * rowBytes, rowBytes);
        }
        return DecodeResult::Ok;
    }

    uint32_t tileWidth = 0, tileLength = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
    if (tileWidth == 0 || tileLength == 0 || (uint64_t(tileWidth) * bitsPerPixel) % 8 != 0)
        return DecodeResult::Corrupt;
    const uint64_t tileRowBytes = uint64_t(tileWidth) * bitsPerPixel / 8;
    const tmsize_t tileSize = TIFFTileSize(tif);
    if (uint64_t(tileSize) != tileRowBytes * tileLength)
        return DecodeResult::Corrupt;
    scratch.resize(size_t(tileSize));
    for (uint32_t y = 0; y < f.height; y += tileLength) {
        const uint32_t rows = std::min(tileLength, f.height - y);
        for (uint32_t x = 0; x < f.width; x += tileWidth) {
            const uint32_t tile = TIFFComputeTile(tif, x, y, 0, 0);
            if (TIFFReadEncodedTile(tif, tile, scratch.data(), tileSize) < tileSize)
                return DecodeResult::Corrupt;
            const uint64_t xByte = uint64_t(x) * bitsPerPixel / 8;
            const uint64_t bytes = std::min(tileRowBytes, rowBytes - xByte);
            for (uint32_t r = 0; r < rows; ++r)
                std::memcpy(dst + qsizetype(y + r) * stride + xByte, scratch.data() + r * tileRowBytes, bytes);
        }
    }
    return DecodeResult::Ok;
}

// Spreads 4-bit samples to one byte each through a lookup table.
void unpackNibbles(const uint8_t* packed, uint64_t packedStride, QImage* image, const uint8_t (&lookup)[16])
{
    const int width = image->width();
    for (int y = 0; y < image->height(); ++y) {
        const uint8_t* in = packed + uint64_t(y) * packedStride;
        uint8_t* out = image->scanLine(y);
        int x = 0;
        for (; x + 1 < width; x += 2, ++in) {
            out[x] = lookup[*in >> 4];
            out[x + 1] = lookup[*in & 0x0f];
        }
        if (x < width)
            out[x] = lookup[*in >> 4];
    }
}

// Turns rows of packed 8-bit RGB, read into the start of each row of an RGB32
// image, into its pixels; each row goes through a copy of its samples.
void widenRgbRows(QImage* image)
{
    const int width = image->width();
    std::vector<uint8_t> samples(size_t(width) * 3);
    for (int y = 0; y < image->height(); ++y) {
        uchar* row = image->scanLine(y);
        std::memcpy(samples.data(), row, samples.size());
        auto* pixels = reinterpret_cast<QRgb*>(row);
        for (int x = 0; x < width; ++x)
            pixels[x] = qRgb(samples[3 * size_t(x)], samples[3 * size_t(x) + 1], samples[3 * size_t(x) + 2]);
    }
}

// Everything libtiff can turn into RGBA, for layouts the fast paths do not
// take (separate colour planes, subsampled YCbCr without JPEG, odd tiles).
QImage decodeThroughRgba(TIFF* tif, const PageFormat& f, DecodeResult* result)
{
    QImage image(int(f.width), int(f.height), QImage::Format_RGB32);
    if (image.isNull()) {
        *result = DecodeResult::TooLarge;
        return {};
    }
    // Rows of 32-bit pixels have no padding, so libtiff fills the picture's
    // own memory, and each pixel is then turned from libtiff's packing into
    // Qt's in place.
    auto* pixels = reinterpret_cast<uint32_t*>(image.bits());
    if (!TIFFReadRGBAImageOriented(tif, f.width, f.height, pixels, ORIENTATION_TOPLEFT, 0)) {
        *result = DecodeResult::Corrupt;
        return {};
    }
    const size_t count = size_t(f.width) * f.height;
    for (size_t i = 0; i < count; ++i)
        pixels[i] = qRgb(TIFFGetR(pixels[i]), TIFFGetG(pixels[i]), TIFFGetB(pixels[i]));
    *result = DecodeResult::Ok;
    switch (f.pageType) {
    case PageTypeBlackWhite:
        return image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    case PageTypeGray4:
    case PageTypeGray8:
        return image.convertToFormat(QImage::Format_Grayscale8);
    case PageTypePalette4:
    case PageTypePalette8:
        return image.convertToFormat(QImage::Format_Indexed8, colorTableOf(tif, f.bitsPerSample),
                                     Qt::ThresholdDither);
    default:
        return image;
    }
}

// What our own decoders make of the page: its page type, or in
// f->unsupported why they do not take it.
void classifyForOwnDecoders(TIFF* tif, uint16_t sampleFormat, PageFormat* f)
{
    if (f->width == 0 || f->height == 0) {
        f->unsupported = QStringLiteral("Seite ohne Bildfläche");
        return;
    }
    if (sampleFormat == SAMPLEFORMAT_IEEEFP || sampleFormat == SAMPLEFORMAT_COMPLEXIEEEFP) {
        f->unsupported = QStringLiteral("Gleitkomma-Abtastwerte");
        return;
    }
    if (sampleFormat != SAMPLEFORMAT_UINT && sampleFormat != SAMPLEFORMAT_VOID) {
        f->unsupported = QStringLiteral("vorzeichenbehaftete Abtastwerte");
        return;
    }

    switch (f->photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_PALETTE: {
        if (f->samplesPerPixel != 1) {
            f->unsupported = QStringLiteral("%1 Abtastwerte je Bildpunkt").arg(f->samplesPerPixel);
            return;
        }
        const bool palette = f->photometric == PHOTOMETRIC_PALETTE;
        if (f->bitsPerSample == 1)
            f->pageType = PageTypeBlackWhite;
        else if (f->bitsPerSample == 4)
            f->pageType = palette ? PageTypePalette4 : PageTypeGray4;
        else if (f->bitsPerSample == 8)
            f->pageType = palette ? PageTypePalette8 : PageTypeGray8;
        else
            f->unsupported = bitsText(f->bitsPerSample);
        if (palette && f->pageType != PageTypeUnknown && colorTableOf(tif, f->bitsPerSample).isEmpty()) {
            f->pageType = PageTypeUnknown;
            f->unsupported = QStringLiteral("Palettenbild ohne Farbtabelle");
        }
        break;
    }
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_YCBCR:
        if (f->samplesPerPixel != 3)
            f->unsupported = QStringLiteral("Farbbild mit %1 Kanälen").arg(f->samplesPerPixel);
        else if (f->bitsPerSample != 8)
            f->unsupported = QStringLiteral("%1 Bit je Farbkanal").arg(f->bitsPerSample);
        else
            f->pageType = PageTypeRgb24;
        break;
    default:
        f->unsupported = photometricText(f->photometric);
        break;
    }
}


// A page our decoders do not take is shown through libtiff's RGBA reader
// when that can read it: grey pages (with or without alpha) as grey, the
// others as colour. Otherwise the page stays refused, with libtiff's reason
// added to ours.
void takeThroughRgba(TIFF* tif, PageFormat* f)
{
    char reason[1024] = {};
    if (!TIFFRGBAImageOK(tif, reason)) {
        if (reason[0])
            f->unsupported += QStringLiteral(" (libtiff: %1)").arg(QString::fromLocal8Bit(reason));
        return;
    }
    const bool grey = f->photometric == PHOTOMETRIC_MINISBLACK || f->photometric == PHOTOMETRIC_MINISWHITE;
    f->pageType = grey ? PageTypeGray8 : PageTypeRgb24;
    f->throughRgba = true;
    f->unsupported.clear();
}

bool fitsInMemory(const PageFormat& f)
{
    return uint64_t(f.width) * f.height * 4 <= MaxDecodedBytes && f.width <= uint32_t(INT_MAX / 4) &&
           f.height <= uint32_t(INT_MAX);
}

// A tile declared far larger than its page would make the decoder allocate
// gigabytes for a few bytes of file.
void refuseOversizedTiles(TIFF* tif, PageFormat* f)
{
    const uint64_t tileBytes = uint64_t(TIFFTileSize64(tif));
    if (tileBytes <= std::max(uint64_t(TIFFScanlineSize64(tif)) * f->height, SmallTileBytes))
        return;
    uint32_t width = 0, length = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &length);
    f->pageType = PageTypeUnknown;
    f->unsupported = QStringLiteral("Kacheln zu groß (%1 × %2 Bildpunkte)").arg(width).arg(length);
}

}  // namespace

PageFormat describeCurrentPage(TIFF* tif)
{
    PageFormat f;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &f.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &f.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &f.bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &f.samplesPerPixel);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &f.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &f.compression);
    f.tiled = TIFFIsTiled(tif) != 0;
    const uint16_t assumed = f.samplesPerPixel >= 3                            ? PHOTOMETRIC_RGB
                             : f.bitsPerSample == 1 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK;
    f.photometric = field16(tif, TIFFTAG_PHOTOMETRIC, assumed);
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat);

    classifyForOwnDecoders(tif, sampleFormat, &f);
    if (!f.supported() && f.width > 0 && f.height > 0)
        takeThroughRgba(tif, &f);
    if (f.supported() && !TIFFIsCODECConfigured(f.compression)) {
        f.pageType = PageTypeUnknown;
        f.unsupported = compressionName(f.compression);
    }
    if (f.supported() && f.tiled)
        refuseOversizedTiles(tif, &f);
    return f;
}

PageInfo pageInfoOf(TIFF* tif, const PageFormat& format)
{
    PageInfo info;
    info.width = int(format.width);
    info.height = int(format.height);
    info.pageType = format.pageType;
    info.compression = format.compression;
    info.compressionInfo = compressionName(format.compression);
    float x = 0, y = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double factor = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x))
        info.xResolution = x * factor;
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y))
        info.yResolution = y * factor;
    else
        info.yResolution = info.xResolution;
    return info;
}

QImage decodeCurrentPage(TIFF* tif, const PageFormat& f, DecodeResult* result)
{
    *result = DecodeResult::Ok;
    if (!fitsInMemory(f)) {
        *result = DecodeResult::TooLarge;
        return {};
    }
    if (f.throughRgba)
        return decodeThroughRgba(tif, f, result);
    const int w = int(f.width), h = int(f.height);
    const bool contiguous = f.samplesPerPixel == 1 || f.planar == PLANARCONFIG_CONTIG;

    if (f.pageType == PageTypeRgb24) {
        if (f.photometric == PHOTOMETRIC_YCBCR) {
            if (f.compression != COMPRESSION_JPEG)
                return decodeThroughRgba(tif, f, result);
            // libjpeg converts to RGB while decoding.
            TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        }
        if (!contiguous)
            return decodeThroughRgba(tif, f, result);
        // Read straight into the page's rows and widened there: an A4 colour
        // page at 300 dpi would otherwise be held twice, 26 MB more.
        QImage rgb(w, h, QImage::Format_RGB32);
        if (rgb.isNull()) {
            *result = DecodeResult::TooLarge;
            return {};
        }
        *result = readPackedRows(tif, f, 24, rgb.bits(), rgb.bytesPerLine());
        if (*result != DecodeResult::Ok)
            return {};
        widenRgbRows(&rgb);
        return rgb;
    }

    if (f.tiled) {
        uint32_t tileWidth = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
        if ((uint64_t(tileWidth) * f.bitsPerSample) % 8 != 0)
            return decodeThroughRgba(tif, f, result);
    }

    QImage image;
    switch (f.pageType) {
    case PageTypeBlackWhite: {
        image = QImage(w, h, QImage::Format_Mono);
        if (image.isNull())
            break;
        if (f.photometric == PHOTOMETRIC_PALETTE)
            image.setColorTable(colorTableOf(tif, 1));
        else if (f.photometric == PHOTOMETRIC_MINISWHITE)
            image.setColorTable({White, Black});
        else
            image.setColorTable({Black, White});
        *result = readPackedRows(tif, f, 1, image.bits(), image.bytesPerLine());
        break;
    }
    case PageTypeGray8:
    case PageTypePalette8: {
        const bool palette = f.pageType == PageTypePalette8;
        image = QImage(w, h, palette ? QImage::Format_Indexed8 : QImage::Format_Grayscale8);
        if (image.isNull())
            break;
        if (palette)
            image.setColorTable(colorTableOf(tif, 8));
        *result = readPackedRows(tif, f, 8, image.bits(), image.bytesPerLine());
        if (*result == DecodeResult::Ok && f.photometric == PHOTOMETRIC_MINISWHITE) {
            uint8_t* bits = image.bits();
            const qsizetype n = image.sizeInBytes();
            for (qsizetype i = 0; i < n; ++i)
                bits[i] = uint8_t(~bits[i]);
        }
        break;
    }
    case PageTypeGray4:
    case PageTypePalette4: {
        const bool palette = f.pageType == PageTypePalette4;
        image = QImage(w, h, palette ? QImage::Format_Indexed8 : QImage::Format_Grayscale8);
        if (image.isNull())
            break;
        const uint64_t packedStride = (uint64_t(f.width) + 1) / 2;
        std::vector<uint8_t> packed(size_t(packedStride * f.height));
        *result = readPackedRows(tif, f, 4, packed.data(), qsizetype(packedStride));
        if (*result != DecodeResult::Ok)
            break;
        uint8_t lookup[16];
        for (int v = 0; v < 16; ++v) {
            if (palette)
                lookup[v] = uint8_t(v);
            else if (f.photometric == PHOTOMETRIC_MINISWHITE)
                lookup[v] = uint8_t(255 - v * 17);
            else
                lookup[v] = uint8_t(v * 17);
        }
        if (palette)
            image.setColorTable(colorTableOf(tif, 4));
        unpackNibbles(packed.data(), packedStride, &image, lookup);
        break;
    }
    default:
        *result = DecodeResult::Corrupt;
        return {};
    }
    if (image.isNull() && *result == DecodeResult::Ok)
        *result = DecodeResult::TooLarge;
    if (*result != DecodeResult::Ok)
        return {};
    return image;
}

}  // namespace palvenor::imaging::tiff
