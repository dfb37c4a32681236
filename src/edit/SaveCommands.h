#pragma once

#include <QString>

namespace palvenor {

class frmSample;

// Saving a document: the shown page back into its own file, the whole
// document under a new name and file type, or every page back in turn.
class SaveCommands {
public:
    explicit SaveCommands(frmSample& window) : w_(window) {}

    // Returns 0, or the error number of a cancelled save dialog.
    int mnuSave_Click();
    int mnuSaveAs_Click();
    void mnuResave_Click();

    // The save dialog's filter, without the fax type on this platform.
    static QString saveFilter();

private:
    QString chooseTarget(int* filterIndex);
    void saveUnderNewName(const QString& chosen, int filterIndex);
    void takeSavedName(const QString& name);
    void takeBitmap(const QString& bitmap, const QString& book, int page, int pageCount);
    void reportStatus();

    frmSample& w_;
};

}  // namespace palvenor
