// The OCR results unpacker: a results block as the engine hands it out.

#include "OcrRecords.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray block(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto results = palvenor::ocr::unpackResults(block))
        palvenor::ocr::packResults(*results);
    return 0;
}
