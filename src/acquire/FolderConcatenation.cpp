#include "FolderConcatenation.h"

#include "ImageFile.h"
#include "PageAdmin.h"
#include "Picbuf.h"
#include "TiffEncode.h"

#include <QDir>
#include <QSaveFile>

#include <tiffio.h>

#include <cmath>
#include <vector>

namespace palvenor::acquire {

namespace {

constexpr double kInchesPerMetre = 0.0254;
constexpr double kDefaultDpi = 300;

double dpiOf(int dotsPerMetre) {
    return dotsPerMetre > 0 ? std::round(dotsPerMetre * kInchesPerMetre) : kDefaultDpi;
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace

QStringList matchingFiles(const QString& folder, const QString& fileType) {
    return QDir(folder).entryList({QStringLiteral("*") + fileType}, QDir::Files | QDir::Hidden | QDir::System);
}

bool storeBlackAndWhitePage(const QString& pictureFile, const QString& stored, QImage* page, QString* reason) {
    Picbuf picture;
    picture.FileName = pictureFile;
    if (!picture.Load()) {
        *reason = QStringLiteral("kein lesbares Bild");
        return false;
    }
    if (picture.ImageKind() > 1) picture.ConvertToBlackAndWhite(false);
    const QImage& bw = picture.picture();
    QByteArray tiff;
    if (!imaging::tiff::encodePage(bw, imaging::PageTypeBlackWhite, dpiOf(bw.dotsPerMeterX()), dpiOf(bw.dotsPerMeterY()),
                                   COMPRESSION_CCITTFAX4, &tiff, reason))
        return false;
    if (!writeAll(stored, tiff)) {
        *reason = QStringLiteral("Seite kann nicht zwischengespeichert werden");
        return false;
    }
    *page = bw;
    return true;
}

bool BookAssembly::add(const QString& pictureFile, QImage* page, QString* reason) {
    const QString stored = folder_.filePath(QString::number(pages_.size() + 1) + QStringLiteral(".tif"));
    if (!storeBlackAndWhitePage(pictureFile, stored, page, reason)) return false;
    pages_.append(stored);
    return true;
}

imaging::ImagingError BookAssembly::finish() {
    imaging::ImagingError error;
    const std::unique_ptr<imaging::ImageFile> book = imaging::ImageFile::open(book_, &error);
    if (!book) return error;
    std::vector<imaging::PageSource> pages;
    const auto pageOf = [](const QString& file, int page) {
        imaging::PageSource source;
        source.file = file;
        source.page = page;
        return source;
    };
    for (int k = 1; k <= book->pageCount(); ++k) pages.push_back(pageOf(book_, k));
    for (const QString& stored : pages_) pages.push_back(pageOf(stored, 1));
    return imaging::writeBook(book_, pages);
}

}  // namespace palvenor::acquire
