#pragma once

#include "ImagingTypes.h"

#include <QString>

class QPrinter;

namespace palvenor {

class frmSample;

// Prints pages start..end of a book file on printer, each page fitted to
// the paper and centred, with its annotations burnt in or left out.
imaging::ImagingError printPages(QPrinter& printer, const QString& book, int start, int end, bool annotations);

// Printing the book: through the print dialog, or the shown page at once.
// Each window keeps one printer set-up, so the dialog's choices of
// printer and paper hold for the window's later prints.
class PrintCommands {
public:
    explicit PrintCommands(frmSample& window) : w_(window) {}

    void mnuPrint_Click();
    void mnuPrintPage_Click();

    // The window's printer set-up.
    static QPrinter& printerOf(frmSample& window);

private:
    frmSample& w_;
};

}  // namespace palvenor
