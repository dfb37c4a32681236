#include "TiffEncode.h"

#include "TiffLibrary.h"

#include <QColor>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace palvenor::imaging::tiff {

namespace {

// The widest picture, and the tallest strip, WebP holds.
constexpr uint32_t kWebpLargestSide = 16383;

// Strips of about 64 KiB.
uint32_t rowsPerStrip(uint64_t rowBytes, uint32_t height)
{
    const uint64_t rows = std::max<uint64_t>(1, 65536 / std::max<uint64_t>(1, rowBytes));
    return uint32_t(std::min<uint64_t>(rows, height));
}

bool writeStrips(TIFF* tif, const std::vector<uint8_t>& samples, uint64_t rowBytes, uint32_t height,
                 uint32_t rows)
{
    uint32_t strip = 0;
    for (uint32_t y = 0; y < height; y += rows, ++strip) {
        const uint32_t n = std::min(rows, height - y);
        auto* data = const_cast<uint8_t*>(samples.data() + y * rowBytes);
        if (TIFFWriteEncodedStrip(tif, strip, data, tmsize_t(n * rowBytes)) < 0)
            return false;
    }
    return true;
}

// Writes packed samples in strips of about 64 KiB. JPEG colour pages are
// stored as YCbCr, as JPEG compresses them best.
bool writeSampleStrips(TIFF* tif, const std::vector<uint8_t>& samples, uint64_t rowBytes, uint32_t height,
                       int bitsPerSample, int samplesPerPixel, int photometric, int compression)
{
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    if (compression == COMPRESSION_WEBP)
        TIFFSetField(tif, TIFFTAG_WEBP_LOSSLESS, 1);  // a changed page loses nothing more than its change
    if (compression == COMPRESSION_JPEG && photometric == PHOTOMETRIC_RGB) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    } else {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    }
    uint32_t rows = rowsPerStrip(rowBytes, height);
    if (compression == COMPRESSION_JPEG)
        rows = std::min(height, (rows + 15) / 16 * 16);  // whole JPEG blocks per strip
    if (compression == COMPRESSION_WEBP)
        rows = std::min(rows, kWebpLargestSide);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
    return writeStrips(tif, samples, rowBytes, height, rows);
}

// The picture's rows packed without padding, one byte per sample or, for
// bits == 4, two samples per byte.
std::vector<uint8_t> packedRows(const QImage& image, int bits, uint64_t* rowBytes,
                                const std::function<uint8_t(uint8_t)>& map = {})
{
    const int w = image.width(), h = image.height();
    const int bytesPerPixel = bits >= 8 ? bits / 8 : 0;
    *rowBytes = bits >= 8 ? uint64_t(w) * bytesPerPixel : (uint64_t(w) * bits + 7) / 8;
    std::vector<uint8_t> out(size_t(*rowBytes * h));
    for (int y = 0; y < h; ++y) {
        const uint8_t* in = image.constScanLine(y);
        uint8_t* row = out.data() + y * *rowBytes;
        if (bits >= 8) {
            std::memcpy(row, in, size_t(*rowBytes));
            if (map)
                for (uint64_t x = 0; x < *rowBytes; ++x)
                    row[x] = map(row[x]);
        } else {  // 4 bits
            for (int x = 0; x < w; ++x) {
                const uint8_t v = map ? map(in[x]) : in[x];
                row[x / 2] |= (x & 1) ? (v & 0x0f) : uint8_t(v << 4);
            }
        }
    }
    return out;
}

}  // namespace

int encodableCompression(int pageType, int wanted)
{
    const bool blackAndWhite = pageType == PageTypeBlackWhite;
    const int fallback = blackAndWhite ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW;
    switch (wanted) {
    case COMPRESSION_NONE:
    case COMPRESSION_LZW:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PACKBITS:
        return wanted;
    case COMPRESSION_LZMA:
    case COMPRESSION_ZSTD:
        return TIFFIsCODECConfigured(uint16_t(wanted)) ? wanted : fallback;
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return blackAndWhite ? wanted : fallback;
    case COMPRESSION_WEBP:
        // Colour only: libtiff's WebP takes three or four samples a pixel.
        return (pageType == PageTypeRgb24 || pageType == PageTypeBgr24) && TIFFIsCODECConfigured(COMPRESSION_WEBP)
                   ? wanted
                   : fallback;
    case COMPRESSION_JPEG:
        // 8-bit grey and colour only: JPEG would blur a palette's indices.
        return (pageType == PageTypeGray8 || pageType == PageTypeRgb24 || pageType == PageTypeBgr24) &&
                       TIFFIsCODECConfigured(COMPRESSION_JPEG)
                   ? wanted
                   : fallback;
    default:
        return fallback;
    }
}

int pageTypeForPicture(const QImage& picture)
{
    switch (picture.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return PageTypeBlackWhite;
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
    case QImage::Format_Alpha8:
        return PageTypeGray8;
    case QImage::Format_Indexed8:
        return picture.colorCount() <= 16 ? PageTypePalette4 : PageTypePalette8;
    default:
        return PageTypeRgb24;
    }
}

bool encodePage(const QImage& picture, int pageType, double xDpi, double yDpi, int compression, QByteArray* tiff,
                QString* reason)
{
    if (picture.isNull()) {
        *reason = QStringLiteral("leeres Bild");
        return false;
    }
    TiffMessages messages;
    MemoryFile memory;
    TiffHandle tif = openForWriting(&memory, &messages);
    if (!tif) {
        *reason = messages.lastError;
        return false;
    }
    const auto w = uint32_t(picture.width()), h = uint32_t(picture.height());
    TIFF* t = tif.get();
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    if (xDpi > 0) {
        TIFFSetField(t, TIFFTAG_XRESOLUTION, float(xDpi));
        TIFFSetField(t, TIFFTAG_YRESOLUTION, float(yDpi > 0 ? yDpi : xDpi));
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    TIFFSetField(t, TIFFTAG_SOFTWARE, "Palvenor");

    if (pageType == PageTypePalette4 && picture.format() == QImage::Format_Indexed8 && picture.colorCount() > 16)
        pageType = PageTypePalette8;

    compression = encodableCompression(pageType, compression);
    if (compression == COMPRESSION_WEBP && w > kWebpLargestSide)
        compression = COMPRESSION_LZW;
    bool ok = false;
    uint64_t rowBytes = 0;
    switch (pageType) {
    case PageTypeBlackWhite: {
        // A grey or colour picture is reduced by a threshold, which keeps
        // print sharp where dithering would scatter dots.
        const QImage mono = picture.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither);
        const QList<QRgb> table = mono.colorTable();
        // Stored with 1 = black; flip the bits if the picture has black at 0.
        const bool oneIsBlack = table.size() >= 2 && qGray(table[1]) < qGray(table[0]);
        rowBytes = (uint64_t(w) + 7) / 8;
        std::vector<uint8_t> bits(size_t(rowBytes * h));
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* in = mono.constScanLine(int(y));
            uint8_t* out = bits.data() + y * rowBytes;
            if (oneIsBlack)
                std::memcpy(out, in, size_t(rowBytes));
            else
                for (uint64_t x = 0; x < rowBytes; ++x)
                    out[x] = uint8_t(~in[x]);
        }
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
        TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
        ok = writeStrips(t, bits, rowBytes, h, h);
        break;
    }
    case PageTypeGray4:
    case PageTypeGray8: {
        const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
        const int bits = pageType == PageTypeGray4 ? 4 : 8;
        const std::vector<uint8_t> samples =
            bits == 4 ? packedRows(grey, 4, &rowBytes, [](uint8_t v) { return uint8_t((v * 15 + 127) / 255); })
                      : packedRows(grey, 8, &rowBytes);
        ok = writeSampleStrips(t, samples, rowBytes, h, bits, 1, PHOTOMETRIC_MINISBLACK, compression);
        break;
    }
    case PageTypePalette4:
    case PageTypePalette8: {
        const int bits = pageType == PageTypePalette4 ? 4 : 8;
        const QImage indexed = picture.format() == QImage::Format_Indexed8
                                   ? picture
                                   : picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        const QList<QRgb> table = indexed.colorTable();
        const int entries = 1 << bits;
        std::vector<uint16_t> red(static_cast<size_t>(entries)), green(red.size()), blue(red.size());
        for (int i = 0; i < entries && i < table.size(); ++i) {
            red[size_t(i)] = uint16_t(qRed(table[i]) * 257);
            green[size_t(i)] = uint16_t(qGreen(table[i]) * 257);
            blue[size_t(i)] = uint16_t(qBlue(table[i]) * 257);
        }
        const std::vector<uint8_t> samples = packedRows(indexed, bits, &rowBytes);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);  // libtiff sizes the colour map by it
        TIFFSetField(t, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
        ok = writeSampleStrips(t, samples, rowBytes, h, bits, 1, PHOTOMETRIC_PALETTE, compression);
        break;
    }
    default: {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
        const std::vector<uint8_t> samples = packedRows(rgb, 24, &rowBytes);
        ok = writeSampleStrips(t, samples, rowBytes, h, 8, 3, PHOTOMETRIC_RGB, compression);
        break;
    }
    }
    ok = ok && TIFFWriteDirectory(t);
    tif.reset();
    if (!ok) {
        *reason = messages.lastError.isEmpty() ? QStringLiteral("Kodierung fehlgeschlagen") : messages.lastError;
        return false;
    }
    *tiff = std::move(memory.data);
    return true;
}

}  // namespace palvenor::imaging::tiff
