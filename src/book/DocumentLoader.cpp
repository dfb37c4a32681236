#include "DocumentLoader.h"

#include "AnnotationCommands.h"
#include "FrameLink.h"
#include "ImgScan.h"
#include "Navigation.h"
#include "Numeric.h"
#include "OpenRequest.h"
#include "PageMouse.h"
#include "Prompter.h"
#include "SavePrompt.h"
#include "ViewModes.h"
#include "ZoomCommands.h"
#include "frmSample.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace palvenor {

namespace {

constexpr const char* kDocumentCommands[] = {
    "mnuTrimPage", "mnuTrimPage180", "mnuSaveAs", "mnuSave", "mnuPrint", "mnuEdit", "mnuSend",
    "mnuView", "mnuCopyPage", "mnuDeletePage", "mnuDrag", "mnuToolbar", "mnuOptions", "mnuAppend",
    "mnuInsert", "mnuRescan", "mnuPage", "mnuZoom", "mnuAnnotation", "seite", "buchseite",
    "Zuschnitt", "rechts", "links", "gross", "klein", "speichern", "druck", "AddScan", "bildein",
    "bildref", "hand", "zeiger", "freihand", "high", "linie", "rechtoffen", "rechtvoll",
    "bemerkung", "notiz", "dtext", "stempel", "mark", "Command1", "mnuVersatz"};

constexpr const char* kNavigationCommands[] = {"mnuBack", "mnuFirst", "mnuGoTo", "mnuLast",
                                               "mnuNext", "mnuPrevious", "rueck", "vor"};

// The trimming commands follow the selection instead; the entries not
// offered yet are opened too, so that they can say so.
constexpr const char* kShownDocumentCommands[] = {
    "mnuSaveAs", "mnuSave", "mnuPrint", "mnuEdit", "mnuView", "mnuPage", "mnuZoom",
    "mnuAnnotation", "mnuDeletePage", "mnuSend", "mnuCopyPage", "mnuDrag", "mnuToolbar", "mnuOptions", "seite",
    "buchseite", "rechts", "links", "gross", "klein", "speichern", "druck", "AddScan", "hand",
    "zeiger", "freihand", "high", "linie", "rechtoffen", "rechtvoll", "bemerkung", "notiz",
    "dtext", "stempel", "bildein", "bildref", "mark", "mnuRescan", "mnuAppend", "mnuInsert", "Command1", "mnuVersatz",
    "mnuBookOcr", "mnuOcrPdf", "mnuOcrAlto"};

constexpr const char* kViewModeButtons[] = {"einzeln", "kombination", "album"};

constexpr int kConverterTimeoutMs = 120000;

// The name of the converted copy: the fax file's name up to and including
// the dot of its first ".awd", followed by "tif".
QString convertedName(const QString& awdFile) {
    const qsizetype dot = awdFile.indexOf(QStringLiteral(".awd"), 0, Qt::CaseInsensitive);
    return awdFile.left(dot + 1) + QStringLiteral("tif");
}

}  // namespace

QString awdConverterCommand() {
    QString command = qEnvironmentVariable("PALVENOR_AWD_CONVERTER");
    if (command.isEmpty()) command = QStringLiteral("AWDVSTUB.EXE");
    if (QFileInfo(command).isAbsolute()) return QFileInfo(command).isExecutable() ? command : QString();
    return QStandardPaths::findExecutable(command);
}

void DocumentLoader::setUpWindow() {
    ControlSet& c = w_.controls();
    c.setAllEnabled(kDocumentCommands, false);
    c.setAllEnabled(kNavigationCommands, false);
    imaging::ImgScan* scanner = w_.frame().scanner();
    const bool scannerAvailable = scanner && scanner->ScannerAvailable();
    c.setEnabled(QStringLiteral("mnuQuelle"), scannerAvailable);
    c.setEnabled(QStringLiteral("mnuErfassen"), scannerAvailable);
}

void DocumentLoader::Bild_vorhanden() {
    ControlSet& c = w_.controls();
    c.setAllEnabled(kShownDocumentCommands, true);
    setSelectionPresent(w_, w_.selectionPresent);
    if (!isGiven(w_.oleImgEdit1().Image())) return;
    if (w_.oleImgEdit1().PageCount() >= 2) {
        c.setAllEnabled(kNavigationCommands, true);
        Navigation(w_).showPageArrows();
        c.setAllEnabled(kViewModeButtons, true);
        bool anyMarked = false;
        for (const char* name : kViewModeButtons) anyMarked |= c.isChecked(QString::fromUtf8(name));
        if (!anyMarked) showOnePage();
    } else {
        c.setAllEnabled(kNavigationCommands, false);
        showOnePage();
        c.setAllEnabled(kViewModeButtons, false);
    }
}

// Marks the option button `einzeln` and uses its layout, as a click does.
void DocumentLoader::showOnePage() {
    w_.controls().setChecked(QStringLiteral("einzeln"), true);
    ViewModes(w_).show(ViewModes::OnePage);
}

void DocumentLoader::Neustart(int typ) {
    if (!askToSave(w_)) return;
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    edit.DisplayBlankImage(500, 400, 200, 200, typ);
    edit.setImage(QString());
    w_.runSaveAsCommand();
    w_.pages().Geaendert = false;
    w_.oleImgThumbnail1().setImage(edit.Image());
    AnnotationCommands(w_).noTool();
    Bild_vorhanden();
    w_.pages().setBuchseiteField(QStringLiteral("1"));
    w_.showPageFields();
    w_.controls().setAllEnabled(kNavigationCommands, false);
}

void DocumentLoader::oeffnen() {
    const QString request = w_.entry().Anforderung;
    const QString path = isGiven(request) ? OpenRequest::parse(request).path : QString();
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (!isGiven(request) || edit.Image() != path) {
        imaging::oleImgAdmin& admin = w_.oleImgAdmin1();
        admin.DialogFlags = 0;
        admin.Filter.clear();
        if (!isGiven(request) && !askToSave(w_)) return;
        if (!chooseFile(request, path)) return;
        if (admin.StatusCode() != 0) {
            showFailure(admin.lastError());
            return;
        }
        const QString previousImage = edit.Image();
        const int previousPage = edit.Page();
        takeFile();
        if (edit.StatusCode() != 0) {
            showFailure(edit.lastError());
            edit.setImage(previousImage);
            edit.setPage(previousPage);
            w_.oleImgThumbnail1().setImage(previousImage);
            return;
        }
        if (!edit.lastError().description.isEmpty()) w_.prompter().inform(edit.lastError().description, kAppTitle);
        w_.frame().ZuletztHinzufuegen(edit.Image());
    }
    showRequestedPage(request);
}

// Names the file to open in the administration control: the request's file
// when it exists, else the one the user picks. False when nothing is to be
// opened (dialog cancelled, fax conversion failed).
bool DocumentLoader::chooseFile(const QString& request, const QString& path) {
    imaging::oleImgAdmin& admin = w_.oleImgAdmin1();
    if (isGiven(request) && QFileInfo::exists(path)) {
        admin.setImage(path);
    } else {
        if (isGiven(request) && !request.startsWith(QStringLiteral("NEU:")))
            w_.prompter().inform(QStringLiteral("Die Datei ") + path +
                                     QStringLiteral(" wurde nicht gefunden."),
                                 kAppTitle);
        const QString folder = isGiven(request) ? folderOf(path) : w_.frame().dialogFolder();
        if (admin.ShowFileDialog(imaging::oleImgAdmin::OpenDialog, w_.prompter(), folder) ==
            imaging::ErrorDialogCancelled)
            return false;
    }
    const QString chosen = admin.Image();
    if (chosen.right(4).toUpper() == QStringLiteral(".AWD")) {
        const std::optional<QString> tiff = convertedFaxFile(chosen);
        if (!tiff) return false;
        admin.setImage(*tiff);
    }
    return true;
}

// The TIFF copy of a fax file, converted by the outside converter unless a
// TIFF file of that name is there already.
std::optional<QString> DocumentLoader::convertedFaxFile(const QString& awdFile) {
    const QString tiff = convertedName(awdFile);
    if (QFileInfo::exists(tiff)) return tiff;
    const QString converter = awdConverterCommand();
    if (converter.isEmpty()) {
        w_.prompter().critical(
            QStringLiteral("Das Umwandlungsprogramm AWDVSTUB.EXE für Faxdateien wurde nicht "
                           "gefunden.\nDie Datei ") +
                awdFile + QStringLiteral(" kann nicht geöffnet werden."),
            kAppTitle);
        return std::nullopt;
    }
    QProcess process;
    process.start(converter, {QStringLiteral("/c"), awdFile, tiff});
    const bool finished = process.waitForStarted() && process.waitForFinished(kConverterTimeoutMs);
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        !QFileInfo(tiff).isFile()) {
        if (process.state() != QProcess::NotRunning) process.kill();
        w_.prompter().critical(QStringLiteral("Die Faxdatei ") + awdFile +
                                   QStringLiteral(" konnte nicht umgewandelt werden."),
                               kAppTitle);
        return std::nullopt;
    }
    return tiff;
}

// The chosen file becomes the window's document.
void DocumentLoader::takeFile() {
    const QString file = w_.oleImgAdmin1().Image();
    DokumentEintrag& entry = w_.entry();
    entry.Pfad = file;
    entry.Ordner = folderOf(file);
    w_.oleImgEdit1().setImage(file);
    if (QAction* current = qobject_cast<QAction*>(w_.controls().find(QStringLiteral("mnuAktuell"))))
        current->setText(file);
    entry.Name = fileNameOf(file);
    w_.setWindowTitle(QStringLiteral("Palvenor - ") + entry.Name);
    w_.frame().setTabCaption(w_.Tag(), entry.Name.section(QLatin1Char('.'), 0, 0));
    w_.oleImgThumbnail1().setImage(file);
}

void DocumentLoader::showRequestedPage(const QString& request) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    PageModel& pages = w_.pages();
    pages.resetPagination();
    const std::optional<QString> requestedPage = OpenRequest::parse(request).page;
    QString page = QStringLiteral("1");
    w_.entry().Anforderung.clear();
    if (requestedPage) {
        const double value = numericValue(*requestedPage);
        if (value >= 1 && value <= edit.PageCount()) page = *requestedPage;
        w_.showDoublePages(true);
        QCoreApplication::processEvents();
        edit.FitTo(imaging::oleImgEdit::FitToHeight);
    }
    edit.setPage(int16Value(page));
    edit.Display();
    if (edit.StatusCode() != 0) showFailure(edit.lastError());
    w_.refreshPageFields(edit.Page());
    pages.VorigeSeite = toInt16(edit.Page());  // Back stays on the first shown page
    pages.Seitenzahl = toInt16(edit.PageCount());
    w_.oleImgThumbnail1().setThumbSelected(1, true);
    AnnotationCommands(w_).noTool();
    edit.setDisplayScaleAlgorithm(w_.controls().isChecked(QStringLiteral("mnuScaleToGray"))
                                      ? imaging::oleImgEdit::ScaleGray
                                      : imaging::oleImgEdit::ScaleCrisp);
    edit.Refresh();
    Bild_vorhanden();
    QCoreApplication::processEvents();
    AnnotationCommands(w_).markMode();
    ZoomCommands(w_).fit(ZoomCommands::BestFit);
}

void DocumentLoader::showFailure(const imaging::ImagingError& error) {
    w_.prompter().critical(imaging::failureText(error), kAppTitle);
}

}  // namespace palvenor
