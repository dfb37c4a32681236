#pragma once

// The command-line tool palvenor-ocr: recognises a book, or a range of its
// pages, and writes the text, a searchable PDF, ALTO files or hOCR.

#include "OcrRecords.h"

#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

namespace palvenor::ocr {

// The exit codes of the tool.
enum OcrExitCode : int {
    kExitSuccess = 0,
    kExitBadInput = 2,       // the arguments, the book or the output place
    kExitEngineFailure = 3,  // the recognition failed
    kExitWriteFailure = 4,   // the output could not be written after the recognition
};

struct OcrCommandRequest {
    enum class Output { Text, Pdf, Alto, Hocr };
    QString book;
    bool wholeBook = true;  // else the pages firstPage..lastPage
    int firstPage = 0;
    int lastPage = 0;
    OcrLanguage language = OcrLanguage::Automatic;
    int offset = 0;     // book page = image page + offset
    Output output = Output::Text;
    QString outputPath;
};

inline const QString kOcrUsage = QStringLiteral(
    "Aufruf: palvenor-ocr BUCH.tif [--pages A-B] [--lang auto|deu|frk|deu+frk] [--offset N] "
    "--text AUS.txt | --pdf AUS.pdf | --alto ORDNER | --hocr AUS.html");

// Image pages first..last of a book, as the user types them: "A-B".
struct PageRange {
    int first = 0;
    int last = 0;
};

// The range text names; nullopt with the German reason in *error.
std::optional<PageRange> parsePageRange(const QString& text, QString* error);
// False with the German reason in *error when the range leaves a book of
// pageCount pages.
bool rangeInBook(const PageRange& range, int pageCount, QString* error);
// True, with the German reason in *error, when output names the book file
// itself, which writing the output would destroy.
bool isTheBook(const QString& output, const QString& book, QString* error);
// Whether a file can be made in folder, tried with a file that is removed
// at once.
bool canWriteIn(const QString& folder);

// The request the arguments (without the program name) make; nullopt with
// the one-line reason in *error.
std::optional<OcrCommandRequest> parseOcrArguments(const QStringList& arguments, QString* error);

// Checks the book, the page range and the output place before anything is
// recognised; fills in the page range of the whole book. False with the
// one-line reason in *error.
bool checkOcrRequest(OcrCommandRequest& request, QString* error);

// Runs the tool: progress and messages go to err. Needs a QApplication.
int runOcrCommand(const QStringList& arguments, QTextStream& err);

}  // namespace palvenor::ocr
