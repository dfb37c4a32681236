#pragma once

namespace palvenor {

class frmSample;

// Adds the "&Bearbeiten" menu (undo, clipboard, page transforms), the new
// document and print entries of "&Datei", the grey-scale display of
// "&Ansicht", and the buttons `links`, `rechts`, `Zuschnitt` and `druck`.
void installPageTransformCommands(frmSample& window);

}  // namespace palvenor
