#include "TiffBookWriter.h"

#include <QFile>

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// QImage keeps whole dots per metre; 300 dpi comes back as 299.9994. Scanners
// work in whole or hundredths of dots per inch, so round to that.
double dotsPerInch(int dotsPerMeter)
{
    return std::round(dotsPerMeter * 0.0254 * 100.0) / 100.0;
}

} // namespace

TiffBookWriter::TiffBookWriter(const QString& path)
    : m_tiff(TIFFOpen(QFile::encodeName(path).constData(), "w"))
{
}

TiffBookWriter::~TiffBookWriter()
{
    if (m_tiff)
        TIFFClose(m_tiff);
}

bool TiffBookWriter::writePage(const QImage& image, int pageIndex, int pageCount)
{
    if (!m_tiff || m_failed || image.isNull())
        return false;

    TIFFSetField(m_tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(m_tiff, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(pageIndex), static_cast<uint16_t>(pageCount));
    TIFFSetField(m_tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width()));
    TIFFSetField(m_tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height()));
    TIFFSetField(m_tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(m_tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(m_tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(m_tiff, TIFFTAG_XRESOLUTION, dotsPerInch(image.dotsPerMeterX()));
    TIFFSetField(m_tiff, TIFFTAG_YRESOLUTION, dotsPerInch(image.dotsPerMeterY()));
    TIFFSetField(m_tiff, TIFFTAG_SOFTWARE, "palvenor-samplebook");

    const bool written = image.format() == QImage::Format_Mono ? writeBilevel(image) : writeContone(image);
    if (!written || !TIFFWriteDirectory(m_tiff))
        m_failed = true;
    return !m_failed;
}

bool TiffBookWriter::writeBilevel(const QImage& image)
{
    TIFFSetField(m_tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(m_tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(image.height()));
    // Min-is-white stores black as 1; flip the bits if colour 1 is the light one.
    const bool invert = qGray(image.color(1)) > qGray(image.color(0));
    return writeRows(image, (image.width() + 7) / 8, invert);
}

bool TiffBookWriter::writeContone(const QImage& source)
{
    QImage image = source;
    if (image.format() == QImage::Format_Indexed8 && image.colorCount() > 256)
        image = image.convertToFormat(QImage::Format_RGB888);
    if (image.format() != QImage::Format_Grayscale8 && image.format() != QImage::Format_Indexed8
        && image.format() != QImage::Format_RGB888)
        image = image.convertToFormat(QImage::Format_RGB888);

    const bool rgb = image.format() == QImage::Format_RGB888;
    TIFFSetField(m_tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, rgb ? 3 : 1);
    TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);

    if (image.format() == QImage::Format_Grayscale8) {
        TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    } else if (image.format() == QImage::Format_Indexed8) {
        TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        std::vector<uint16_t> red(256, 0), green(256, 0), blue(256, 0);
        const QList<QRgb> colours = image.colorTable();
        for (qsizetype i = 0; i < colours.size(); ++i) {
            red[i] = static_cast<uint16_t>(qRed(colours[i]) * 257);
            green[i] = static_cast<uint16_t>(qGreen(colours[i]) * 257);
            blue[i] = static_cast<uint16_t>(qBlue(colours[i]) * 257);
        }
        TIFFSetField(m_tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    } else {
        TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    }

    const qsizetype rowBytes = static_cast<qsizetype>(image.width()) * (rgb ? 3 : 1);
    const auto rowsPerStrip = static_cast<uint32_t>(std::max<qsizetype>(1, 65536 / rowBytes));
    TIFFSetField(m_tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    return writeRows(image, rowBytes, false);
}

bool TiffBookWriter::writeRows(const QImage& image, qsizetype rowBytes, bool invert)
{
    std::vector<uchar> row(static_cast<std::size_t>(rowBytes));
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        if (invert)
            std::transform(line, line + rowBytes, row.begin(), [](uchar b) { return uchar(~b); });
        else
            std::copy_n(line, rowBytes, row.begin());
        if (TIFFWriteScanline(m_tiff, row.data(), static_cast<uint32_t>(y), 0) < 0)
            return false;
    }
    return true;
}

bool TiffBookWriter::finish()
{
    if (!m_tiff)
        return false;
    const bool flushed = TIFFFlush(m_tiff) == 1;
    TIFFClose(m_tiff);
    m_tiff = nullptr;
    return flushed && !m_failed;
}
