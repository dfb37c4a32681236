#pragma once

// Leptonica pictures owned the C++ way, and the way in from a QImage.

#include <QImage>

#include <memory>

struct Pix;

namespace palvenor::ocr {

struct PixDeleter {
    void operator()(Pix* pix) const;
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

// The picture as 8-bit grey; transparent parts count as white paper.
PixPtr toGreyPix(const QImage& picture);

// A picture of black and white alone (one bit a pixel, its two colours
// black and white) as a picture of one bit a pixel, ink set; nullptr for
// any other picture.
PixPtr toInkPix(const QImage& picture);

}  // namespace palvenor::ocr
