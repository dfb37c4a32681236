#pragma once

#include <QString>

#include <functional>

namespace palvenor {

class Prompter;
class frmSample;

namespace imaging {
class ImgScan;
}

// The scanner commands of a document window: choosing the scanner, its
// settings, a fresh capture that becomes a new book, and appending scanned
// pages; and what the window does with every page that arrives.
class ScanCommands {
public:
    explicit ScanCommands(frmSample& window) : w_(window) {}

    void mnuQuelle_Click();
    void mnuScanPeferences_Click();
    void mnuErfassen_Click();
    void AddScan_Click();
    // A page came from the scanner: show it, follow it with the page fields
    // and store a black-and-white page of a book as CCITT G4.
    void pageFinished(int page);

private:
    imaging::ImgScan* scanner();

    frmSample& w_;
};

// Adds the scanner entries to the window's file menu and the AddScan button
// to its page bar, lets the window follow the pages scanned for it, and
// makes saving a capture drop its spool file.
void installScanCommands(frmSample& window);

// Offers each capture that an earlier run left unsaved; a capture the user
// takes back is shown in a new window (from newWindow) and saved, one he
// declines is removed.
void offerUnsavedCaptures(Prompter& prompter, const std::function<frmSample*()>& newWindow);

}  // namespace palvenor
