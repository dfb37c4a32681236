#pragma once

#include "Lexicon.h"
#include "OcrRecords.h"

#include <QMainWindow>

#include <functional>

class QTextEdit;

namespace palvenor {
class Prompter;
}

namespace palvenor::ocr {

// How the formatter turns the recognised characters into text. The program
// keeps one set, `formatOptions`, stored in the settings section "Results".
struct FormatOptions {
    bool Format = true;          // word mode; false = letter mode
    bool CollapseY = false;      // a vertical gap yields one line break, not one per line step
    bool LeftMargin = true;      // reproduce horizontal positions and vertical gaps of the page
    float MinXSpaceFac = 1.6f;   // how wide a horizontal gap must be to be reproduced
    float MinYSpaceFac = 1.5f;   // how high a vertical gap must be to yield blank lines
    float Schwelle = 0.8f;       // characters of a lower confidence are shown in red
    bool Klammern = true;        // "[" and "{" become "(", "]" and "}" become ")"
    bool Absatz = true;          // merge lines into paragraphs, join words hyphenated at a line end
    bool Zahlwort = true;        // "3fach" becomes "3-fach"
    bool Lexikon = true;         // apply the user's abbreviation lexicon at the end
    float ResolutionFactor = 0;  // the page's dots per inch times 39, set by the OCR command
};

extern FormatOptions formatOptions;

// The OCR window: the recognised text in the rich text box RTF0, and the
// state the OCR job and the formatter share with it.
class frmOCR : public QMainWindow {
    Q_OBJECT
public:
    explicit frmOCR(Prompter& prompter, QWidget* parent = nullptr);

    // True: the next formatting run appends its text behind the present text
    // instead of replacing it, and a format toggle asks before it replaces
    // the text. Every edit of the user sets it; the program's own changes of
    // the text (changeTextByProgram) leave it as it is.
    bool AppendNext = false;
    // The results of the last job; re-formatting works on them again.
    Results lastResults;
    // Where ApplyLexicon looks for "Lexikon.txt".
    LexiconFolders lexiconFolders = LexiconFolders::standard();

    QTextEdit* RTF0;
    Prompter& prompter() const { return prompter_; }

    // Formats the last results anew with the program's format options,
    // replacing the text.
    void reformat();
    // Runs change, which edits the text on the program's behalf: it does not
    // count as an edit of the user.
    void changeTextByProgram(const std::function<void()>& change);

private:
    void noteTextChanged();

    Prompter& prompter_;
    bool programChange_ = false;
};

}  // namespace palvenor::ocr
