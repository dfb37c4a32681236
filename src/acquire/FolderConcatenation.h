#pragma once

#include "ImagingTypes.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>

struct tiff;

namespace palvenor {
class Picbuf;
}

namespace palvenor::acquire {

// The file names in folder that match "*" + fileType, as a directory listing
// by wildcard finds them (the type's case does not matter); folder ends in a
// separator.
QStringList matchingFiles(const QString& folder, const QString& fileType);

// Loads pictureFile into the picture buffer and reduces it to black and
// white unless it is two-coloured already. False with *reason when the file
// cannot be decoded.
bool loadBlackAndWhite(Picbuf& picture, const QString& pictureFile, QString* reason);

// Pages added to a book in one pass. Each picture is reduced to black and
// white and appended as a CCITT G4 page to one scratch file in a private
// folder as it arrives; finish() hands the book's own pages followed by the
// gathered ones to the book writer once, which adds them after the book's
// end and then switches the book to them in one step (or writes a new file
// that takes the book's place). Until then the book is untouched, so a run
// that is given up or fails leaves it as it was.
class BookAssembly {
public:
    explicit BookAssembly(QString book);
    ~BookAssembly();
    BookAssembly(const BookAssembly&) = delete;
    BookAssembly& operator=(const BookAssembly&) = delete;

    // Takes the picture in pictureFile as the next page; *page receives it
    // as it goes into the book. False with *reason when the file cannot be
    // decoded or the page not be stored.
    bool add(const QString& pictureFile, QImage* page, QString* reason);
    int pageCount() const { return pageCount_; }
    imaging::ImagingError finish();

private:
    bool append(const QImage& page);

    QString book_;
    QTemporaryDir folder_;
    QString scratch_;
    ::tiff* pages_ = nullptr;  // the scratch file, open for writing
    int pageCount_ = 0;
};

}  // namespace palvenor::acquire
