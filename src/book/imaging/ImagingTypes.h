#pragma once

#include <QString>

namespace palvenor::imaging {

// File types as the document window sees them.
enum FileType : int { FileTypeUnknown = 0, FileTypeTiff = 1, FileTypeAwd = 2, FileTypeBmp = 3 };

// Page types of a book page; also the codes of the seven "New" commands.
enum PageType : int {
    PageTypeUnknown = 0,
    PageTypeBlackWhite = 1,
    PageTypeGray4 = 2,
    PageTypeGray8 = 3,
    PageTypePalette4 = 4,
    PageTypePalette8 = 5,
    PageTypeRgb24 = 6,
    PageTypeBgr24 = 7,
};

// Status codes of the imaging layer. 0 is success; every other value is shown
// to the user in hexadecimal after " Fehlercode = ".
enum StatusCode : int {
    StatusOk = 0,
    StatusFileNotFound = 0x7d0,
    StatusNotAnImage = 0x7d1,
    StatusCorruptFile = 0x7d2,
    StatusUnsupportedFormat = 0x7d3,
    StatusNoPages = 0x7d4,
    StatusBadPageNumber = 0x7d5,
    StatusWriteFailed = 0x7d6,
    StatusConverterFailed = 0x7d7,
};

// Error number of a cancelled file dialog.
constexpr int ErrorDialogCancelled = 32755;

struct ImagingError {
    int code = StatusOk;
    QString description;  // German, shown to the user

    bool ok() const { return code == StatusOk; }
};

// A failure as the user is told of it: the description, " Fehlercode = "
// and the status code in upper-case hexadecimal.
inline QString failureText(const ImagingError& error) {
    return error.description + QStringLiteral(" Fehlercode = ") +
           QString::number(static_cast<unsigned>(error.code), 16).toUpper();
}

// What a page's directory says about it, without decoding its picture.
struct PageInfo {
    int width = 0;
    int height = 0;
    double xResolution = 0;  // dots per inch
    double yResolution = 0;
    int pageType = PageTypeUnknown;
    int compression = 1;      // TIFF compression tag value (1 = none)
    QString compressionInfo;  // readable name, e.g. "CCITT Gruppe 4"
};

}  // namespace palvenor::imaging
