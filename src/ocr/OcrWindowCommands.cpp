#include "OcrWindowCommands.h"

#include "BookReplacement.h"
#include "OcrJob.h"
#include "Prompter.h"
#include "frmOCR.h"
#include "frmProcessOptions.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QUrl>

namespace palvenor::ocr {

namespace {

const QString kThresholdTitle = QStringLiteral("Schwellenwert für Fehleranzeige");

std::optional<float> thresholdFromEntry(const QString& entry) {
    bool ok = false;
    const double percent = QString(entry).replace(u',', u'.').trimmed().toDouble(&ok);
    if (!ok || percent < 0 || percent > 100) return std::nullopt;
    return float(percent / 100);
}

// Releases the OCR window from topmost while a box of its own is open, so
// that the box is not hidden behind it; the guard puts it back.
auto releaseTopmost(frmOCR& window) {
    const bool topmost = window.isTopmost();
    window.setTopmost(false);
    return qScopeGuard([&window, topmost] { window.setTopmost(topmost); });
}

}  // namespace

OcrWindowCommands::OcrWindowCommands(frmOCR& window, Prompter& prompter)
    : window_(window), prompter_(prompter) {}

QString OcrWindowCommands::thresholdCaption() {
    return QStringLiteral("&%1 %2%").arg(kThresholdTitle, QString::number(formatOptions.Schwelle * 100));
}

bool OcrWindowCommands::confirmReplace() {
    if (window_.RTF0->document()->isEmpty() || !window_.AppendNext) return true;
    return prompter_.message(QStringLiteral("Änderungen gehen verloren! Fortsetzen?"), kAppTitle,
                             Prompter::Buttons::YesNo, Prompter::Icon::Exclamation)
           != Prompter::Answer::No;
}

void OcrWindowCommands::reformatConfirmed() {
    window_.showFormatOptions();
    if (confirmReplace()) window_.reformat();
}

void OcrWindowCommands::letterMode() {
    formatOptions.Format = false;
    reformatConfirmed();
}

void OcrWindowCommands::wordMode() {
    formatOptions.Format = true;
    reformatConfirmed();
}

void OcrWindowCommands::toggleLeftMargin() {
    formatOptions.LeftMargin = !formatOptions.LeftMargin;
    reformatConfirmed();
}

void OcrWindowCommands::toggleBlankLines() {
    formatOptions.CollapseY = !formatOptions.CollapseY;
    reformatConfirmed();
}

void OcrWindowCommands::toggleParagraphs() {
    formatOptions.Absatz = !formatOptions.Absatz;
    reformatConfirmed();
}

void OcrWindowCommands::toggleBrackets() {
    formatOptions.Klammern = !formatOptions.Klammern;
    reformatConfirmed();
}

void OcrWindowCommands::toggleNumberWords() {
    formatOptions.Zahlwort = !formatOptions.Zahlwort;
    reformatConfirmed();
}

// The lexicon only applies to text yet to come: the present text stays.
void OcrWindowCommands::toggleLexicon() {
    formatOptions.Lexikon = !formatOptions.Lexikon;
    window_.showFormatOptions();
    if (confirmReplace()) window_.AppendNext = false;
}

void OcrWindowCommands::askThreshold() {
    const auto entry = prompter_.input(QStringLiteral("Minimale Erkennungswahrscheinlichkeit in % eingeben"),
                                       kThresholdTitle, QString::number(formatOptions.Schwelle * 100));
    if (entry && !entry->trimmed().isEmpty()) {
        const auto threshold = thresholdFromEntry(*entry);
        if (!threshold) {
            prompter_.message(QStringLiteral("Bitte eine Zahl von 0 bis 100 eingeben."), kThresholdTitle,
                              Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
            return;
        }
        formatOptions.Schwelle = *threshold;
    }
    reformatConfirmed();
}

void OcrWindowCommands::editProcessOptions() {
    const auto released = releaseTopmost(window_);
    frmProcessOptions dialog(configuredJob, &window_);
    prompter_.execDialog(dialog);
}

void OcrWindowCommands::saveText() {
    int filterIndex = 0;
    const auto path = prompter_.saveFileName(QStringLiteral("Text speichern"), window_.resultsFolder,
                                             QStringLiteral("Textformate (*.txt)"), &filterIndex);
    if (!path) return;
    if (!writeText(*path)) {
        prompter_.critical(QStringLiteral("Der Text konnte nicht gespeichert werden:\n%1")
                               .arg(QDir::toNativeSeparators(*path)),
                           kAppTitle);
        return;
    }
    window_.resultsFolder = QFileInfo(*path).absolutePath();
}

bool OcrWindowCommands::writeText(const QString& path) {
    const QByteArray text = window_.RTF0->toPlainText().toUtf8();
    QString reason;
    return imaging::replaceFile(path, [&](QIODevice& file) { return file.write(text) == text.size(); }, &reason);
}

void OcrWindowCommands::chooseFont() {
    QFontDialog dialog(window_.RTF0->font(), &window_);
    dialog.setWindowTitle(QStringLiteral("Zeichensatz"));
    if (prompter_.execDialog(dialog) == QDialog::Accepted) window_.RTF0->setFont(dialog.selectedFont());
}

void OcrWindowCommands::copyText() {
    if (!window_.RTF0->textCursor().hasSelection()) window_.RTF0->selectAll();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(window_.RTF0->textCursor().selection().toPlainText());
}

void OcrWindowCommands::closeWindow() {
    copyText();
    unloadWindow();
}

void OcrWindowCommands::unloadWindow() {
    window_.AppendNext = false;
    window_.close();
}

void OcrWindowCommands::hideWindow() {
    window_.AppendNext = true;
    window_.hide();
}

void OcrWindowCommands::newText() {
    if (!confirmReplace()) return;
    window_.AppendNext = false;
    if (window_.runOcrCommand) window_.runOcrCommand();
}

void OcrWindowCommands::appendText() {
    window_.AppendNext = true;
    if (window_.runOcrCommand) window_.runOcrCommand();
    window_.RTF0->moveCursor(QTextCursor::End);
}

void OcrWindowCommands::insertMaleSymbol() { insertSymbol(kMaleSymbol); }

void OcrWindowCommands::insertFemaleSymbol() { insertSymbol(kFemaleSymbol); }

void OcrWindowCommands::insertSymbol(QChar symbol) { window_.RTF0->insertPlainText(QString(symbol)); }

void OcrWindowCommands::showHelp() {
    const QString page = QDir::toNativeSeparators(window_.helpFile);
    if (!QFileInfo(window_.helpFile).isFile())
        prompter_.critical(QStringLiteral("Die Hilfe %1 wurde nicht gefunden.").arg(page), kAppTitle);
    else if (!window_.openInBrowser(QUrl::fromLocalFile(window_.helpFile)))
        prompter_.critical(QStringLiteral("Die Hilfe %1 konnte nicht im Browser geöffnet werden.").arg(page),
                           kAppTitle);
}

void OcrWindowCommands::showAbout() {
    const auto released = releaseTopmost(window_);
    const QString version = QCoreApplication::applicationVersion();
    prompter_.inform(version.isEmpty() ? kAppTitle : QStringLiteral("%1\nVersion %2").arg(kAppTitle, version),
                     QStringLiteral("Info"));
}

}  // namespace palvenor::ocr
