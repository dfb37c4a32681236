#include "Lexicon.h"

#include "Prompter.h"
#include "Cp1252.h"
#include "frmOCR.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <vector>

namespace palvenor::ocr {

namespace {

struct Entry {
    QString abbreviation;
    QString fullForm;
};

// The bytes of "Lexikon.txt" in the first folder that has one; empty when
// none has it or it cannot be read. An empty folder name stands for no folder.
QByteArray readLexiconFile(const LexiconFolders& folders) {
    for (const QString& folder : {folders.user, folders.program}) {
        if (folder.isEmpty()) continue;
        QFile file(QDir(folder).filePath(QStringLiteral("Lexikon.txt")));
        if (!file.exists()) continue;
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
// "|" belong to the full form. Lines end in "\r\n" or "\n". Empty lines,
// lines without "|" and entries with an empty abbreviation (which would
// match everywhere) are skipped.
std::vector<Entry> lexiconEntries(const QString& text) {
    std::vector<Entry> entries;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        const qsizetype bar = line.indexOf(u'|');
        if (bar > 0) entries.push_back({line.left(bar), line.mid(bar + 1)});
    }
    return entries;
}

// Replaces the entry's abbreviation from the start of the text on; each
// search goes on behind the inserted full form, so a full form holding its
// abbreviation is not replaced again. Returns the caret as the search leaves
// it: behind the last replacement, or at the start when nothing matched.
QTextCursor replaceEverywhere(QTextDocument& document, const Entry& entry) {
    QTextCursor caret(&document);
    for (;;) {
        QTextCursor match = document.find(entry.abbreviation, caret, QTextDocument::FindCaseSensitively);
        if (match.isNull()) return caret;
        match.insertText(entry.fullForm);
        caret = match;
    }
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
    for (const Entry& entry : lexiconEntries(text)) caret = replaceEverywhere(document, entry);
    editBlock.endEditBlock();
    window.RTF0->setTextCursor(caret);
}

}  // namespace palvenor::ocr
