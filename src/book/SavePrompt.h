#pragma once

namespace palvenor {

class frmSample;

inline constexpr const char* kSaveQuestion = "Sollen die Änderungen gespeichert werden?";

// Asks whether to save a modified document before the page or the document
// changes. Returns true when the command may go on: the document was not
// modified, the user said No, or Yes and the save went through. Cancel, or
// a save dialog the user cancelled, stops the command.
bool askToSave(frmSample& window);

}  // namespace palvenor
