#include "EditCommands.h"

#include "FrameLink.h"
#include "PageMouse.h"
#include "Prompter.h"
#include "frmSample.h"

namespace palvenor {

void EditCommands::mnuCopy_Click() {
    if (w_.selectionPresent) w_.oleImgEdit1().ClipboardCopy();
}

void EditCommands::mnuCut_Click() {
    if (w_.selectionPresent) w_.oleImgEdit1().ClipboardCut();
}

void EditCommands::mnuPaste_Click() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (!edit.IsClipboardDataAvailable()) return;
    edit.ClipboardPaste();
    setSelectionPresent(w_, false);
}

void EditCommands::mnuUndo_Click() {
    const int error = w_.oleImgEdit1().Undo();
    if (error == 0) return;
    const QString text = error == imaging::oleImgEdit::ErrorNothingToUndo
                             ? QStringLiteral("Die Operation kann nicht rückgängig gemacht werden")
                             : QStringLiteral("Pos.9 ") + QString::number(error);
    w_.prompter().message(text, kAppTitle, Prompter::Buttons::Ok, Prompter::Icon::None);
}

void EditCommands::mnuNeu_Click(int k) { w_.frame().Neustart(k); }

void EditCommands::notAvailable() {
    w_.prompter().message(QStringLiteral("Funktion noch nicht verfügbar"), kAppTitle, Prompter::Buttons::Ok,
                          Prompter::Icon::None);
}

}  // namespace palvenor
