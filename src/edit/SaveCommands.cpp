#include "SaveCommands.h"

#include "FrameLink.h"
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
    if (chosen == edit.Image()) {
        edit.Save();
    } else {
        const FileKind kind = kindOfFilter(filterIndex);
        const QString name = withExtension(chosen, kind);
        edit.SaveAs(name, kind.fileType);
        if (edit.StatusCode() == 0) {
            w_.frame().ZuletztHinzufuegen(name);
            takeSavedName(name);
        }
    }
    admin.FilterIndex = 0;
    admin.Filter.clear();
    if (edit.StatusCode() != 0)
        reportStatus();
    else
        w_.pages().Geaendert = false;
    return 0;
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
    if (admin.ShowFileDialog(imaging::oleImgAdmin::SaveDialog, w_.prompter(),
                             w_.entry().Ordner) == imaging::ErrorDialogCancelled)
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
    w_.frame().setTabCaption(w_.Tag(), QString::number(w_.Tag()) + QStringLiteral(": ") +
                                           ErsterGross(display.section(QLatin1Char('.'), 0, 0)));
    w_.oleImgThumbnail1().setImage(name);
    w_.oleImgAdmin1().setImage(name);
}

void SaveCommands::reportStatus() {
    w_.prompter().critical(failureText(w_.oleImgEdit1().lastError()), kAppTitle);
}

}  // namespace palvenor
