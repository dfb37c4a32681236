#include "oleImgAdmin.h"

#include "ImageFile.h"
#include "PageAdmin.h"

#include <QImageReader>

namespace palvenor::imaging {

QString bookFileFilter() {
    return QStringLiteral("Bilddateien (*.tif *.tiff *.TIF *.bmp *.BMP *.awd *.AWD);;"
                          "TIFF-Dateien (*.tif *.tiff *.TIF);;Bitmaps (*.bmp *.BMP);;"
                          "Faxdateien (*.awd *.AWD);;Alle Dateien (*)");
}

QString pictureFileFilter() {
    return QStringLiteral("Bilder (*.png *.jpg *.jpeg *.gif *.bmp *.tif *.tiff *.PNG *.JPG *.JPEG *.GIF *.BMP *.TIF);;"
                          "Alle Dateien (*)");
}

void oleImgAdmin::setImage(const QString& path) {
    image_ = path;
    ImagingError error;
    if (OpenFor == PictureFile) {
        status_ = QImageReader(path).canRead()
                      ? ImagingError{}
                      : ImagingError{StatusNotAnImage, QStringLiteral("Die Datei ist kein lesbares Bild: ") + path};
        return;
    }
    if (path.endsWith(QStringLiteral(".awd"), Qt::CaseInsensitive)) {
        status_ = {};  // a fax file is read through its converted copy
        return;
    }
    ImageFile::open(path, &error);
    status_ = error;
}

int oleImgAdmin::ShowFileDialog(int mode, Prompter& prompter, const QString& folder) {
    const QString filter = !Filter.isEmpty() ? Filter : OpenFor == PictureFile ? pictureFileFilter() : bookFileFilter();
    std::optional<QString> chosen;
    if (mode == OpenDialog) {
        chosen = prompter.openFileName(QStringLiteral("Öffnen"), folder, filter);
    } else {
        int index = 0;
        chosen = prompter.saveFileName(QStringLiteral("Speichern unter"), folder, filter, &index);
        FilterIndex = index;
    }
    if (!chosen) return ErrorDialogCancelled;
    if (mode == OpenDialog)
        setImage(*chosen);
    else
        image_ = *chosen;
    return 0;
}

ImagingError oleImgAdmin::remember(ImagingError result) {
    status_ = result;
    return result;
}

namespace {

PageCompression compressionOf(int compressionType) {
    return compressionType == oleImgAdmin::BlackAndWhiteG4 ? PageCompression::BlackAndWhiteG4
                                                           : PageCompression::Own;
}

}  // namespace

ImagingError oleImgAdmin::Append(const QString& source, int sourcePage, int count, int compressionType, int) {
    return remember(appendPages(image_, source, sourcePage, count, compressionOf(compressionType)));
}

ImagingError oleImgAdmin::Insert(const QString& source, int sourcePage, int count, int position,
                                 int compressionType, int) {
    return remember(insertPages(image_, position, source, sourcePage, count, compressionOf(compressionType)));
}

ImagingError oleImgAdmin::Replace(const QString& source, int sourcePage, int count, int position,
                                  int compressionType, int) {
    return remember(replacePages(image_, position, source, sourcePage, count, compressionOf(compressionType)));
}

ImagingError oleImgAdmin::DeletePages(int start, int count) {
    return remember(deletePages(image_, start, count));
}

ImagingError oleImgAdmin::MovePage(int from, int to) {
    return remember(movePage(image_, from, to));
}

}  // namespace palvenor::imaging
