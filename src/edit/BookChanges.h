#pragma once

#include "ImagingTypes.h"

#include <QString>

class QWidget;

namespace palvenor {

class frmSample;

// What every page sequence command does once the book file has changed:
// the page view reads the file again (keeping its page number), the page
// count and the thumbnails follow.
void takeChangedBook(frmSample& window);

// The page arrows follow the shown page: back while there is a page before
// it, forward while there is one after it.
void followPageArrows(frmSample& window);

// Shows the label "Bitte warten ..." over the page view while a page is
// written, and hides it again when it goes out of scope.
class PleaseWait {
public:
    explicit PleaseWait(frmSample& window);
    ~PleaseWait();
    PleaseWait(const PleaseWait&) = delete;
    PleaseWait& operator=(const PleaseWait&) = delete;

private:
    QWidget* label_;
};

// A failed page operation: the command's numbered place ("Pos.4 ") and
// the error number, in a plain box.
void reportAtPosition(frmSample& window, const QString& position, const imaging::ImagingError& error);

// A failed operation as the imaging layer tells it, with the critical icon.
void reportFailure(frmSample& window, const imaging::ImagingError& error);

}  // namespace palvenor
