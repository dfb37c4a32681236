// The lexicon reader: "Lexikon.txt" of arbitrary bytes, applied to a page of
// OCR text.

#include "LexiconText.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString lexicon =
        palvenor::ocr::decodeLexicon(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QTextDocument document(QStringLiteral("Hr. Meier schrieb z.B. an Fr. Müller, S. 12 u. a. m.\nNr. 5 usw."));
    palvenor::ocr::applyLexicon(document, lexicon, QTextCursor(&document));
    return 0;
}
