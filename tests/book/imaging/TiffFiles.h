#pragma once

// Test books made and read back with libtiff itself, so that what the imaging
// code writes is judged by a reader other than its own, and sample books
// from the project's generator.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <tiffio.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace palvenor::imaging::test {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

inline Tiff openTiff(const QString& path, const char* mode = "r")
{
    return Tiff(TIFFOpen(QFile::encodeName(path).constData(), mode));
}

// ---------------------------------------------------------------------------
// Pattern pages: samples from a formula, so a decoded page can be checked
// pixel by pixel against the colour a viewer has to show.

struct PatternPage {
    uint32_t width = 70;  // rows of 1 and 4 bit pages end inside a byte
    uint32_t height = 45;
    uint16_t bits = 8;
    uint16_t samples = 1;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t compression = COMPRESSION_LZW;
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint32_t rowsPerStrip = 8;
    uint32_t tileSize = 0;  // 0: strips
    float xResolution = 300;
    float yResolution = 300;
    uint16_t resolutionUnit = RESUNIT_INCH;

    uint32_t levels() const { return 1u << bits; }

    // Diagonal ramps, shifted per channel; one-bit pages get stripes.
    uint32_t sample(uint32_t x, uint32_t y, uint16_t channel) const
    {
        const uint32_t ramp = x * 5 + y * 3 + channel * 70u;
        return bits == 1 ? (ramp / 8) % 2 : ramp % levels();
    }

    uint16_t colormap(uint32_t index, int channel) const
    {
        const uint32_t top = levels() - 1;
        const uint32_t red = index * 65535 / top;
        if (channel == 0)
            return uint16_t(red);
        if (channel == 1)
            return uint16_t(65535 - red);
        return uint16_t((index * 7 % levels()) * 65535 / top);
    }

    QRgb expected(uint32_t x, uint32_t y) const
    {
        const uint32_t v = sample(x, y, 0);
        const uint32_t top = levels() - 1;
        switch (photometric) {
        case PHOTOMETRIC_MINISWHITE:
            return qRgb(int((top - v) * 255 / top), int((top - v) * 255 / top), int((top - v) * 255 / top));
        case PHOTOMETRIC_MINISBLACK:
            return qRgb(int(v * 255 / top), int(v * 255 / top), int(v * 255 / top));
        case PHOTOMETRIC_PALETTE:
            return qRgb(colormap(v, 0) >> 8, colormap(v, 1) >> 8, colormap(v, 2) >> 8);
        default:
            return qRgb(int(sample(x, y, 0)), int(sample(x, y, 1)), int(sample(x, y, 2)));
        }
    }
};

// Pixels x0..x0+count-1 of row y, channels first..first+channels-1, packed
// most significant bit first; pixels right of the page are 0.
inline std::vector<uint8_t> packedPixels(const PatternPage& p, uint32_t y, uint32_t x0, uint32_t count,
                                         uint16_t first, uint16_t channels)
{
    std::vector<uint8_t> out((size_t(count) * channels * p.bits + 7) / 8, 0);
    size_t bit = 0;
    for (uint32_t x = x0; x < x0 + count; ++x) {
        for (uint16_t c = first; c < first + channels; ++c, bit += p.bits) {
            const uint32_t v = x < p.width && y < p.height ? p.sample(x, y, c) : 0;
            if (p.bits == 8)
                out[bit / 8] = uint8_t(v);
            else
                out[bit / 8] |= uint8_t(v << (8 - p.bits - bit % 8));
        }
    }
    return out;
}

inline void setPatternTags(TIFF* tif, const PatternPage& p, int index, int total)
{
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, uint16_t(index), uint16_t(total));
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, p.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, p.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, p.planar);
    if (p.compression == COMPRESSION_JPEG && p.photometric == PHOTOMETRIC_YCBCR)
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);  // libjpeg takes RGB rows
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, p.xResolution);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, p.yResolution);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, p.resolutionUnit);
    if (p.tileSize) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, p.tileSize);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, p.tileSize);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, p.rowsPerStrip);
    }
    if (p.photometric == PHOTOMETRIC_PALETTE) {
        std::vector<uint16_t> map[3];
        for (int c = 0; c < 3; ++c)
            for (uint32_t i = 0; i < p.levels(); ++i)
                map[c].push_back(p.colormap(i, c));
        TIFFSetField(tif, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
    }
}

inline bool writePatternRows(TIFF* tif, const PatternPage& p)
{
    const bool separate = p.planar == PLANARCONFIG_SEPARATE;
    for (uint16_t plane = 0; plane < (separate ? p.samples : 1); ++plane)
        for (uint32_t y = 0; y < p.height; ++y) {
            std::vector<uint8_t> row = separate ? packedPixels(p, y, 0, p.width, plane, 1)
                                                : packedPixels(p, y, 0, p.width, 0, p.samples);
            if (TIFFWriteScanline(tif, row.data(), y, plane) < 0)
                return false;
        }
    return true;
}

inline bool writePatternTiles(TIFF* tif, const PatternPage& p)
{
    const uint32_t t = p.tileSize;
    for (uint32_t y = 0; y < p.height; y += t)
        for (uint32_t x = 0; x < p.width; x += t) {
            std::vector<uint8_t> tile;
            for (uint32_t r = 0; r < t; ++r) {
                const std::vector<uint8_t> row = packedPixels(p, y + r, x, t, 0, p.samples);
                tile.insert(tile.end(), row.begin(), row.end());
            }
            if (TIFFWriteTile(tif, tile.data(), x, y, 0, 0) < 0)
                return false;
        }
    return true;
}

// Writes the pages as one book; mode "wb" writes big-endian.
inline bool writePatternBook(const QString& path, const std::vector<PatternPage>& pages, const char* mode = "w")
{
    Tiff tif = openTiff(path, mode);
    if (!tif)
        return false;
    for (size_t i = 0; i < pages.size(); ++i) {
        const PatternPage& p = pages[i];
        setPatternTags(tif.get(), p, int(i), int(pages.size()));
        const bool written = p.tileSize ? writePatternTiles(tif.get(), p) : writePatternRows(tif.get(), p);
        if (!written || !TIFFWriteDirectory(tif.get()))
            return false;
    }
    return true;
}

// "" if every pixel of image shows expected(x, y), else the first that does not.
inline std::string firstWrongPixel(const QImage& image, const std::function<QRgb(int, int)>& expected)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb got = image.pixel(x, y) | 0xff000000u;
            const QRgb want = expected(x, y) | 0xff000000u;
            if (got != want)
                return QStringLiteral("(%1,%2) is #%3, wants #%4")
                    .arg(x)
                    .arg(y)
                    .arg(got & 0xffffff, 6, 16, QLatin1Char('0'))
                    .arg(want & 0xffffff, 6, 16, QLatin1Char('0'))
                    .toStdString();
        }
    return {};
}

// ---------------------------------------------------------------------------
// Reading back with libtiff.

// Number of pages libtiff finds; -1 if it cannot open the file.
inline int directoryCount(const QString& path)
{
    Tiff tif = openTiff(path);
    return tif ? int(TIFFNumberOfDirectories(tif.get())) : -1;
}

// The undecoded strips (or tiles) of every page.
using RawPage = std::vector<QByteArray>;

inline RawPage rawPageOf(TIFF* tif)
{
    const bool tiled = TIFFIsTiled(tif);
    const uint32_t pieces = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    uint64_t* counts = nullptr;
    TIFFGetField(tif, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts);
    RawPage page;
    for (uint32_t k = 0; k < pieces && counts; ++k) {
        QByteArray piece(qsizetype(counts[k]), '\0');
        const tmsize_t got = tiled ? TIFFReadRawTile(tif, k, piece.data(), piece.size())
                                   : TIFFReadRawStrip(tif, k, piece.data(), piece.size());
        piece.resize(got < 0 ? 0 : qsizetype(got));
        page.push_back(piece);
    }
    return page;
}

inline std::vector<RawPage> rawPages(const QString& path)
{
    std::vector<RawPage> pages;
    Tiff tif = openTiff(path);
    if (!tif)
        return pages;
    do
        pages.push_back(rawPageOf(tif.get()));
    while (TIFFReadDirectory(tif.get()));
    return pages;
}

// The tags of the current page that make its picture what it is.
inline std::string pictureTags(TIFF* tif)
{
    uint32_t width = 0, height = 0, rows = 0, tileWidth = 0;
    uint16_t bits = 0, samples = 0, photometric = 0, compression = 0, planar = 0, unit = 0, fill = 0;
    float x = 0, y = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fill);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y);
    QString text = QStringLiteral("%1x%2 bits %3x%4 photometric %5 compression %6 planar %7 rows %8 tile %9 "
                                  "fill %10 res %11/%12 unit %13")
                       .arg(width)
                       .arg(height)
                       .arg(bits)
                       .arg(samples)
                       .arg(photometric)
                       .arg(compression)
                       .arg(planar)
                       .arg(rows)
                       .arg(tileWidth)
                       .arg(fill)
                       .arg(double(x))
                       .arg(double(y))
                       .arg(unit);
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
        for (int i = 0; i < (1 << bits); ++i)
            text += QStringLiteral(" %1.%2.%3").arg(red[i]).arg(green[i]).arg(blue[i]);
    return text.toStdString();
}

inline std::vector<std::string> pictureTagsOfPages(const QString& path)
{
    std::vector<std::string> pages;
    Tiff tif = openTiff(path);
    if (!tif)
        return pages;
    do
        pages.push_back(pictureTags(tif.get()));
    while (TIFFReadDirectory(tif.get()));
    return pages;
}

// The compression of every page.
inline std::vector<uint16_t> compressionsOfPages(const QString& path)
{
    std::vector<uint16_t> found;
    Tiff tif = openTiff(path);
    if (!tif)
        return found;
    do {
        uint16_t compression = 0;
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
        found.push_back(compression);
    } while (TIFFReadDirectory(tif.get()));
    return found;
}

// "index/total" of every page's page number tag, "-" for a page without
// one, separated by spaces.
inline std::string pageNumberTags(const QString& path)
{
    std::string text;
    Tiff tif = openTiff(path);
    if (!tif)
        return text;
    do {
        uint16_t index = 0, total = 0;
        const bool numbered = TIFFGetField(tif.get(), TIFFTAG_PAGENUMBER, &index, &total);
        text += (text.empty() ? "" : " ") +
                (numbered ? std::to_string(index) + "/" + std::to_string(total) : std::string("-"));
    } while (TIFFReadDirectory(tif.get()));
    return text;
}

// A page as libtiff's own RGBA reader decodes it.
inline QImage libtiffPicture(const QString& path, int page)
{
    Tiff tif = openTiff(path);
    if (!tif || !TIFFSetDirectory(tif.get(), tdir_t(page - 1)))
        return {};
    uint32_t width = 0, height = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    QImage image(int(width), int(height), QImage::Format_ARGB32);
    std::vector<uint32_t> raster(size_t(width) * height);
    if (!TIFFReadRGBAImageOriented(tif.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return {};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t v = raster[size_t(y) * width + x];
            image.setPixel(int(x), int(y), qRgb(int(TIFFGetR(v)), int(TIFFGetG(v)), int(TIFFGetB(v))));
        }
    return image;
}

// ---------------------------------------------------------------------------
// Files.

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The bytes of a little-endian book whose last directory links back to the
// first, as if it had been overwritten.
inline QByteArray withChainLoop(const QString& book)
{
    QByteArray bytes = fileBytes(book);
    Tiff tif = test::openTiff(book);
    const uint64_t first = TIFFCurrentDirOffset(tif.get());
    uint64_t last = first;
    do
        last = TIFFCurrentDirOffset(tif.get());
    while (TIFFReadDirectory(tif.get()));
    const auto entries = uint16_t(uint8_t(bytes[qsizetype(last)]) | uint8_t(bytes[qsizetype(last) + 1]) << 8);
    const qsizetype next = qsizetype(last) + 2 + 12 * entries;
    for (int i = 0; i < 4; ++i)
        bytes[next + i] = char(first >> (8 * i));
    return bytes;
}

// A book from the sample book generator; extra arguments such as "--bmp"
// follow the page count. Empty if the generator failed.
inline QString sampleBook(const QString& path, int pages, const QString& kinds, int seed,
                          const QStringList& extra = {})
{
    QProcess generator;
    generator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    generator.start(QStringLiteral(PALVENOR_SAMPLEBOOK),
                    QStringList{path, QStringLiteral("--pages"), QString::number(pages), QStringLiteral("--kinds"),
                                kinds, QStringLiteral("--seed"), QString::number(seed)} +
                        extra);
    if (!generator.waitForFinished(120000) || generator.exitStatus() != QProcess::NormalExit ||
        generator.exitCode() != 0)
        return {};
    return path;
}

}  // namespace palvenor::imaging::test
