#pragma once

// Turns the recognised characters into text in the OCR window's text box.

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

}  // namespace palvenor::ocr
