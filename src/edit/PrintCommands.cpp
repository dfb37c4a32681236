#include "PrintCommands.h"

#include "AnnotationLayer.h"
#include "AnnotationTag.h"
#include "ImageFile.h"
#include "Prompter.h"
#include "frmSample.h"

#include <QCheckBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

namespace palvenor {

namespace {

// Holds a window's printer set-up for as long as the window lives.
class PrinterHolder : public QObject {
public:
    explicit PrinterHolder(QObject* window) : QObject(window) { setObjectName(QStringLiteral("printerSetUp")); }
    QPrinter printer;
};

QImage printedPicture(const imaging::ImageFile& file, int page, bool annotations, imaging::ImagingError* error) {
    QImage picture = file.readPage(page, error);
    if (picture.isNull() || !annotations) return picture;
    const auto items = imaging::decodeAnnotations(file.annotationData(page));
    return items && !items->empty() ? imaging::burnIn(picture, *items, false) : picture;
}

// The picture as large as the paper's printable area allows, centred.
void paintFitted(QPainter& painter, const QImage& picture, const QRect& paper) {
    QSize size = picture.size();
    size.scale(paper.size(), Qt::KeepAspectRatio);
    const QRect target(paper.x() + (paper.width() - size.width()) / 2,
                       paper.y() + (paper.height() - size.height()) / 2, size.width(), size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
}

}  // namespace

imaging::ImagingError printPages(QPrinter& printer, const QString& book, int start, int end, bool annotations) {
    imaging::ImagingError error;
    const std::unique_ptr<imaging::ImageFile> file = imaging::ImageFile::open(book, &error);
    if (!file) return error;
    if (start < 1 || end > file->pageCount() || start > end)
        return {imaging::StatusBadPageNumber, QStringLiteral("Diese Seiten gibt es in der Datei nicht.")};
    QPainter painter;
    if (!painter.begin(&printer))
        return {imaging::StatusWriteFailed, QStringLiteral("Der Drucker kann nicht benutzt werden.")};
    const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution()).translated(
        -printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
    for (int page = start; page <= end; ++page) {
        const QImage picture = printedPicture(*file, page, annotations, &error);
        if (picture.isNull()) break;
        if (page > start) printer.newPage();
        paintFitted(painter, picture, paper);
    }
    painter.end();
    return error;
}

QPrinter& PrintCommands::printerOf(frmSample& window) {
    auto* holder = window.findChild<PrinterHolder*>(QStringLiteral("printerSetUp"), Qt::FindDirectChildrenOnly);
    if (!holder) holder = new PrinterHolder(&window);
    return holder->printer;
}

// The stored file is printed: changes in the window are offered for saving
// first. The dialog chooses the pages and whether annotations are printed.
void PrintCommands::mnuPrint_Click() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (edit.ImageModified() || w_.pages().Geaendert) {
        const auto answer = w_.prompter().message(
            QStringLiteral("Die Datei muß erst gespeichert werden, bevor Änderungen gedruckt werden können. "
                           "Jetzt speichern ?"),
            kAppTitle, Prompter::Buttons::YesNo, Prompter::Icon::Question);
        if (answer == Prompter::Answer::Yes) {
            w_.runSaveCommand();
            w_.pages().Geaendert = false;
        }
    }
    QPrinter& printer = printerOf(w_);
    QPrintDialog dialog(&printer, &w_);
    dialog.setMinMax(1, edit.PageCount());
    dialog.setFromTo(1, edit.PageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    auto* annotations = new QCheckBox(QStringLiteral("Anmerkungen drucken"));
    annotations->setObjectName(QStringLiteral("PrintAnnotations"));
    annotations->setChecked(true);
    annotations->setWindowTitle(QStringLiteral("Anmerkungen"));
    dialog.setOptionTabs({annotations});
    if (w_.prompter().execDialog(dialog) != QDialog::Accepted) return;
    const bool range = printer.printRange() == QPrinter::PageRange;
    const int start = range ? printer.fromPage() : 1;
    const int end = range ? printer.toPage() : edit.PageCount();
    const imaging::ImagingError error = printPages(printer, edit.Image(), start, end, annotations->isChecked());
    if (!error.ok()) w_.prompter().critical(failureText(error), kAppTitle);
}

void PrintCommands::mnuPrintPage_Click() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    QPrinter& printer = printerOf(w_);
    printer.setPrintRange(QPrinter::AllPages);
    const imaging::ImagingError error = printPages(printer, edit.Image(), edit.Page(), edit.Page(), true);
    if (!error.ok()) w_.prompter().critical(QStringLiteral("Pos.7 ") + failureText(error), kAppTitle);
}

}  // namespace palvenor
