#include "OcrCommand.h"

#include "BookOutput.h"
#include "BookRecognition.h"
#include "ImageFile.h"
#include "Lexicon.h"
#include "PageModel.h"
#include "TiffStructure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTextStream>

#include <numeric>

namespace palvenor::ocr {

namespace {

QString quoted(const QString& text) { return QStringLiteral("„%1“").arg(text); }

std::optional<OcrLanguage> languageNamed(const QString& name) {
    if (name == QLatin1String("auto")) return OcrLanguage::Automatic;
    if (name == QLatin1String("deu")) return OcrLanguage::German;
    if (name == QLatin1String("frk")) return OcrLanguage::Fraktur;
    if (name == QLatin1String("deu+frk")) return OcrLanguage::GermanAndFraktur;
    return std::nullopt;
}

void readPages(const QString& text, OcrCommandRequest* request, QString* error) {
    const std::optional<PageRange> range = parsePageRange(text, error);
    if (!range) return;
    request->wholeBook = false;
    request->firstPage = range->first;
    request->lastPage = range->last;
}

const std::pair<const char*, OcrCommandRequest::Output> kOutputs[] = {
    {"--text", OcrCommandRequest::Output::Text},
    {"--pdf", OcrCommandRequest::Output::Pdf},
    {"--alto", OcrCommandRequest::Output::Alto},
    {"--hocr", OcrCommandRequest::Output::Hocr},
};

// Reads option at arguments[i] with its value at i + 1; false with *error.
bool readOption(const QString& option, const QString& value, OcrCommandRequest* request, bool* outputSeen,
                QString* error) {
    for (const auto& [name, output] : kOutputs) {
        if (option != QLatin1String(name)) continue;
        if (*outputSeen) {
            *error = kOcrUsage;
            return false;
        }
        *outputSeen = true;
        request->output = output;
        request->outputPath = value;
        return true;
    }
    if (option == QLatin1String("--pages")) {
        readPages(value, request, error);
    } else if (option == QLatin1String("--lang")) {
        if (const auto language = languageNamed(value))
            request->language = *language;
        else
            *error = QStringLiteral("Unbekannte Sprache %1; möglich sind auto, deu, frk und deu+frk.").arg(quoted(value));
    } else if (option == QLatin1String("--offset")) {
        bool ok = false;
        request->offset = value.toInt(&ok);
        if (!ok || request->offset < -32767 || request->offset > 32767)
            *error = QStringLiteral("Ungültiger Versatz %1.").arg(quoted(value));
    } else {
        *error = kOcrUsage;
    }
    return error->isEmpty();
}

// The page count of the book; 0 with *error when it cannot be read.
int bookPageCount(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = QStringLiteral("Das Buch %1 gibt es nicht.").arg(quoted(path));
        return 0;
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Das Buch %1 kann nicht gelesen werden.").arg(quoted(path));
        return 0;
    }
    const QByteArray head = file.read(4);
    if (!imaging::tiff::hasTiffSignature(reinterpret_cast<const uint8_t*>(head.constData()), uint64_t(head.size()))) {
        *error = QStringLiteral("%1 ist kein TIFF-Buch.").arg(quoted(path));
        return 0;
    }
    imaging::ImagingError failure;
    const std::unique_ptr<imaging::ImageFile> book = imaging::ImageFile::open(path, &failure);
    if (!book) {
        *error = QStringLiteral("Das Buch %1 kann nicht gelesen werden: %2").arg(quoted(path), failure.description);
        return 0;
    }
    return book->pageCount();
}

// The folder the output goes into: the ALTO folder itself, or the folder
// it is made in; else the folder of the output file.
bool outputPlaceWritable(const OcrCommandRequest& request) {
    const QFileInfo output(request.outputPath);
    if (request.output == OcrCommandRequest::Output::Alto)
        return output.exists() ? canWriteIn(output.filePath()) : canWriteIn(output.absolutePath());
    return !output.isDir() && canWriteIn(output.absolutePath());
}

bool writeOutput(const OcrCommandRequest& request, const std::vector<BookPage>& pages, QString* error) {
    switch (request.output) {
    case OcrCommandRequest::Output::Text: return writeBookText(request.outputPath, pages, error);
    case OcrCommandRequest::Output::Pdf: return writeSearchablePdf(request.outputPath, request.book, pages, error);
    case OcrCommandRequest::Output::Alto: return writeAlto(request.outputPath, request.book, pages, error);
    case OcrCommandRequest::Output::Hocr: return writeHocr(request.outputPath, request.book, pages, error);
    }
    return false;
}

// Recognises the pages of the request; false with *error when the engine
// fails.
bool recognise(const OcrCommandRequest& request, QTextStream& err, std::vector<BookPage>* pages, QString* error) {
    std::vector<int> imagePages(size_t(request.lastPage - request.firstPage + 1));
    std::iota(imagePages.begin(), imagePages.end(), request.firstPage);
    BookRecognitionSettings settings;
    settings.process.Language = uint8_t(request.language);
    settings.lexicon = lexiconText(LexiconFolders::standard());
    BookRecognition recognition(request.book, std::move(imagePages), pageModelWithOffset(request.offset), settings);
    QObject::connect(&recognition, &BookRecognition::progress, [&err](int done, int total) {
        err << progressText(done, total) << '\n';
        err.flush();
    });
    const bool complete = recognition.runToEnd();
    *pages = recognition.pages();
    *error = recognition.failure();
    return complete;
}

}  // namespace

std::optional<PageRange> parsePageRange(const QString& text, QString* error) {
    static const QRegularExpression range(QStringLiteral("^(\\d{1,5})-(\\d{1,5})$"));
    const QRegularExpressionMatch match = range.match(text);
    if (!match.hasMatch()) {
        *error = QStringLiteral("Ungültige Seitenangabe %1; erwartet wird A-B.").arg(quoted(text));
        return std::nullopt;
    }
    return PageRange{match.captured(1).toInt(), match.captured(2).toInt()};
}

bool rangeInBook(const PageRange& range, int pageCount, QString* error) {
    if (range.first >= 1 && range.last >= range.first && range.last <= pageCount) return true;
    *error = QStringLiteral("Die Seiten %1-%2 liegen nicht im Buch; es hat %3 Seiten.")
                 .arg(range.first)
                 .arg(range.last)
                 .arg(pageCount);
    return false;
}

bool isTheBook(const QString& output, const QString& book, QString* error) {
    if (QFileInfo(output).canonicalFilePath() != QFileInfo(book).canonicalFilePath()) return false;
    *error = QStringLiteral("Die Ausgabe %1 ist das Buch selbst.").arg(quoted(output));
    return true;
}

bool canWriteIn(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".palvenor-ocr-XXXXXX")));
    return QFileInfo(folder).isDir() && probe.open();
}

std::optional<OcrCommandRequest> parseOcrArguments(const QStringList& arguments, QString* error) {
    OcrCommandRequest request;
    bool outputSeen = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--"))) {
            if (!request.book.isEmpty()) {
                *error = kOcrUsage;
                return std::nullopt;
            }
            request.book = argument;
        } else if (i + 1 >= arguments.size() ||
                   !readOption(argument, arguments[i + 1], &request, &outputSeen, error)) {
            if (error->isEmpty()) *error = kOcrUsage;
            return std::nullopt;
        } else {
            ++i;
        }
    }
    if (request.book.isEmpty() || !outputSeen || request.outputPath.isEmpty()) {
        *error = kOcrUsage;
        return std::nullopt;
    }
    return request;
}

bool checkOcrRequest(OcrCommandRequest& request, QString* error) {
    const int pageCount = bookPageCount(request.book, error);
    if (pageCount == 0) return false;
    if (request.wholeBook) {
        request.firstPage = 1;
        request.lastPage = pageCount;
    }
    if (!rangeInBook({request.firstPage, request.lastPage}, pageCount, error)) return false;
    if (isTheBook(request.outputPath, request.book, error)) return false;
    if (!outputPlaceWritable(request)) {
        *error = QStringLiteral("In %1 kann nicht geschrieben werden.").arg(quoted(request.outputPath));
        return false;
    }
    return true;
}

int runOcrCommand(const QStringList& arguments, QTextStream& err) {
    QString error;
    std::optional<OcrCommandRequest> request = parseOcrArguments(arguments, &error);
    if (!request || !checkOcrRequest(*request, &error)) {
        err << error << '\n';
        return kExitBadInput;
    }
    std::vector<BookPage> pages;
    if (!recognise(*request, err, &pages, &error)) {
        err << (error.isEmpty() ? QStringLiteral("Die Texterkennung ist fehlgeschlagen.") : error) << '\n';
        return kExitEngineFailure;
    }
    if (!writeOutput(*request, pages, &error)) {
        err << error << '\n';
        return kExitWriteFailure;
    }
    return kExitSuccess;
}

}  // namespace palvenor::ocr
