#include "LexiconText.h"

#include "Cp1252.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocument>

#include <algorithm>

namespace palvenor::ocr {

namespace {

QString decodeCp1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) text += QChar(char16_t(fromCp1252(uint8_t(byte))));
    return text;
}

// Replaces the entry's abbreviation from the start of the text on, in one
// pass; each search goes on behind the inserted full form, so a full form
// holding its abbreviation is not replaced again. Stops once the text is
// longer than maxLength. Returns the caret as the search leaves it: behind
// the last replacement, or at the start when nothing matched.
QTextCursor replaceEverywhere(QTextDocument& document, const LexiconEntry& entry, qsizetype maxLength) {
    QTextCursor caret(&document);
    while (document.characterCount() <= maxLength) {
        QTextCursor match = document.find(entry.abbreviation, caret, QTextDocument::FindCaseSensitively);
        if (match.isNull()) break;
        match.insertText(entry.fullForm);
        caret = match;
    }
    return caret;
}

// How long the text may grow in one run: entries that contain their own
// abbreviation would otherwise double it entry by entry.
qsizetype growthLimit(const QTextDocument& document, const QString& lexicon) {
    return qsizetype(document.characterCount()) * std::max<qsizetype>(lexicon.size(), 1);
}


}  // namespace

QString decodeLexicon(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? decodeCp1252(bytes) : text;
}

std::vector<LexiconEntry> lexiconEntries(const QString& lexicon) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    std::vector<LexiconEntry> entries;
    for (const QString& line : lexicon.split(lineEnd)) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar > 0 && !line.contains(QChar(u'\0'))) entries.push_back({line.left(bar), line.mid(bar + 1)});
    }
    return entries;
}

QTextCursor applyLexicon(QTextDocument& document, const QString& lexicon, QTextCursor caret) {
    const qsizetype maxLength = growthLimit(document, lexicon);
    for (const LexiconEntry& entry : lexiconEntries(lexicon)) {
        if (document.characterCount() > maxLength) break;
        caret = replaceEverywhere(document, entry, maxLength);
    }
    return caret;
}

}  // namespace palvenor::ocr
