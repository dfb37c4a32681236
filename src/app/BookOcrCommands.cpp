#include "BookOcrCommands.h"

#include "BookOcrRun.h"
#include "BookOutput.h"
#include "MenuEntries.h"
#include "OcrCommand.h"
#include "OcrService.h"
#include "frmOCR.h"
#include "frmSample.h"

#include <QFileInfo>
#include <QMenu>
#include <QTextEdit>

namespace palvenor {

namespace {

const QString kRecogniseTitle = QStringLiteral("Ganzes Buch erkennen");

template <void (BookOcrCommands::*command)()>
std::function<void(frmSample&)> commandOf(OcrService& ocr) {
    return [&ocr](frmSample& window) { (BookOcrCommands(window, ocr).*command)(); };
}

// Replaces the OCR window's text, or adds to it after the user's edits as
// the window does with every new result.
void showInOcrWindow(OcrService& ocr, const std::vector<ocr::BookPage>& pages) {
    ocr::frmOCR& window = ocr.window();
    const QString text = bookPagesText(pages);
    window.changeTextByProgram([&window, &text] {
        if (window.AppendNext && !window.RTF0->toPlainText().isEmpty())
            window.RTF0->append(text);
        else
            window.RTF0->setPlainText(text);
    });
    ocr.showWindow();
}

}  // namespace

void installBookOcrCommands(frmSample& window, OcrService& ocr) {
    new BookOcrRun(window, ocr);
    QMenu* menu = window.findChild<QMenu*>(QStringLiteral("mnuTexterkennung"));
    if (!menu) return;
    menu->addSeparator();
    constexpr const char* kEntries[] = {"mnuBookOcr", "mnuOcrPdf", "mnuOcrAlto"};
    addEntry(window, *menu, {kEntries[0], "&Ganzes Buch erkennen…", commandOf<&BookOcrCommands::mnuBookOcr_Click>(ocr)});
    addEntry(window, *menu,
             {kEntries[1], "Als durchsuchbares &PDF speichern…", commandOf<&BookOcrCommands::mnuOcrPdf_Click>(ocr)});
    addEntry(window, *menu, {kEntries[2], "Als &ALTO speichern…", commandOf<&BookOcrCommands::mnuOcrAlto_Click>(ocr)});
    window.controls().setAllEnabled(kEntries, false);
}

QString bookPagesText(const std::vector<ocr::BookPage>& pages) {
    QStringList parts;
    for (const ocr::BookPage& page : pages)
        parts << QStringLiteral("— Seite %1 —\n\n%2").arg(page.label.text, page.text.trimmed());
    return parts.join(QStringLiteral("\n\n"));
}

BookOcrCommands::BookOcrCommands(frmSample& window, OcrService& ocr) : w_(window), ocr_(ocr) {}

BookOcrRun* BookOcrCommands::idleRun() {
    BookOcrRun* run = BookOcrRun::of(w_);
    if (w_.oleImgEdit1().Image().isEmpty()) {
        w_.prompter().inform(QStringLiteral("Das Buch muss zuerst gespeichert werden."), kAppTitle);
        return nullptr;
    }
    if (run->running()) {
        w_.prompter().inform(QStringLiteral("Die Texterkennung des Buches läuft schon."), kAppTitle);
        return nullptr;
    }
    return run;
}

// The pages the user asks for: empty for all of them, or "A-B".
std::optional<std::pair<int, int>> BookOcrCommands::askRange() {
    const int pageCount = w_.oleImgEdit1().PageCount();
    const std::optional<QString> answer = w_.prompter().input(
        QStringLiteral("Welche Seiten sollen erkannt werden (z. B. 3-7)? Leer lassen für alle %1 Seiten.").arg(pageCount),
        kRecogniseTitle, QString());
    if (!answer) return std::nullopt;
    if (answer->trimmed().isEmpty()) return std::pair{1, pageCount};
    QString error;
    const std::optional<ocr::PageRange> range = ocr::parsePageRange(answer->trimmed(), &error);
    if (!range || !ocr::rangeInBook(*range, pageCount, &error)) {
        w_.prompter().message(error, kRecogniseTitle, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return std::nullopt;
    }
    return std::pair{range->first, range->last};
}

void BookOcrCommands::mnuBookOcr_Click() {
    BookOcrRun* run = idleRun();
    if (!run) return;
    const auto range = askRange();
    if (!range) return;
    run->recognise(range->first, range->second,
                   [&ocr = ocr_](const std::vector<ocr::BookPage>& pages) { showInOcrWindow(ocr, pages); });
}

QString BookOcrCommands::bookFolder() const { return QFileInfo(w_.oleImgEdit1().Image()).absolutePath(); }

// Tells why output cannot be written there, before the book is recognised.
bool BookOcrCommands::refuseOutput(bool writable, const QString& output) {
    if (writable) return false;
    w_.prompter().critical(ocr::notWritable(output), kAppTitle);
    return true;
}

void BookOcrCommands::mnuOcrPdf_Click() {
    BookOcrRun* run = idleRun();
    if (!run) return;
    const std::optional<QString> pdf = w_.prompter().saveFileName(
        QStringLiteral("Als durchsuchbares PDF speichern"), bookFolder(), QStringLiteral("PDF-Dokumente (*.pdf)"), nullptr);
    const QFileInfo place(pdf.value_or(QString()));
    if (!pdf || refuseOutput(!place.isDir() && ocr::canWriteIn(place.absolutePath()), *pdf)) return;
    const QString book = w_.oleImgEdit1().Image();
    QString error;
    if (ocr::isTheBook(*pdf, book, &error)) {
        w_.prompter().critical(error, kAppTitle);
        return;
    }
    run->recognise(1, w_.oleImgEdit1().PageCount(),
                   [&prompter = w_.prompter(), pdf = *pdf, book](const std::vector<ocr::BookPage>& pages) {
                       QString error;
                       if (!ocr::writeSearchablePdf(pdf, book, pages, &error)) prompter.critical(error, kAppTitle);
                   });
}

void BookOcrCommands::mnuOcrAlto_Click() {
    BookOcrRun* run = idleRun();
    if (!run) return;
    const std::optional<QString> folder = w_.prompter().folderName(QStringLiteral("Als ALTO speichern"), bookFolder());
    if (!folder || refuseOutput(ocr::canWriteIn(*folder), *folder)) return;
    const QString book = w_.oleImgEdit1().Image();
    run->recognise(1, w_.oleImgEdit1().PageCount(),
                   [&prompter = w_.prompter(), folder = *folder, book](const std::vector<ocr::BookPage>& pages) {
                       QString error;
                       if (!ocr::writeAlto(folder, book, pages, &error)) prompter.critical(error, kAppTitle);
                   });
}

}  // namespace palvenor
