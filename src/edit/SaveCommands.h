#pragma once

#include <QString>

namespace palvenor {

class frmSample;

// Saving a document: the shown page back into its own file, or the whole
// document under a new name and file type.
class SaveCommands {
public:
    explicit SaveCommands(frmSample& window) : w_(window) {}

    // Returns 0, or the error number of a cancelled save dialog.
    int mnuSave_Click();
    int mnuSaveAs_Click();

    // The save dialog's filter, without the fax type on this platform.
    static QString saveFilter();

private:
    QString chooseTarget(int* filterIndex);
    void takeSavedName(const QString& name);
    void reportStatus();

    frmSample& w_;
};

}  // namespace palvenor
