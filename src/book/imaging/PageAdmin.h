#pragma once

#include "ImagingTypes.h"

#include <QImage>
#include <QString>

#include <vector>

namespace palvenor::imaging {

// One page of the output book: either page `page` (1-based) of an existing
// file, or a picture to be encoded (black-and-white as CCITT G4, others LZW).
struct PageSource {
    QString file;
    int page = 1;
    QImage picture;  // used when file is empty
    double resolution = 300;  // dpi for an encoded picture
};

// Writes a multi-page TIFF from the given pages. TIFF source pages are copied
// as raw strips or tiles with all their tags, never decoded. BMP and other
// picture sources are decoded and encoded. The result goes to a temporary
// file in the target's folder and replaces target by rename only when it is
// complete; on failure target is untouched.
ImagingError writeBook(const QString& target, const std::vector<PageSource>& pages);

// Page sequence changes on a file on disk, all through writeBook.
// Source pages are sourcePage..sourcePage+count-1 of source; a count of -1
// means every page from sourcePage to the end.
ImagingError appendPages(const QString& target, const QString& source, int sourcePage, int count);
ImagingError insertPages(const QString& target, int position, const QString& source, int sourcePage,
                         int count);
ImagingError replacePages(const QString& target, int position, const QString& source, int sourcePage,
                          int count);
ImagingError deletePages(const QString& target, int start, int count);

}  // namespace palvenor::imaging
