// The href= link parser: a directory page as a web server sends it, read for
// the links of every image type the acquisition accepts, each link turned
// into the name it would be saved under.

#include "WebDirectory.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString page = QString::fromUtf8(bytes);
    for (const char* type : {".jpg", ".tif", ".JPG", "", ".htm"}) {
        const QString fileType = QString::fromLatin1(type);
        for (const QString& link : palvenor::acquire::linksOfType(page, fileType))
            palvenor::acquire::localName(link);
        palvenor::acquire::isErrorPage(bytes, fileType);
    }
    return 0;
}
