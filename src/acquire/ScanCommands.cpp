#include "ScanCommands.h"

#include "FrameLink.h"
#include "ImgScan.h"
#include "PageSequenceCommands.h"
#include "Prompter.h"
#include "SavePrompt.h"
#include "ScanSpool.h"
#include "frmSample.h"

#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <tiff.h>

namespace palvenor {

namespace {

constexpr const char* kNavigationCommands[] = {"mnuBack", "mnuFirst", "mnuGoTo", "mnuLast",
                                               "mnuNext", "mnuPrevious", "rueck", "vor"};

// The empty page a capture starts from: 500 × 400 pixels at 200 dpi.
void showEmptyPage(imaging::oleImgEdit& edit) {
    edit.DisplayBlankImage(500, 400, 200, 200, imaging::PageTypeBlackWhite);
}

}  // namespace

imaging::ImgScan* ScanCommands::scanner() {
    imaging::ImgScan* scanner = w_.frame().scanner();
    if (scanner && scanner->ScannerAvailable()) return scanner;
    w_.prompter().message(imaging::kNoScannerMessage, kAppTitle, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
    return nullptr;
}

void ScanCommands::mnuQuelle_Click() {
    imaging::ImgScan* scan = scanner();
    if (!scan) return;
    scan->ShowSelectSource();
    scan->ShowScanPreferences();
}

void ScanCommands::mnuScanPeferences_Click() {
    if (imaging::ImgScan* scan = scanner()) scan->ShowScanPreferences();
}

void ScanCommands::mnuErfassen_Click() {
    imaging::ImgScan* scan = scanner();
    if (!scan) return;
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    w_.oleImgAdmin1().DialogFlags = 0;
    if (!askToSave(w_)) return;
    showEmptyPage(edit);
    edit.setImage(QString());
    w_.oleImgThumbnail1().setImage(QString());
    scan->PageOption = imaging::ImgScan::PageCreate;
    scan->MultiPage = true;
    scan->DestImageControl = 0;
    scan->Destination = &edit;
    int status = scan->OpenScanner();
    if (status == 0) {
        status = scan->StartScan();
        QCoreApplication::processEvents();
    }
    if (status != 0) {
        scan->CloseScanner();
        return;
    }
    w_.runSaveAsCommand();
    w_.Bild_vorhanden();
    w_.controls().setAllEnabled(kNavigationCommands, false);
}

void ScanCommands::AddScan_Click() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (edit.Image().isEmpty()) {
        const Prompter::Answer answer =
            w_.prompter().message(QStringLiteral("Soll die angezeigte Seite gespeichert werden?"), kAppTitle,
                                  Prompter::Buttons::YesNo, Prompter::Icon::Question);
        if (answer == Prompter::Answer::Yes) {
            if (w_.runSaveCommand() == imaging::ErrorDialogCancelled) return;
            w_.pages().Geaendert = false;
        }
    }
    const bool withoutFile = edit.Image().isEmpty();
    PageSequenceCommands(w_).mnuAppendTwain_Click();
    if (withoutFile) w_.runSaveCommand();
}

void ScanCommands::pageFinished(int page) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (w_.pages().Seitenzahl < edit.PageCount()) {
        w_.pages().Seitenzahl = std::int16_t(edit.PageCount());
        w_.oleImgThumbnail1().setImage(edit.Image());
        if (!edit.Image().isEmpty()) w_.controls().setEnabled(QStringLiteral("vor"), true);
    }
    edit.setPage(page);
    edit.Display();
    w_.refreshPageFields(page);
    if (!edit.Image().isEmpty() && edit.PageType() == imaging::PageTypeBlackWhite &&
        edit.CompressionType() != COMPRESSION_CCITTFAX4)
        edit.SavePage(edit.Image(), edit.FileType(), page);
}

namespace {

QAction* addFileEntry(frmSample& window, QMenu& file, QAction* before, const char* name, const QString& caption,
                      void (ScanCommands::*command)()) {
    auto* action = new QAction(caption, &file);
    action->setObjectName(QString::fromUtf8(name));
    file.insertAction(before, action);
    QObject::connect(action, &QAction::triggered, &window, [&window, command] { (ScanCommands(window).*command)(); });
    window.controls().add(action);
    return action;
}

// The scanner entries go in a group of their own before "&Schließen".
void addScanEntries(frmSample& window) {
    QMenu* file = window.findChild<QMenu*>(QStringLiteral("mnuFile"));
    if (!file) return;
    QAction* before = nullptr;
    for (QAction* action : file->actions())
        if (action->objectName() == QStringLiteral("mnuQuit")) before = action;
    addFileEntry(window, *file, before, "mnuQuelle", QStringLiteral("Twain-&Quelle wählen"),
                 &ScanCommands::mnuQuelle_Click);
    addFileEntry(window, *file, before, "mnuScanPeferences", QStringLiteral("Ein&stellungen"),
                 &ScanCommands::mnuScanPeferences_Click);
    addFileEntry(window, *file, before, "mnuErfassen", QStringLiteral("Er&fassung beginnen"),
                 &ScanCommands::mnuErfassen_Click);
    file->insertSeparator(before);
}

void addScanButton(frmSample& window) {
    QToolBar* bar = window.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    if (!bar) return;
    auto* button = new QToolButton;
    button->setObjectName(QStringLiteral("AddScan"));
    button->setText(QStringLiteral("Scannen"));
    button->setToolTip(QStringLiteral("Scanner Seiten anfügen"));
    QObject::connect(button, &QToolButton::clicked, &window, [&window] { ScanCommands(window).AddScan_Click(); });
    window.controls().add(button);
    // Beside the other button that adds pages, where it stays in sight on a small screen.
    const QList<QAction*> items = bar->actions();
    qsizetype beside = -1;
    for (qsizetype i = 0; i < items.size(); ++i)
        if (const QWidget* other = bar->widgetForAction(items[i]); other && other->objectName() == QStringLiteral("Command1"))
            beside = i;
    bar->insertWidget(beside < 0 ? nullptr : items.value(beside + 1), button);
    button->setEnabled(false);  // like the other document commands, it waits for a shown book
}

// Saving a capture, by any command, makes its spool file unneeded.
void dropSpoolWhenSaved(frmSample& window, std::function<int()>& save) {
    save = [&window, save = std::move(save)] {
        const QString spool = window.oleImgEdit1().unsavedPagesFile();
        const int result = save ? save() : imaging::ErrorDialogCancelled;
        if (!spool.isEmpty() && !window.oleImgEdit1().Image().isEmpty()) QFile::remove(spool);
        return result;
    };
}

}  // namespace

void installScanCommands(frmSample& window) {
    addScanEntries(window);
    addScanButton(window);
    imaging::ImgScan* scanner = window.frame().scanner();
    const bool available = scanner && scanner->ScannerAvailable();
    for (const char* name : {"mnuQuelle", "mnuScanPeferences", "mnuErfassen"})
        window.controls().setEnabled(QString::fromUtf8(name), available);
    if (scanner)
        QObject::connect(scanner, &imaging::ImgScan::pageScanned, &window, [&window, scanner](int page) {
            if (scanner->Destination == &window.oleImgEdit1()) ScanCommands(window).pageFinished(page);
        });
    dropSpoolWhenSaved(window, window.saveCommand);
    dropSpoolWhenSaved(window, window.saveAsCommand);
}

void offerUnsavedCaptures(Prompter& prompter, const std::function<frmSample*()>& newWindow) {
    for (const QString& spool : acquire::unsavedCaptures()) {
        const int count = acquire::pageCountOf(spool);
        const Prompter::Answer answer =
            count < 1 ? Prompter::Answer::No
                      : prompter.message(QStringLiteral("Es gibt eine nicht gespeicherte Erfassung mit %1 Seiten. "
                                                        "Wiederherstellen?")
                                             .arg(count),
                                         kAppTitle, Prompter::Buttons::YesNo, Prompter::Icon::Question);
        if (answer != Prompter::Answer::Yes) {
            QFile::remove(spool);
            continue;
        }
        frmSample* window = newWindow();
        imaging::oleImgEdit& edit = window->oleImgEdit1();
        edit.showUnsavedPages(spool);
        window->pages().Seitenzahl = std::int16_t(count);
        ScanCommands(*window).pageFinished(1);
        window->runSaveAsCommand();
        window->Bild_vorhanden();
    }
}

}  // namespace palvenor
