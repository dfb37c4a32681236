#pragma once

namespace palvenor {

class frmSample;

// What happens when the user closes a document window, before it goes: the
// save prompt, and for a program run that was started to take in a new scan
// ("NEU:" followed by the scan file), the question whether to delete that file.
// Returns false when the window is to stay open.
bool mayCloseWindow(frmSample& window);

}  // namespace palvenor
