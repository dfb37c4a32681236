// The page reader of the imaging layer: a file of arbitrary bytes is opened
// as a book (TIFF or BMP), and every page is described and decoded.

#include "ImageFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

using palvenor::imaging::ImageFile;
using palvenor::imaging::ImagingError;

namespace {

QString scratchFile()
{
    return QStringLiteral("/tmp/palvenor-fuzz-%1.tif").arg(::getpid());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = scratchFile();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    ImagingError error;
    const auto book = ImageFile::open(path, &error);
    if (!book)
        return 0;
    for (int page = 1; page <= book->pageCount() && page <= 8; ++page) {
        book->pageInfo(page);
        book->annotationData(page);
        book->readPage(page, &error);
    }
    return 0;
}
