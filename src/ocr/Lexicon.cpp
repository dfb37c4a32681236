#include "Lexicon.h"

#include "LexiconText.h"
#include "Prompter.h"
#include "frmOCR.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace palvenor::ocr {

namespace {

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

}  // namespace

LexiconFolders LexiconFolders::standard() {
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/Palvenor"),
            QCoreApplication::applicationDirPath()};
}

QString lexiconText(const LexiconFolders& folders) {
    return decodeLexicon(readLexiconFile(folders));
}

void ApplyLexicon(frmOCR& window) {
    const QString text = lexiconText(window.lexiconFolders);
    if (!text.contains(u'|')) {
        window.prompter().message(QStringLiteral("Keine gültige Abkürzungsdatei"), kAppTitle,
                                  Prompter::Buttons::Ok, Prompter::Icon::None);
        return;
    }
    QTextDocument& document = *window.RTF0->document();
    QTextCursor editBlock(&document);
    editBlock.beginEditBlock();
    const QTextCursor caret = applyLexicon(document, text, window.RTF0->textCursor());
    editBlock.endEditBlock();
    window.RTF0->setTextCursor(caret);
}

}  // namespace palvenor::ocr
