#pragma once

// Glue to libtiff: handles opened over a file read at offsets or over a
// buffer being written, with libtiff's messages collected per handle instead
// of going to stderr.

#include "TiffStructure.h"

#include <QByteArray>
#include <QString>

#include <tiffio.h>

#include <memory>

namespace palvenor::imaging::tiff {

// Collects what libtiff reports about one handle. Must outlive the handle.
class TiffMessages {
public:
    QString lastError;
    QString lastWarning;

    void clear()
    {
        lastError.clear();
        lastWarning.clear();
    }

    static int onError(TIFF*, void* self, const char* module, const char* fmt, va_list ap);
    static int onWarning(TIFF*, void* self, const char* module, const char* fmt, va_list ap);
};

struct TiffCloser {
    void operator()(TIFF* tif) const
    {
        if (tif)
            TIFFClose(tif);
    }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Read position of a handle opened over FileBytes.
struct ReadStream {
    const FileBytes* bytes = nullptr;
    uint64_t position = 0;
};

// Opens bytes for reading. libtiff reads the first directory; nullptr if that
// fails (messages->lastError says why). bytes, stream and messages must
// outlive the handle.
TiffHandle openForReading(const FileBytes& bytes, const QString& name, ReadStream* stream,
                          TiffMessages* messages);

// A growing in-memory file that libtiff writes a TIFF into.
struct MemoryFile {
    QByteArray data;
    qint64 position = 0;
};
TiffHandle openForWriting(MemoryFile* file, TiffMessages* messages);

// Readable name of a compression scheme, as the page info shows it.
QString compressionName(int compression);

}  // namespace palvenor::imaging::tiff
