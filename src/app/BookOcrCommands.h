#pragma once

#include "BookRecognition.h"

#include <QString>

#include <optional>
#include <vector>

namespace palvenor {

class BookOcrRun;
class OcrService;
class frmSample;

// Adds the whole-book entries to the window's "&Texterkennung" menu; like
// the window's other document commands they wait for a shown book.
void installBookOcrCommands(frmSample& window, OcrService& ocr);

// The OCR window's text of recognised book pages: each page headed by its
// book page number.
QString bookPagesText(const std::vector<ocr::BookPage>& pages);

// The whole-book commands of a book window: recognise all pages or a range
// into the OCR window, save the book as a searchable PDF or as ALTO files.
// The saves recognise the pages that are not recognised yet first.
class BookOcrCommands {
public:
    BookOcrCommands(frmSample& window, OcrService& ocr);

    void mnuBookOcr_Click();
    void mnuOcrPdf_Click();
    void mnuOcrAlto_Click();

private:
    // The run of the window when it may start one: a book is saved and no
    // run goes on; else nullptr after telling the user why.
    BookOcrRun* idleRun();
    std::optional<std::pair<int, int>> askRange();
    bool refuseOutput(bool writable, const QString& output);
    QString bookFolder() const;

    frmSample& w_;
    OcrService& ocr_;
};

}  // namespace palvenor
