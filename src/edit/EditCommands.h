#pragma once

namespace palvenor {

class frmSample;

// The clipboard commands on the drawn selection, undo of the page view's
// changes, new documents, and the commands not offered yet.
class EditCommands {
public:
    explicit EditCommands(frmSample& window) : w_(window) {}

    void mnuCopy_Click();
    void mnuCut_Click();
    void mnuPaste_Click();
    void mnuUndo_Click();
    // A new window with a blank document of page type k (1..7).
    void mnuNeu_Click(int k);
    void notAvailable();

private:
    frmSample& w_;
};

}  // namespace palvenor
