#pragma once

#include "ImagingTypes.h"

#include <QImage>
#include <QString>

#include <optional>
#include <vector>

namespace palvenor::imaging {

// How pages taken from another file are stored: as they are (raw strips, own compression), or
// reduced to black and white and written as CCITT G4 (pages that already are black-and-white G4 are copied as they are).
enum class PageCompression { Own, BlackAndWhiteG4 };

// One page of the output book: either page `page` (1-based) of an existing
// file, or a picture to be encoded (black-and-white as CCITT G4, others LZW,
// unless pictureCompression names another that libtiff can write for it).
// A picture with a file and page is a new picture of that page of a TIFF,
// and keeps the entries that describe the page (resolution, description,
// XMP, private entries and the like); turned by a quarter, the page's
// horizontal and vertical resolution trade places.
struct PageSource {
    QString file;
    int page = 1;
    QImage picture;
    double resolution = 300;  // horizontal dpi for an encoded picture
    // The page's annotation entry; empty for none. Unset: none for a
    // picture, the page's own for a page of a file.
    std::optional<QByteArray> annotations = {};
    PageCompression compression = PageCompression::Own;
    int pictureCompression = 0;  // TIFF compression code for the picture; 0 for the default
    double yResolution = 0;      // vertical dpi for an encoded picture; 0 for the same as horizontal
    bool quarterTurned = false;  // the picture is its page turned by 90°

    bool operator==(const PageSource&) const = default;
};

// Page `page` of file, taken as it is.
inline PageSource pageOfFile(const QString& file, int page)
{
    PageSource source;
    source.file = file;
    source.page = page;
    return source;
}

// Writes a multi-page TIFF from the given pages. A book that is the target
// and gives pages of its own is changed where it lies: the new pages and
// the directories that cannot stay where they lie go after its end, and
// one link, switched to the new chain once they are on disk, commits the
// change.
// It is written anew instead (as below) when it changed on disk since it
// was opened, would outgrow a classic TIFF, or would then hold more space
// that no page uses than pages.
// TIFF source pages are copied
// as raw strips or tiles with all their tags (their annotations too), never decoded. BMP and other
// picture sources are decoded and encoded. The result goes to a temporary
// file in the target's folder and replaces target by rename only when it is
// complete; on failure target is untouched.
ImagingError writeBook(const QString& target, const std::vector<PageSource>& pages);

// The failure of writing target, with what keeps it from being written as
// the user can see it (a folder missing or read-only, a read-only file), or
// else the system's reason.
ImagingError writeFailure(const QString& target, const QString& systemReason);

// Page sequence changes on a file on disk, all through writeBook.
// Source pages are sourcePage..sourcePage+count-1 of source (a TIFF or a BMP);
// a count of -1 means every page from sourcePage to the end. Positions are
// 1-based; a position or page range outside the book gives
// StatusBadPageNumber and leaves the file as it was.
//
// appendPages: the source pages go after the last page; a target that does
//   not exist yet becomes a new book of just those pages.
// insertPages: the source pages go before page `position`; position
//   pageCount + 1 appends.
// replacePages: pages position..position+n-1 (n = number of source pages) are
//   overwritten by the source pages; where the book has fewer pages left than
//   the source brings, it grows by the rest, so replacing at the last page
//   with three pages gives a book two pages longer.
// deletePages: removes pages start..start+count-1; removing every page is
//   refused, a book needs one page at least.
// movePage: page `from` becomes page `to` of the result, its directory and
//   data unchanged; a `to` beyond the page count puts it last, and moving
//   within a one-page book changes nothing.
// Pages of the book that are not taken out keep every entry and their strips
// as they are.
ImagingError appendPages(const QString& target, const QString& source, int sourcePage, int count,
                         PageCompression = PageCompression::Own);
ImagingError insertPages(const QString& target, int position, const QString& source, int sourcePage, int count,
                         PageCompression = PageCompression::Own);
ImagingError replacePages(const QString& target, int position, const QString& source, int sourcePage, int count,
                          PageCompression = PageCompression::Own);
ImagingError deletePages(const QString& target, int start, int count);
ImagingError movePage(const QString& target, int from, int to);

// For tests only: proving that a failed write leaves the book alone.
namespace fault_injection {
// Makes the next writeBook stop with StatusWriteFailed once `pages` pages are
// in the temporary file, as if the disk had filled up. The fault fires once;
// a negative number disarms it.
void failAfterPages(int pages);
// Makes the next change of a book in place stop as if the program died at
// the step: before or after the link is switched to the new chain.
enum class CommitStep { None, BeforeSwitch, AfterSwitch };
void crashAt(CommitStep step);
}  // namespace fault_injection

}  // namespace palvenor::imaging
