#pragma once

#include <QImage>

namespace palvenor::imaging {

// A page shrunk to size for the screen or a thumbnail. Black-and-white pages
// come back as grey, each screen pixel the share of paper among the page
// pixels it covers, computed from the packed bits; other pages are scaled
// smoothly in their own format. A size larger than the page enlarges it
// smoothly, black-and-white pages as grey.
QImage shrinkPage(const QImage& page, QSize size);

}  // namespace palvenor::imaging
