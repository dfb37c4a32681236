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

}  // namespace palvenor::ocr
