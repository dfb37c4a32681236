#pragma once

#include "ImagingTypes.h"

#include <QString>

#include <optional>

namespace palvenor {

class frmSample;

// New pages for the open book, from a file (all its pages), the clipboard,
// a blank page or the scanner: inserted at the shown page, appended at the
// end, or put in place of the shown page. The book file changes at once;
// the view follows.
class PageSequenceCommands {
public:
    explicit PageSequenceCommands(frmSample& window) : w_(window) {}

    void mnuInsertFile_Click();
    void mnuInsertClip_Click();
    void mnuInsertLeer_Click();
    void mnuInsertTwain_Click();

    void mnuAppendFile_Click();
    void mnuAppendClip_Click();
    void mnuAppendTwain_Click();

    // Puts the pages of source in place of the shown page and those after
    // it. A given name replaces exactly one page without asking; an empty
    // name asks for a file and takes all its pages.
    void ReplacePageFromFile(const QString& source);
    void mnuRescanFile_Click() { ReplacePageFromFile(QString()); }
    void mnuRescanClip_Click();
    void mnuRescanTwain_Click();

private:
    struct SourceFile {
        QString path;
        int pageCount = 0;
        int pageType = 0;
    };
    std::optional<SourceFile> chooseSourceFile();
    bool clipboardToTempPicture();
    void insert(const QString& source, int count, const QString& position);
    imaging::ImagingError replaceShownPage(const QString& source, int count);
    void appended(const imaging::ImagingError& error, const QString& position);
    bool scannerReady();
    void aimScanner(int pageOption, int page, int destination);

    frmSample& w_;
};

}  // namespace palvenor
