#pragma once

#include <QString>

#include <cstdint>

namespace palvenor {

// The book page numbering of one document window. The image page is the
// page's place in the file (1..PageCount); the book page is the number
// printed in the book. In single page mode one image is one book page; in
// double page mode one image is a spread of two facing pages, left page even.
// The numbers are derived from one pagination offset (Versatz) and a parity
// correction (Korrektur), never stored per page.
class PageModel {
public:
    enum class Mode { Single, Double };

    // Image page of a double-mode book page: Int(r / 2) + 1.
    static QString Blatt(const QString& bookPage);
    // Base book number of an image page: 2r - 2.
    static QString buchseite(const QString& imagePage);

    // Shown number of image page p in single and in double mode (left page).
    int shownSingle(int p) const;
    int shownDouble(int p) const;
    // Image page of a shown number, not yet bounded to 1..PageCount.
    int imagePageOfSingle(double shown) const;
    int imagePageOfDouble(double shown) const;

    // Writes both page fields for image page p, whichever is visible.
    void refreshFields(double p);
    // Sets the pagination so that the current image p shows book page n.
    void OffsetSetzen(const QString& n, int p);
    // State after a document has been loaded: no offset, no correction.
    void resetPagination();

    Mode mode() const { return mode_; }
    void setMode(Mode mode) { mode_ = mode; }
    bool isSingle() const { return mode_ == Mode::Single; }

    std::int16_t Versatz() const { return versatz_; }
    std::int16_t Korrektur() const { return korrektur_; }
    const QString& seite() const { return seite_; }
    const QString& buchseiteField() const { return buchseiteField_; }
    void setSeite(const QString& text) { seite_ = text; }
    void setBuchseiteField(const QString& text) { buchseiteField_ = text; }

    std::int16_t Seitenzahl = 0;   // cached page count, see the navigation commands
    std::int16_t VorigeSeite = 0;  // target of the Back command
    bool Geaendert = false;        // the window's own modified flag
    // What the go-to dialog proposes in single page mode the next time it
    // opens, instead of the shown page; used once. Empty: the shown page.
    QString goToProposal;

private:
    Mode mode_ = Mode::Single;
    std::int16_t versatz_ = 0;
    std::int16_t korrektur_ = 0;
    QString seite_;
    QString buchseiteField_;
};

}  // namespace palvenor
