#pragma once

#include "ImagingTypes.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace palvenor::acquire {

// The file names in folder that match "*" + fileType, as a directory listing
// by wildcard finds them (the type's case does not matter); folder ends in a
// separator.
QStringList matchingFiles(const QString& folder, const QString& fileType);

// Decodes the picture in pictureFile, reduces it to black and white unless
// it is so already, and writes it to `stored` as a one-page CCITT G4 TIFF;
// *page receives the page. False with *reason when the file cannot be
// decoded or the page not be written.
bool storeBlackAndWhitePage(const QString& pictureFile, const QString& stored, QImage* page, QString* reason);

// Pages added to a book in one pass. Each picture is reduced to black and
// white and encoded as a CCITT G4 page in a private folder as it arrives;
// finish() writes the book's own pages followed by the gathered ones into a
// temporary file beside the book, which then takes the book's place. Until
// then the book is untouched, so a run that is given up or fails leaves it
// as it was.
class BookAssembly {
public:
    explicit BookAssembly(QString book) : book_(std::move(book)) {}

    // Takes the picture in pictureFile as the next page, as
    // storeBlackAndWhitePage does.
    bool add(const QString& pictureFile, QImage* page, QString* reason);
    int pageCount() const { return int(pages_.size()); }
    imaging::ImagingError finish();

private:
    QString book_;
    QTemporaryDir folder_;
    QStringList pages_;
};

}  // namespace palvenor::acquire
