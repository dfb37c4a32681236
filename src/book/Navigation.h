#pragma once

#include <QString>

namespace palvenor {

class frmSample;

// Moving through a book: first, last, next, previous and back; typed pages
// in either page field; the go-to dialog; single and double pages; the
// pagination offset; the page information.
class Navigation {
public:
    explicit Navigation(frmSample& window) : w_(window) {}

    // Shows image page p after a change; the page-count message for a page
    // outside the book.
    void GehZuSeite(const QString& p);

    void nextPage();
    void previousPage();
    void firstPage();
    void lastPage();
    void back();
    void goTo();

    // Enter in the page fields, with the text typed there.
    void enterInSeite(const QString& typed);
    void enterInBuchseite(const QString& typed);

    void singlePages();
    void doublePages();
    void pagination();
    void pageInfo();
    // ◀ and ▶ as the shown page allows, after every page change.
    void showPageArrows();

private:
    bool setOffsetIfPlus(const QString& typed);
    bool hasImage() const;
    void show(int page, bool zoomField = true);
    // Sets the field `seite` to an image page given without the offset.
    void setSeiteToImagePage(double page);

    frmSample& w_;
};

inline const QString kOffsetPrompt = QStringLiteral("Geben Sie die Nummer der ersten bzw. linken Seite ein");
inline const QString kOffsetTitle = QStringLiteral("Offset für Paginierung einstellen");

}  // namespace palvenor
