#pragma once

#include <QString>

#include <span>

namespace palvenor {

class frmSample;

// One annotation tool as the window offers it: its entry in the annotation
// menu, its option button in the annotation tool bar, the number the page
// view's SelectTool takes and the number of its attribute dialog.
struct AnnotationToolEntry {
    const char* menuName;
    const char* caption;
    const char* buttonName;  // nullptr: the entry has no button
    const char* buttonText;
    const char* tip;
    int tool;        // kChooseStamp: the stamp chooser instead of SelectTool
    int attributes;  // 0: no attribute dialog
};

inline constexpr int kChooseStamp = -1;

std::span<const AnnotationToolEntry> annotationTools();

// The annotation menu and tool bar: choosing a tool, the hand and marking
// modes, the tool attributes, deleting, hiding and fixing annotations and
// the picture annotations.
class AnnotationCommands {
public:
    explicit AnnotationCommands(frmSample& window) : w_(window) {}

    // A menu entry or its option button.
    void chooseTool(const AnnotationToolEntry& entry);
    void noTool();
    // The option buttons `hand` and `mark`.
    void handMode();
    void markMode();
    // A right click on a tool's option button.
    void showToolAttributes(int attributes);
    // The button `loesch`.
    void deleteMarked();
    // mnuBurnIn and mnuBurnInSel: fixes the annotations into the page, then saves.
    void burnIn(int option);
    // mnuHideAnnotation.
    void toggleHidden();
    // `bildein` and `bildref`: a picture annotation of a file the user picks.
    void insertPicture(int type);

    // The tag of `loesch`: the number of the chosen tool, as text.
    static QString deleteTag(frmSample& window);
    static void setDeleteTag(frmSample& window, const QString& tag);

private:
    frmSample& w_;
};

}  // namespace palvenor
