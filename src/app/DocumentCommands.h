#pragma once

namespace palvenor {

class frmSample;

// Attaches the commands of the editing subsystems to a new document
// window's menus and hooks.
void attachDocumentCommands(frmSample& window);

}  // namespace palvenor
