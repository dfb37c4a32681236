#pragma once

// Turns the recognised characters into text in the OCR window's text box.

#include <QString>

class QTextEdit;

namespace palvenor::ocr {

class frmOCR;
struct FormatOptions;
struct Results;

// Writes results into window.RTF0: behind its text after a line break when
// window.AppendNext is set, else in place of it. Letter mode writes every
// character as it comes; word mode gathers words and lines and, with
// LeftMargin, reproduces their places on the page. Both unify brackets,
// join words hyphenated at a line end and show characters below the
// confidence threshold in red; word mode writes "3fach" as "3-fach".
// Ends with the abbreviation lexicon when Lexikon is on. resolutionFactor is
// the page's dots per inch times 39.
void FormatResults(frmOCR& window, const Results& results, const FormatOptions& options,
                   int resolutionFactor);

// The same formatting of one page in box, a text box of the caller's that
// is emptied first, returned as plain text; the abbreviations of lexicon
// (the text of a "Lexikon.txt") are replaced when Lexikon is on. For pages
// formatted away from the OCR window.
QString formattedText(QTextEdit& box, const Results& results, const FormatOptions& options,
                      int resolutionFactor, const QString& lexicon);

}  // namespace palvenor::ocr
