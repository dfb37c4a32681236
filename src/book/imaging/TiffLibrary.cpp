#include "TiffLibrary.h"

#include "TiffDecode.h"

#include <cstdio>
#include <cstring>

namespace palvenor::imaging::tiff {

namespace {

QString formatMessage(const char* module, const char* fmt, va_list ap)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, fmt, ap);
    QString message = QString::fromLocal8Bit(text);
    if (module && *module)
        message = QString::fromLocal8Bit(module) + QStringLiteral(": ") + message;
    return message;
}

// Reading side: a position in FileBytes, which libtiff may also map directly.
tmsize_t readStreamRead(thandle_t h, void* buffer, tmsize_t size)
{
    auto* s = static_cast<ReadStream*>(h);
    if (size <= 0 || s->position >= s->bytes->size())
        return 0;
    const uint64_t n = std::min<uint64_t>(uint64_t(size), s->bytes->size() - s->position);
    if (!s->bytes->read(s->position, buffer, n))
        return -1;
    s->position += n;
    return tmsize_t(n);
}

tmsize_t refuseWrite(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t readStreamSeek(thandle_t h, toff_t offset, int whence)
{
    auto* s = static_cast<ReadStream*>(h);
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = int64_t(s->position);
    else if (whence == SEEK_END)
        base = int64_t(s->bytes->size());
    const int64_t target = base + int64_t(offset);
    if (target < 0)
        return toff_t(-1);
    s->position = uint64_t(target);
    return s->position;
}

int readStreamClose(thandle_t)
{
    return 0;
}

toff_t readStreamSize(thandle_t h)
{
    return static_cast<ReadStream*>(h)->bytes->size();
}

void streamUnmap(thandle_t, void*, toff_t) {}

int noMap(thandle_t, void**, toff_t*)
{
    return 0;
}

// Writing side: a QByteArray that grows as libtiff writes.
tmsize_t memoryRead(thandle_t h, void* buffer, tmsize_t size)
{
    auto* f = static_cast<MemoryFile*>(h);
    const qint64 available = f->data.size() - f->position;
    if (size <= 0 || available <= 0)
        return 0;
    const qint64 n = std::min<qint64>(size, available);
    std::memcpy(buffer, f->data.constData() + f->position, size_t(n));
    f->position += n;
    return tmsize_t(n);
}

tmsize_t memoryWrite(thandle_t h, void* buffer, tmsize_t size)
{
    auto* f = static_cast<MemoryFile*>(h);
    if (size <= 0)
        return 0;
    const qint64 end = f->position + size;
    if (end > f->data.size())
        f->data.resize(end, '\0');
    std::memcpy(f->data.data() + f->position, buffer, size_t(size));
    f->position = end;
    return size;
}

toff_t memorySeek(thandle_t h, toff_t offset, int whence)
{
    auto* f = static_cast<MemoryFile*>(h);
    qint64 base = 0;
    if (whence == SEEK_CUR)
        base = f->position;
    else if (whence == SEEK_END)
        base = f->data.size();
    const qint64 target = base + qint64(offset);
    if (target < 0)
        return toff_t(-1);
    f->position = target;
    return toff_t(target);
}

int memoryClose(thandle_t)
{
    return 0;
}

toff_t memorySize(thandle_t h)
{
    return toff_t(static_cast<MemoryFile*>(h)->data.size());
}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

std::unique_ptr<TIFFOpenOptions, OptionsDeleter> optionsFor(TiffMessages* messages)
{
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &TiffMessages::onError, messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &TiffMessages::onWarning, messages);
    // No field or strip of a damaged file may make libtiff ask for more
    // memory at once than the largest page we would decode.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(MaxDecodedBytes));
    return options;
}

}  // namespace

int TiffMessages::onError(TIFF*, void* self, const char* module, const char* fmt, va_list ap)
{
    static_cast<TiffMessages*>(self)->lastError = formatMessage(module, fmt, ap);
    return 1;  // handled: libtiff's default handler stays quiet
}

int TiffMessages::onWarning(TIFF*, void* self, const char* module, const char* fmt, va_list ap)
{
    static_cast<TiffMessages*>(self)->lastWarning = formatMessage(module, fmt, ap);
    return 1;
}

TiffHandle openForReading(const FileBytes& bytes, const QString& name, ReadStream* stream,
                          TiffMessages* messages)
{
    auto options = optionsFor(messages);
    *stream = ReadStream{&bytes, 0};
    const QByteArray encodedName = QFile::encodeName(name);
    // Read, never mapped: finding a directory by its offset walks libtiff
    // through the whole chain once, which through a mapping would bring
    // every page of the file holding a directory into memory at once.
    TIFF* tif = TIFFClientOpenExt(encodedName.constData(), "rm", stream, readStreamRead, refuseWrite,
                                  readStreamSeek, readStreamClose, readStreamSize, noMap, streamUnmap,
                                  options.get());
    return TiffHandle(tif);
}

TiffHandle openForWriting(MemoryFile* file, TiffMessages* messages)
{
    auto options = optionsFor(messages);
    TIFF* tif = TIFFClientOpenExt("page", "wl", file, memoryRead, memoryWrite, memorySeek, memoryClose,
                                  memorySize, noMap, streamUnmap, options.get());
    return TiffHandle(tif);
}

QString compressionName(int compression)
{
    switch (compression) {
    case COMPRESSION_NONE:
        return QStringLiteral("unkomprimiert");
    case COMPRESSION_CCITTRLE:
        return QStringLiteral("CCITT Huffman");
    case COMPRESSION_CCITTFAX3:
        return QStringLiteral("CCITT Gruppe 3");
    case COMPRESSION_CCITTFAX4:
        return QStringLiteral("CCITT Gruppe 4");
    case COMPRESSION_LZW:
        return QStringLiteral("LZW");
    case COMPRESSION_OJPEG:
        return QStringLiteral("JPEG (altes Verfahren)");
    case COMPRESSION_JPEG:
        return QStringLiteral("JPEG");
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return QStringLiteral("Deflate");
    case COMPRESSION_PACKBITS:
        return QStringLiteral("PackBits");
    case COMPRESSION_CCITTRLEW:
        return QStringLiteral("CCITT Huffman (Wortgrenzen)");
    case COMPRESSION_JBIG:
        return QStringLiteral("JBIG");
    case COMPRESSION_LZMA:
        return QStringLiteral("LZMA");
    case COMPRESSION_ZSTD:
        return QStringLiteral("Zstandard");
    case COMPRESSION_WEBP:
        return QStringLiteral("WebP");
    case COMPRESSION_JP2000:
        return QStringLiteral("JPEG 2000");
    default:
        return QStringLiteral("Kompression %1").arg(compression);
    }
}

}  // namespace palvenor::imaging::tiff
