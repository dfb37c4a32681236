#pragma once

#include "ImagingTypes.h"

#include <QString>

#include <optional>

namespace palvenor {

class frmSample;

// Loading a book into a document window and enabling its commands.
class DocumentLoader {
public:
    explicit DocumentLoader(frmSample& window) : w_(window) {}

    // Loads the file named by the window's request (or chosen in the open
    // dialog) and shows its first or requested page.
    void oeffnen();
    // A new one-page document of page type typ, saved under a name the user gives.
    void Neustart(int typ);
    // Enables the document commands once an image is shown.
    void Bild_vorhanden();
    // Disables the document commands of a window that shows nothing yet.
    void setUpWindow();

private:
    void showOnePage();
    bool chooseFile(const QString& request, const QString& path);
    std::optional<QString> convertedFaxFile(const QString& awdFile);
    void takeFile();
    void showRequestedPage(const QString& request);
    void showFailure(const imaging::ImagingError& error);

    frmSample& w_;
};

// The command that converts an AWD fax file into a TIFF file.
QString awdConverterCommand();

}  // namespace palvenor
