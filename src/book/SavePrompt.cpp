#include "SavePrompt.h"

#include "Prompter.h"
#include "frmSample.h"

namespace palvenor {

bool askToSave(frmSample& window) {
    if (!window.oleImgEdit1().ImageModified() && !window.pages().Geaendert) return true;
    const auto answer = window.prompter().message(QString::fromUtf8(kSaveQuestion), kAppTitle,
                                                  Prompter::Buttons::YesNoCancel,
                                                  Prompter::Icon::Question);
    if (answer == Prompter::Answer::Cancel) return false;
    if (answer == Prompter::Answer::No) return true;
    if (window.runSaveCommand() == imaging::ErrorDialogCancelled) return false;
    window.pages().Geaendert = false;
    return true;
}

}  // namespace palvenor
