#include "SaveCommands.h"

#include "FrameLink.h"
#include "Navigation.h"
#include "OpenRequest.h"
#include "Prompter.h"
#include "frmSample.h"

#include <algorithm>

namespace palvenor {

namespace {

struct FileKind {
    int fileType;
    QString testedExtension;  // empty: the name is taken as it is
    QString appendedExtension;
};

FileKind kindOfFilter(int filterIndex) {
    if (filterIndex == 1) return {imaging::FileTypeTiff, QStringLiteral(".TIF"), QStringLiteral(".tif")};
    if (filterIndex == 2) return {imaging::FileTypeBmp, QStringLiteral(".BMP"), QStringLiteral(".bmp")};
    return {imaging::FileTypeUnknown, QString(), QString()};
}

// The name with the extension of its file type. A name ending otherwise
// loses its own extension first: when the last four characters of the file
// name hold a dot, the file name is cut before its first dot. Dots in the
// folders are left alone.
QString withExtension(QString name, const FileKind& kind) {
    if (kind.testedExtension.isEmpty()) return name;
    if (name.right(4).toUpper() == kind.testedExtension) return name;
    const qsizetype nameStart = folderOf(name).size();
    const qsizetype tailStart = std::max(nameStart, name.size() - 4);
    if (name.indexOf(QLatin1Char('.'), tailStart) >= 0)
        name.truncate(name.indexOf(QLatin1Char('.'), nameStart));
    return name + kind.appendedExtension;
}

}  // namespace

QString SaveCommands::saveFilter() {
    return QStringLiteral("TIFF-Dateien (*.tif);;Windows Bitmap (*.bmp)");
}

int SaveCommands::mnuSave_Click() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (edit.Image().isEmpty()) return mnuSaveAs_Click();
    edit.Save();
    if (edit.StatusCode() != 0) {
        reportStatus();
        return 0;
    }
    w_.frame().ZuletztHinzufuegen(edit.Image());
    w_.pages().Geaendert = false;
    return 0;
}

int SaveCommands::mnuSaveAs_Click() {
    imaging::oleImgAdmin& admin = w_.oleImgAdmin1();
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    admin.Filter = saveFilter();
    int filterIndex = admin.FilterIndex;
    const QString chosen = chooseTarget(&filterIndex);
    if (chosen.isEmpty()) return imaging::ErrorDialogCancelled;
    if (chosen == edit.Image())
        edit.Save();
    else
        saveUnderNewName(chosen, filterIndex);
    admin.FilterIndex = 0;
    admin.Filter.clear();
    if (edit.StatusCode() != 0)
        reportStatus();
    else
        w_.pages().Geaendert = false;
    return 0;
}

// Page i is written from the shown page, so the resaving stops where the
// user cancels the save question of a page turn: it never writes one page
// over another.
void SaveCommands::mnuResave_Click() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (edit.Image().isEmpty()) return;
    Navigation navigation = w_.navigation();
    navigation.firstPage();
    if (edit.Page() != 1) return;
    const int count = edit.PageCount();
    for (int i = 1; i <= count; ++i) {
        edit.SavePage(edit.Image(), edit.FileType(), i);
        if (i == edit.PageCount()) break;
        navigation.nextPage();
        if (edit.Page() != i + 1) return;
    }
    navigation.firstPage();
}

void SaveCommands::saveUnderNewName(const QString& chosen, int filterIndex) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    const FileKind kind = kindOfFilter(filterIndex);
    const QString name = withExtension(chosen, kind);
    const QString book = edit.Image();
    const int page = edit.Page();
    const int pageCount = edit.PageCount();
    edit.SaveAs(name, kind.fileType);
    if (edit.StatusCode() != 0) return;
    w_.frame().ZuletztHinzufuegen(name);
    takeSavedName(name);
    if (kind.fileType == imaging::FileTypeBmp) takeBitmap(name, book, page, pageCount);
}

// A bitmap holds one page: the shown one went into it, and it is the
// window's one-page document now. The user learns that the other pages
// stayed in the book only.
void SaveCommands::takeBitmap(const QString& bitmap, const QString& book, int page, int pageCount) {
    w_.oleImgEdit1().setPage(1);
    w_.pages().Seitenzahl = 1;
    w_.refreshPageFields(1);
    w_.Bild_vorhanden();
    if (pageCount < 2 || book.isEmpty()) return;
    w_.prompter().inform(QStringLiteral("Eine Windows-Bitmap nimmt nur eine Seite auf.\n"
                                        "In die Datei %1 wurde nur die angezeigte Seite %2 geschrieben.\n"
                                        "Das Buch %3 mit seinen %4 Seiten bleibt unverändert.")
                             .arg(bitmap)
                             .arg(page)
                             .arg(book)
                             .arg(pageCount),
                         kAppTitle);
}

// The target: the record's request when it names one (a new scanned book),
// otherwise the name the user picks; empty when the dialog is cancelled.
QString SaveCommands::chooseTarget(int* filterIndex) {
    imaging::oleImgAdmin& admin = w_.oleImgAdmin1();
    const QString request = w_.entry().Anforderung;
    if (isGiven(request)) {
        const QString last4 = request.right(4).toUpper();
        if (last4 == QStringLiteral(".TIF")) *filterIndex = 1;
        if (last4 == QStringLiteral(".BMP")) *filterIndex = 2;
        return request;
    }
    if (admin.ShowFileDialog(imaging::oleImgAdmin::SaveDialog, w_.prompter(), w_.dialogFolder()) ==
        imaging::ErrorDialogCancelled)
        return QString();
    *filterIndex = admin.FilterIndex;
    return admin.Image();
}

// The saved file becomes the window's document.
void SaveCommands::takeSavedName(const QString& name) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    const int page = edit.Page();
    edit.setImage(name);
    edit.setPage(page);
    if (QAction* current = qobject_cast<QAction*>(w_.controls().find(QStringLiteral("mnuAktuell"))))
        current->setText(name);
    const QString display = fileNameOf(name);
    w_.setWindowTitle(QStringLiteral("Palvenor - ") + display);
    w_.entry().Name = display;
    w_.entry().Pfad = name;
    w_.entry().Ordner = folderOf(name);
    w_.frame().setTabCaption(w_.Tag(), QString::number(w_.Tag()) + QStringLiteral(": ") +
                                           ErsterGross(display.section(QLatin1Char('.'), 0, 0)));
    w_.oleImgThumbnail1().setImage(name);
    w_.oleImgAdmin1().setImage(name);
}

void SaveCommands::reportStatus() {
    w_.prompter().critical(failureText(w_.oleImgEdit1().lastError()), kAppTitle);
}

}  // namespace palvenor
