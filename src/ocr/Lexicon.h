#pragma once

// The user's abbreviation lexicon "Lexikon.txt": one entry a line, the
// abbreviation, "|", and the full form that replaces it in the OCR text.

#include <QString>

namespace palvenor::ocr {

class frmOCR;

// The folders searched for "Lexikon.txt", in this order.
struct LexiconFolders {
    QString user;     // the program's folder in the user's configuration folder
    QString program;  // the folder of the program's executable

    // user = the generic configuration folder (~/.config) + "/Palvenor",
    // beside the program's "Palvenor.ini"; program = the executable's folder.
    static LexiconFolders standard();
};

// The text of the first "Lexikon.txt" in folders; empty when there is
// none, or it is no regular file of at most 1 MB.
QString lexiconText(const LexiconFolders& folders);

// Replaces every occurrence of every abbreviation in the window's text with
// its full form, entry by entry in file order; case-sensitive and also inside
// longer words. The file is read anew on every call; only a regular file of
// at most 1 MB is read. Each entry makes one pass over the text, and the
// text grows to at most its length times the lexicon's. Without a file
// holding "|" the user is told and the text stays as it is.
void ApplyLexicon(frmOCR& window);

}  // namespace palvenor::ocr
