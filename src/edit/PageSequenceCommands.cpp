#include "PageSequenceCommands.h"

#include "BookChanges.h"
#include "FrameLink.h"
#include "ImageFile.h"
#include "ImgScan.h"
#include "Navigation.h"
#include "Picbuf.h"
#include "ProgramTemp.h"
#include "Prompter.h"
#include "SavePrompt.h"
#include "ZoomCommands.h"
#include "frmSample.h"

#include <QCoreApplication>

namespace palvenor {

namespace {

// New pages are stored as black-and-white CCITT G4 pages.
constexpr int kG4 = imaging::oleImgAdmin::BlackAndWhiteG4;
constexpr int kG4Info = 26;

const QString kNoClipboardPicture = QStringLiteral("Die Zwischenablage enthält kein Bild.");

// A picture for the page operations in the temporary bitmap. One that
// cannot be written leaves no file behind, so the page operation reads no
// older picture and reports the failure.
void writeTempPicture(Picbuf& picture) {
    picture.FileName = tempPictureFile();
    picture.Save();
}

}  // namespace

// The open dialog for a source file. The administration control names the
// book again afterwards whatever the user chose, so no later page operation
// can go into the source instead of the book.
std::optional<PageSequenceCommands::SourceFile> PageSequenceCommands::chooseSourceFile() {
    imaging::oleImgAdmin& admin = w_.oleImgAdmin1();
    const QString book = admin.Image();
    if (admin.ShowFileDialog(imaging::oleImgAdmin::OpenDialog, w_.prompter(), w_.dialogFolder()) != 0)
        return std::nullopt;
    const QString chosen = admin.Image();
    imaging::ImagingError error = admin.lastError();
    admin.setImage(book);
    std::unique_ptr<imaging::ImageFile> file;
    if (error.ok()) file = imaging::ImageFile::open(chosen, &error);
    if (!file) {
        reportFailure(w_, error);
        return std::nullopt;
    }
    return SourceFile{chosen, file->pageCount(), file->pageInfo(1).pageType};
}

// The clipboard's picture, reduced to black and white unless it is so
// already, in the temporary bitmap.
bool PageSequenceCommands::clipboardToTempPicture() {
    Picbuf picture;
    if (!picture.PasteFromClipboard()) {
        w_.prompter().inform(kNoClipboardPicture, kAppTitle);
        return false;
    }
    if (picture.ImageKind() > 1) picture.ConvertToBlackAndWhite(false);
    writeTempPicture(picture);
    return true;
}

// The new pages take the shown page's number; it and the pages after it
// move back. The first new page is shown under the same number, so a change
// to the shown page is saved first or given up knowingly.
void PageSequenceCommands::insert(const QString& source, int count, const QString& position) {
    if (!askToSave(w_)) return;
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    const imaging::ImagingError error = w_.oleImgAdmin1().Insert(source, 1, count, edit.Page(), kG4, kG4Info);
    if (!error.ok()) {
        reportAtPosition(w_, position, error);
        return;
    }
    takeChangedBook(w_);
    followPageArrows(w_);
    edit.Display();
}

void PageSequenceCommands::mnuInsertFile_Click() {
    if (const std::optional<SourceFile> source = chooseSourceFile())
        insert(source->path, source->pageCount, QStringLiteral("Pos.5 "));
}

void PageSequenceCommands::mnuInsertClip_Click() {
    if (clipboardToTempPicture()) insert(tempPictureFile(), 1, QStringLiteral("Pos.4 "));
}

void PageSequenceCommands::mnuInsertLeer_Click() {
    Picbuf blank;
    blank.CreateBlank(100, 100);
    writeTempPicture(blank);
    insert(tempPictureFile(), 1, QStringLiteral("Pos.6 "));
}

// After an append the view moves one page on from where it was, not to the
// new last page.
void PageSequenceCommands::appended(const imaging::ImagingError& error, const QString& position) {
    if (!error.ok()) {
        reportAtPosition(w_, position, error);
        return;
    }
    takeChangedBook(w_);
    w_.controls().setEnabled(QStringLiteral("vor"), true);
    w_.navigation().nextPage();
}

// Black-and-white pages are appended as G4; pages of every other type
// keep their own compression.
void PageSequenceCommands::mnuAppendFile_Click() {
    const std::optional<SourceFile> source = chooseSourceFile();
    if (!source) return;
    const int compression = source->pageType == imaging::PageTypeBlackWhite ? kG4 : imaging::oleImgAdmin::OwnCompression;
    appended(w_.oleImgAdmin1().Append(source->path, 1, source->pageCount, compression, kG4Info),
             QStringLiteral("Pos.3 "));
}

void PageSequenceCommands::mnuAppendClip_Click() {
    if (!clipboardToTempPicture()) return;
    QCoreApplication::processEvents();
    appended(w_.oleImgAdmin1().Append(tempPictureFile(), 1, 1, kG4, kG4Info), QStringLiteral("Pos.2 "));
}

void PageSequenceCommands::ReplacePageFromFile(const QString& source) {
    SourceFile replacement{source, 1};
    if (source.isEmpty()) {
        const std::optional<SourceFile> chosen = chooseSourceFile();
        if (!chosen) return;
        replacement = *chosen;
    }
    const imaging::ImagingError error = replaceShownPage(replacement.path, replacement.pageCount);
    followPageArrows(w_);
    if (!error.ok()) reportAtPosition(w_, QStringLiteral("Pos.8 "), error);
}

// The source's pages over the shown page and those after it; the view shows
// what the book holds afterwards under the same page number.
imaging::ImagingError PageSequenceCommands::replaceShownPage(const QString& source, int count) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    const int page = edit.Page();
    edit.ClearDisplay();
    const imaging::ImagingError error = w_.oleImgAdmin1().Replace(source, 1, count, page, kG4, kG4Info);
    takeChangedBook(w_);
    edit.Display();
    return error;
}

// The clipboard's picture in place of the shown page, black and white
// written as CCITT G4 as saving the page would write it.
void PageSequenceCommands::mnuRescanClip_Click() {
    if (!clipboardToTempPicture()) return;
    imaging::ImagingError error;
    {
        const PleaseWait wait(w_);
        error = replaceShownPage(tempPictureFile(), 1);
    }
    if (!error.ok()) reportFailure(w_, error);
}

bool PageSequenceCommands::scannerReady() {
    imaging::ImgScan* scanner = w_.frame().scanner();
    if (scanner && scanner->ScannerAvailable()) return true;
    w_.prompter().message(imaging::kNoScannerMessage, kAppTitle, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
    return false;
}

// Scanned pages go into the book's file, many per run, after the source's
// own set-up dialog.
void PageSequenceCommands::aimScanner(int pageOption, int page, int destination) {
    imaging::ImgScan& scanner = *w_.frame().scanner();
    scanner.PageOption = pageOption;
    scanner.Image = w_.oleImgEdit1().Image();
    scanner.Page = page;
    scanner.DestImageControl = destination;
    scanner.Destination = &w_.oleImgEdit1();
    scanner.MultiPage = true;
    scanner.ShowSetupBeforeScan = true;
}

void PageSequenceCommands::mnuInsertTwain_Click() {
    if (!scannerReady()) return;
    imaging::ImgScan& scanner = *w_.frame().scanner();
    aimScanner(imaging::ImgScan::PageInsert, w_.oleImgEdit1().Page(), 1);
    if (scanner.OpenScanner() == 0) {
        scanner.ScanToTarget();
        ZoomCommands(w_).fit(ZoomCommands::BestFit);
    }
    scanner.CloseScanner();
}

// While the scan appends, neither the entry nor the scan button can start
// a second one.
void PageSequenceCommands::mnuAppendTwain_Click() {
    if (!scannerReady()) return;
    imaging::ImgScan& scanner = *w_.frame().scanner();
    w_.navigation().lastPage();
    constexpr const char* starters[] = {"AddScan", "mnuAppendTwain"};
    w_.controls().setAllEnabled(starters, false);
    aimScanner(imaging::ImgScan::PageAppend, 0, w_.oleImgEdit1().Image().isEmpty() ? 0 : 1);
    if (scanner.OpenScanner() == 0) {
        scanner.ScanToTarget();
        QCoreApplication::processEvents();
        ZoomCommands(w_).fit(ZoomCommands::BestFit);
    }
    w_.controls().setAllEnabled(starters, true);
    scanner.CloseScanner();
}

void PageSequenceCommands::mnuRescanTwain_Click() {
    if (!scannerReady()) return;
    aimScanner(imaging::ImgScan::PageOverwrite, w_.oleImgEdit1().Page(), 1);
    w_.frame().scanner()->StartScan();
    w_.oleImgThumbnail1().setImage(w_.oleImgAdmin1().Image());
}

}  // namespace palvenor
