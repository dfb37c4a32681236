#pragma once

#include "ImagingTypes.h"

#include <QImage>
#include <QString>

#include <memory>

namespace palvenor::imaging {

// A book file opened for reading: multi-page TIFF or a one-page BMP.
// Opening reads the directory chain only; a page's picture is decoded when
// it is asked for, so showing page 1 of a long book touches nothing else.
class ImageFile {
public:
    virtual ~ImageFile() = default;

    // Opens path; returns nullptr and fills *error on failure (missing file,
    // empty or truncated file, not an image, no pages, unsupported samples).
    // A file whose directory chain loops back opens with the pages before
    // the loop; *error then has code StatusOk and says after which page the
    // file is damaged.
    static std::unique_ptr<ImageFile> open(const QString& path, ImagingError* error);

    virtual int fileType() const = 0;
    virtual int pageCount() const = 0;
    // page is 1-based; an out-of-range page gives a default PageInfo.
    virtual PageInfo pageInfo(int page) const = 0;
    // Decodes one page. 1-bit pages come back as QImage::Format_Mono with
    // white as colour index 0 or 1 as the file says, grey pages as Grayscale8,
    // palette pages as Indexed8, colour pages as RGB32. A null image and
    // *error on failure.
    virtual QImage readPage(int page, ImagingError* error) const = 0;
    // The bytes of the page's annotation entry (AnnotationTag.h); empty when
    // the page has none.
    virtual QByteArray annotationData(int page) const = 0;
};

}  // namespace palvenor::imaging
