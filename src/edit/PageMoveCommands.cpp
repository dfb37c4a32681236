#include "PageMoveCommands.h"

#include "BookChanges.h"
#include "DeletedPage.h"
#include "Navigation.h"
#include "Numeric.h"
#include "Prompter.h"
#include "SavePrompt.h"
#include "frmSample.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>

namespace palvenor {

DeletedPage& PageMoveCommands::deletedPageOf(frmSample& window) {
    if (auto* kept = window.findChild<DeletedPage*>(QStringLiteral("deletedPage"))) return *kept;
    auto* kept = new DeletedPage(&window);
    kept->setObjectName(QStringLiteral("deletedPage"));
    return *kept;
}

// Shows the neighbour that will carry the deleted page's number: the next
// page, or the previous one when the last page goes. False when the user
// stayed (cancelled the save question).
bool PageMoveCommands::leaveForNeighbour(int page, int pageCount) {
    Navigation navigation = w_.navigation();
    if (page == pageCount) {
        navigation.previousPage();
        QCoreApplication::processEvents();
        return w_.oleImgEdit1().Page() == page - 1;
    }
    navigation.nextPage();
    return w_.oleImgEdit1().Page() == page + 1;
}

// The page on screen is already the one that carries the deleted page's
// number afterwards (or the new last page), so the picture is not read again.
// A page that cannot be kept for restoring is not deleted.
void PageMoveCommands::mnuDeletePage_Click() {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (edit.Image().isEmpty()) return;
    const int page = edit.Page();
    const int pageCount = edit.PageCount();
    if (pageCount == 1) {
        edit.ClearDisplay();
        w_.controls().setEnabled(QStringLiteral("vor"), false);
        w_.controls().setEnabled(QStringLiteral("rueck"), false);
        return;
    }
    if (!leaveForNeighbour(page, pageCount)) return;
    DeletedPage& kept = deletedPageOf(w_);
    imaging::ImagingError error = kept.keep(w_.oleImgAdmin1().Image(), page);
    if (error.ok()) error = w_.oleImgAdmin1().DeletePages(page, 1);
    if (!error.ok()) {
        kept.forget();
        reportFailure(w_, error);
        return;
    }
    takeChangedBook(w_);
    const int shown = std::min(page, edit.PageCount());
    w_.refreshPageFields(shown);
    edit.setPage(shown);
    w_.showZoomField();
    followPageArrows(w_);
    w_.oleImgThumbnail1().setThumbSelected(shown, true);
}

void PageMoveCommands::mnuRestorePage_Click() {
    DeletedPage& kept = deletedPageOf(w_);
    if (!kept.isKept() || !askToSave(w_)) return;
    const int position = std::min(kept.page(), w_.oleImgEdit1().PageCount() + 1);
    const imaging::ImagingError error = w_.oleImgAdmin1().Insert(kept.file(), 1, 1, position);
    if (!error.ok()) {
        reportFailure(w_, error);
        return;
    }
    kept.forget();
    takeChangedBook(w_);
    showPage(position);
}

// The go-to dialog proposes next where the page came from (start and end)
// or the first page (a typed position).
void PageMoveCommands::moveShownPage(int to, QString goToProposal) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    if (edit.Image().isEmpty() || edit.PageCount() < 2 || !askToSave(w_)) return;
    const imaging::ImagingError error = w_.oleImgAdmin1().MovePage(edit.Page(), to);
    if (!error.ok()) {
        reportFailure(w_, error);
        return;
    }
    takeChangedBook(w_);
    showPage(std::min(to, edit.PageCount()));
    w_.pages().goToProposal = std::move(goToProposal);
}

void PageMoveCommands::mnuVersatzAnfang_Click() { moveShownPage(1, w_.pages().seite()); }

void PageMoveCommands::mnuVersatzEnde_Click() {
    moveShownPage(w_.oleImgEdit1().PageCount(), w_.pages().seite());
}

void PageMoveCommands::mnuVersatzSeite_Click() {
    const std::optional<QString> answer = w_.prompter().input(
        QStringLiteral("neue Position eingeben (0 = Abbruch )"), QStringLiteral("Zielseite eingeben"), QString());
    const int position = int16Value(answer.value_or(QString()));
    if (position > 0) moveShownPage(position, QStringLiteral("1"));
}

void PageMoveCommands::showPage(int page) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    edit.setPage(page);
    w_.refreshPageFields(page);
    edit.Display();
    w_.showZoomField();
    followPageArrows(w_);
    w_.oleImgThumbnail1().DeselectAllThumbs();
    w_.oleImgThumbnail1().setThumbSelected(page, true);
}

}  // namespace palvenor
