#pragma once

#include <QString>

namespace palvenor {

class DeletedPage;
class frmSample;

// Deleting the shown page, putting the last deleted page back, and moving
// the shown page to the start, the end or a typed position of the book.
// The book file changes at once; the view follows.
class PageMoveCommands {
public:
    explicit PageMoveCommands(frmSample& window) : w_(window) {}

    void mnuDeletePage_Click();
    // Puts the page deleted last back where it was, or at the end when the
    // book has become shorter than that.
    void mnuRestorePage_Click();

    // The shown page goes to the start, the end or a position the user
    // types; it is moved inside the file, unchanged. A position beyond the
    // end puts it last.
    void mnuVersatzAnfang_Click();
    void mnuVersatzEnde_Click();
    void mnuVersatzSeite_Click();

    // The last deleted page of the window's book; made on first use.
    static DeletedPage& deletedPageOf(frmSample& window);

private:
    bool leaveForNeighbour(int page, int pageCount);
    void showPage(int page);
    void moveShownPage(int to, QString goToProposal);

    frmSample& w_;
};

}  // namespace palvenor
