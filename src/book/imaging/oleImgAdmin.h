#pragma once

#include "ImagingTypes.h"
#include "Prompter.h"

#include <QString>

namespace palvenor::imaging {

// File administration: names a file, tells whether it can be read, shows
// the open and save dialogs, and changes the page sequence of a file on disk.
class oleImgAdmin {
public:
    enum DialogMode { OpenDialog = 0, SaveDialog = 1 };

    QString Image() const { return image_; }
    // Names a file and checks that it is a readable image; StatusCode tells.
    void setImage(const QString& path);

    QString Filter;        // Qt filter text; "" offers the book file types
    int FilterIndex = 0;   // 1-based index of the filter chosen in the last dialog
    int DialogFlags = 0;
    // What the open dialog looks for: a book, checked as one when it is
    // chosen, or a picture for an annotation, checked as a picture.
    enum OpenKind { BookFile = 0, PictureFile = 1 };
    int OpenFor = BookFile;

    // Returns 0, or ErrorDialogCancelled when the user cancels. On success the
    // chosen name is in Image (and checked, for an open dialog).
    int ShowFileDialog(int mode, Prompter& prompter, const QString& folder = QString());

    // compressionType 5 stores the pages taken over as black-and-white G4
    // pages; 0 keeps their own compression. compressionInfo is not used.
    enum CompressionType { OwnCompression = 0, BlackAndWhiteG4 = 5 };
    ImagingError Append(const QString& source, int sourcePage, int count, int compressionType = 0,
                        int compressionInfo = 0);
    ImagingError Insert(const QString& source, int sourcePage, int count, int position, int compressionType = 0,
                        int compressionInfo = 0);
    ImagingError Replace(const QString& source, int sourcePage, int count, int position, int compressionType = 0,
                         int compressionInfo = 0);
    ImagingError DeletePages(int start, int count);
    ImagingError MovePage(int from, int to);

    int StatusCode() const { return status_.code; }
    const ImagingError& lastError() const { return status_; }

private:
    ImagingError remember(ImagingError result);

    QString image_;
    ImagingError status_;
};

// The filter the open dialog offers when none is set.
QString bookFileFilter();
// The filter of the open dialog for pictures.
QString pictureFileFilter();

}  // namespace palvenor::imaging
