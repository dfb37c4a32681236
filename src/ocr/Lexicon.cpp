#include "Lexicon.h"

#include "Prompter.h"
#include "Cp1252.h"
#include "frmOCR.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <vector>

namespace palvenor::ocr {

namespace {

struct Entry {
    QString abbreviation;
    QString fullForm;
};

// A lexicon is a few thousand lines; anything larger is no lexicon.
constexpr qint64 kMaxLexiconBytes = qint64(1) << 20;

// The bytes of "Lexikon.txt" in the first folder that has one; empty when
// none has it or it cannot be read. An empty folder name stands for no folder.
// Only a regular file is opened: a pipe of that name would block the read.
QByteArray readLexiconFile(const LexiconFolders& folders) {
    for (const QString& folder : {folders.user, folders.program}) {
        if (folder.isEmpty()) continue;
        const QFileInfo info(QDir(folder).filePath(QStringLiteral("Lexikon.txt")));
        if (!info.exists()) continue;
        if (!info.isFile() || info.size() > kMaxLexiconBytes) return {};
        QFile file(info.filePath());
        return file.open(QIODevice::ReadOnly) ? file.read(kMaxLexiconBytes) : QByteArray();
    }
    return {};
}

QString decodeCp1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) text += QChar(char16_t(fromCp1252(uint8_t(byte))));
    return text;
}

// UTF-8 when the bytes are valid UTF-8, else the Windows code page of older
// lexicon files.
QString decodeLexicon(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? decodeCp1252(bytes) : text;
}

// The entries in file order. The abbreviation ends at the first "|"; further
// "|" belong to the full form. Lines end in "\r\n", "\n" or a lone "\r".
// Empty lines, lines without "|", entries with an empty abbreviation (which
// would match everywhere) and lines holding a NUL byte (no text file) are
// skipped.
std::vector<Entry> lexiconEntries(const QString& text) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    std::vector<Entry> entries;
    for (const QString& line : text.split(lineEnd)) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar > 0 && !line.contains(QChar(u'\0'))) entries.push_back({line.left(bar), line.mid(bar + 1)});
    }
    return entries;
}

// Replaces the entry's abbreviation from the start of the text on, in one
// pass; each search goes on behind the inserted full form, so a full form
// holding its abbreviation is not replaced again. Stops once the text is
// longer than maxLength. Returns the caret as the search leaves it: behind
// the last replacement, or at the start when nothing matched.
QTextCursor replaceEverywhere(QTextDocument& document, const Entry& entry, qsizetype maxLength) {
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

LexiconFolders LexiconFolders::standard() {
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/Palvenor"),
            QCoreApplication::applicationDirPath()};
}

void ApplyLexicon(frmOCR& window) {
    const QString text = decodeLexicon(readLexiconFile(window.lexiconFolders));
    if (!text.contains(u'|')) {
        window.prompter().message(QStringLiteral("Keine gültige Abkürzungsdatei"), kAppTitle,
                                  Prompter::Buttons::Ok, Prompter::Icon::None);
        return;
    }
    QTextDocument& document = *window.RTF0->document();
    QTextCursor editBlock(&document);
    editBlock.beginEditBlock();
    QTextCursor caret = window.RTF0->textCursor();
    const qsizetype maxLength = growthLimit(document, text);
    for (const Entry& entry : lexiconEntries(text)) {
        if (document.characterCount() > maxLength) break;
        caret = replaceEverywhere(document, entry, maxLength);
    }
    editBlock.endEditBlock();
    window.RTF0->setTextCursor(caret);
}

}  // namespace palvenor::ocr
