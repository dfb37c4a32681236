// The request/path splitter: an open request as it comes from the command
// line or from a second program start.

#include "OpenRequest.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString request = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    palvenor::OpenRequest::parse(request);
    palvenor::absoluteRequest(request, QStringLiteral("/tmp/"));
    palvenor::folderOf(request);
    palvenor::fileNameOf(request);
    return 0;
}
