#pragma once

namespace palvenor {

class frmSample;

// Adds the page sequence commands to the window's "&Seite" menu (insert,
// append, read again, delete, restore, move) and the clipboard append
// button to its page bar.
void installPageSequenceCommands(frmSample& window);

}  // namespace palvenor
