#pragma once

// Cleans the clipboard picture up for the recogniser as the processing
// options ask: inverting; on black-and-white pages removing specks and
// mending broken strokes; turning upright, straightening and removing
// ruling lines. Grey pages stay grey: shading is left to the recogniser's
// own thresholding.

#include "LeptonicaPix.h"
#include "OcrRecords.h"
#include "PageGeometry.h"

#include <QImage>

#include <functional>

namespace palvenor::ocr {

struct PreparedPage {
    PixPtr pix;             // what the recogniser reads
    PageGeometry geometry;  // maps its boxes back onto the picture
    bool unevenPaper = false;  // a grey page whose paper is far brighter in some places than in others
};

// How many clockwise quarter turns make the page upright (0 when unsure).
using UprightFinder = std::function<int(Pix* page, int dotsPerInch)>;

// The pix is null when the picture cannot be converted.
PreparedPage preparePage(const QImage& picture, const ProcessOptions& options, int dotsPerInch,
                         const UprightFinder& findUpright);

}  // namespace palvenor::ocr
