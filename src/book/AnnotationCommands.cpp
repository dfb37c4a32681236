#include "AnnotationCommands.h"

#include "FrameLink.h"
#include "ImgAnnTool.h"
#include "PageMouse.h"
#include "Prompter.h"
#include "frmSample.h"

#include <array>

namespace palvenor {

namespace {

const std::array<AnnotationToolEntry, 11> kTools = {{
    {"mnuNoTool", "&Kein Werkzeug", nullptr, nullptr, nullptr, imaging::NoTool, 0},
    {"mnuSelectPointer", "&Zeiger", "zeiger", "Zeiger", "Anmerkung markieren", imaging::PointerTool, 0},
    {"mnuFreeHand", "&Freihandlinie", "freihand", "Freihand", "Freihandlinie", imaging::FreehandTool, 1},
    {"mnuHiLight", "Text&marker", "high", "Marker", "Textmarker", imaging::HighlighterTool, 2},
    {"mnuStraightLine", "&Gerade Linie", "linie", "Linie", "Gerade Linie", imaging::LineTool, 3},
    {"mnuHollowRect", "&Rahmen", "rechtoffen", "Rahmen", "Rahmen", imaging::FrameTool, 4},
    {"mnuFillRect", "Fl&äche", "rechtvoll", "Fläche", "Fläche", imaging::AreaTool, 5},
    {"mnuTypedText", "&Text", "bemerkung", "Text", "Text", imaging::TextTool, 6},
    {"mnuAttachNote", "&Notiz", "notiz", "Notiz", "Notiz", imaging::NoteTool, 7},
    {"mnuTextFromFile", "Te&xt aus Datei", "dtext", "Dateitext", "Text aus Datei", imaging::FileTextTool, 8},
    {"mnuStamp", "Stem&pel", "stempel", "Stempel", "Stempel", kChooseStamp, 9},
}};

const QString kDelete = QStringLiteral("loesch");

}  // namespace

std::span<const AnnotationToolEntry> annotationTools() { return kTools; }

void AnnotationCommands::chooseTool(const AnnotationToolEntry& entry) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (entry.tool == kChooseStamp)
        edit.ChooseStamp();
    else
        edit.SelectTool(entry.tool);
    ControlSet& c = w_.controls();
    for (const AnnotationToolEntry& other : kTools) c.setChecked(QString::fromUtf8(other.menuName), &other == &entry);
    if (entry.buttonName) c.setChecked(QString::fromUtf8(entry.buttonName), true);
    if (entry.tool == imaging::PointerTool) {
        setDeleteTag(w_, QStringLiteral("1"));
        c.setEnabled(kDelete, true);
    }
    if (entry.tool == imaging::NoTool) edit.setMousePointer(imaging::oleImgEdit::PointerMark);
}

void AnnotationCommands::noTool() { chooseTool(kTools.front()); }

void AnnotationCommands::handMode() {
    setSelectionPresent(w_, false);
    w_.oleImgEdit1().setSelectionRectangle(false);
    noTool();
    w_.oleImgEdit1().setMousePointer(imaging::oleImgEdit::PointerHand);
    w_.controls().setChecked(QStringLiteral("hand"), true);
}

void AnnotationCommands::markMode() {
    noTool();
    w_.oleImgEdit1().setSelectionRectangle(true);
    w_.controls().setChecked(QStringLiteral("mark"), true);
}

void AnnotationCommands::showToolAttributes(int attributes) { w_.oleImgEdit1().ShowToolAttributes(attributes); }

void AnnotationCommands::deleteMarked() {
    w_.oleImgEdit1().DeleteSelectedAnnotations();
    w_.controls().setEnabled(kDelete, false);
}

void AnnotationCommands::burnIn(int option) {
    w_.oleImgEdit1().BurnInAnnotations(option, imaging::oleImgEdit::BurnOwnColours);
    w_.runSaveCommand();
}

void AnnotationCommands::toggleHidden() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    const QString entry = QStringLiteral("mnuHideAnnotation");
    const bool hidden = w_.controls().isChecked(entry);
    if (hidden)
        edit.ShowAnnotations();
    else
        edit.HideAnnotations();
    edit.Refresh();
    w_.controls().setChecked(entry, !hidden);
}

void AnnotationCommands::insertPicture(int type) {
    imaging::oleImgAdmin& admin = w_.oleImgAdmin1();
    admin.OpenFor = imaging::oleImgAdmin::PictureFile;
    const int answer = admin.ShowFileDialog(imaging::oleImgAdmin::OpenDialog, w_.prompter(), w_.dialogFolder());
    admin.OpenFor = imaging::oleImgAdmin::BookFile;
    if (answer != 0) return;
    if (admin.StatusCode() != 0) {
        w_.prompter().critical(imaging::failureText(admin.lastError()), kAppTitle);
        return;
    }
    imaging::ImgAnnTool& tool = w_.ImgAnnTool1();
    tool.setAnnotationImage(admin.Image());
    tool.setAnnotationType(type);
    if (type == imaging::ImgAnnTool::EmbeddedPicture)
        tool.Draw(10, 10, 100, 100);
    else
        tool.Draw(10, 10);
}

QString AnnotationCommands::deleteTag(frmSample& window) {
    const QObject* button = window.controls().find(kDelete);
    return button ? button->property("Tag").toString() : QString();
}

void AnnotationCommands::setDeleteTag(frmSample& window, const QString& tag) {
    if (QObject* button = window.controls().find(kDelete)) button->setProperty("Tag", tag);
}

}  // namespace palvenor
