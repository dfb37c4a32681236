#pragma once

// The text of the abbreviation lexicon "Lexikon.txt" and its use on a
// document; the file itself is found and read by ApplyLexicon.

#include <QString>
#include <QTextCursor>

#include <vector>

class QTextDocument;

namespace palvenor::ocr {

struct LexiconEntry {
    QString abbreviation;
    QString fullForm;
};

// UTF-8 when the bytes are valid UTF-8, else the Windows code page of older
// lexicon files.
QString decodeLexicon(const QByteArray& bytes);

// The entries in file order. The abbreviation ends at the first "|"; further
// "|" belong to the full form. Lines end in "\r\n", "\n" or a lone "\r".
// Empty lines, lines without "|", entries with an empty abbreviation (which
// would match everywhere) and lines holding a NUL byte (no text file) are
// skipped.
std::vector<LexiconEntry> lexiconEntries(const QString& lexicon);

// Replaces the abbreviations of lexicon in document, entry by entry in file
// order, each entry in one pass; the text grows to at most its length times
// the lexicon's. Returns the caret as the last pass leaves it, or caret when
// nothing matched.
QTextCursor applyLexicon(QTextDocument& document, const QString& lexicon, QTextCursor caret);

}  // namespace palvenor::ocr
