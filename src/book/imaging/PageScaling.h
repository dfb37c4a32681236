#pragma once

#include <QImage>

#include <array>

namespace palvenor::imaging {

// A page shrunk to size for the screen or a thumbnail. Black-and-white pages
// come back as grey, each screen pixel the share of paper among the page
// pixels it covers, computed from the packed bits; other pages are scaled
// smoothly in their own format. A size larger than the page enlarges it
// smoothly, black-and-white pages as grey.
QImage shrinkPage(const QImage& page, QSize size);

// A black-and-white page shrunk as shrinkPage does, no larger than the page,
// straight into 32-bit screen pixels: each the colour shade gives for its
// share of paper (0 all ink, 255 all paper).
QImage shrinkBlackAndWhiteToScreen(const QImage& page, QSize size, const std::array<QRgb, 256>& shade);

}  // namespace palvenor::imaging
