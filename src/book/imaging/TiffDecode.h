#pragma once

// What kind of page libtiff's current directory holds, and decoding it into a
// QImage of the format the document window expects for that page type.

#include "ImagingTypes.h"

#include <QImage>
#include <QString>

#include <tiffio.h>

namespace palvenor::imaging::tiff {

struct PageFormat {
    int pageType = PageTypeUnknown;
    QString unsupported;  // why the page cannot be shown; empty if it can
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 1;
    uint16_t samplesPerPixel = 1;
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint16_t compression = COMPRESSION_NONE;
    bool tiled = false;
    // Shown through libtiff's RGBA reader, reduced to 8 bits per channel:
    // pages our own decoders do not take (16 bits, alpha, CMYK, LogLuv, ...).
    bool throughRgba = false;

    bool supported() const { return unsupported.isEmpty(); }
};

// Largest picture we decode, and largest single buffer libtiff may allocate
// for us: 1 GiB of samples. A page of a book at 600 dpi in colour is about
// 100 MiB.
constexpr uint64_t MaxDecodedBytes = uint64_t(1) << 30;

PageFormat describeCurrentPage(TIFF* tif);
PageInfo pageInfoOf(TIFF* tif, const PageFormat& format);

enum class DecodeResult { Ok, Corrupt, TooLarge };

// Decodes the current directory, which must be supported(): 1-bit pages as
// Format_Mono, grey as Grayscale8, palette as Indexed8, colour as RGB32.
// Pages read through the RGBA reader come as Grayscale8 or RGB32.
QImage decodeCurrentPage(TIFF* tif, const PageFormat& format, DecodeResult* result);

}  // namespace palvenor::imaging::tiff
