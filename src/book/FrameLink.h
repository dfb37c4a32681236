#pragma once

#include <QString>

namespace palvenor {

// The recent files list holds this many books; the frame and every document
// window show one menu item for each.
inline constexpr int kRecentFileCount = 5;

class frmSample;
namespace imaging {
class ImgScan;
}

// What a document window asks of the frame that holds it.
class FrameLink {
public:
    virtual ~FrameLink() = default;

    // Caption of the tab that belongs to the document with the given index.
    virtual void setTabCaption(int index, const QString& caption) = 0;
    // The frame's Open command, run for the pending request of the frame.
    virtual void openPendingRequest(const QString& request) = 0;
    // A document window was painted: the moment to take over a request
    // handed in by a second program start.
    virtual void documentPainted(frmSample& window) = 0;
    // Unloads the frame and so ends the program.
    virtual void exitProgram() = 0;
    // The go-to dialog for the active document; its two boxes afterwards.
    struct GoToAnswer {
        QString Text1;      // book page (double mode)
        QString txtPageNo;  // image page (single mode)
    };
    virtual GoToAnswer runGoToDialog() = 0;
    // The command line the program was started with.
    virtual QString startCommandLine() const = 0;
    // The scanner the document windows use; nullptr when there is none.
    virtual imaging::ImgScan* scanner() = 0;
    // Puts a book that was opened or saved at the top of the recent files.
    virtual void ZuletztHinzufuegen(const QString& path) = 0;
    // Shows the recent files in the menus of the frame and every window.
    virtual void ZuletztMenue() = 0;
    // Opens the recent file of menu item index (0-based) in a new window.
    virtual void mnuRecentFile_Click(int index) = 0;
    // Where a file dialog starts when no book of its own names a folder: the
    // active book's folder, or that of the book last opened or saved.
    virtual QString dialogFolder() const = 0;
    // Opens a new window with a blank document of page type k (1..7).
    virtual void Neustart(int k) = 0;
};

}  // namespace palvenor
