// The annotation tag reader: the bytes of a page's annotation entry.

#include "AnnotationTag.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Annotations carry fonts, which need the application's font database.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto annotations = palvenor::imaging::decodeAnnotations(bytes)) {
        for (const auto& annotation : *annotations)
            annotation.bounds();
        palvenor::imaging::encodeAnnotations(*annotations);
    }
    return 0;
}
