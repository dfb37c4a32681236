#pragma once

namespace palvenor {

class OcrService;
class frmSample;

// Attaches the commands of the editing and recognition subsystems to a new
// document window's menus and hooks.
void attachDocumentCommands(frmSample& window, OcrService& ocr);

}  // namespace palvenor
