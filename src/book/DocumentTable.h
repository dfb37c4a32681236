#pragma once

#include <QDateTime>
#include <QPointer>
#include <QString>

#include <vector>

namespace palvenor {

class frmSample;

// One entry of the program-wide table of open documents.
struct DokumentEintrag {
    int Kopie = 0;          // copy number among windows on the same path; 0 when untitled
    bool Dialog = false;    // created without a file name: the file is chosen in the open dialog
    QString Name;           // file name without folder, or "Ohne Namen"
    QString Pfad;           // full path, or "Ohne Namen"
    QString Ordner;         // folder of the path, with its trailing separator
    QDateTime Erstellt;     // creation time of an untitled document
    QString Anforderung;    // pending open request, consumed by loading
};

inline const QString kOhneNamen = QStringLiteral("Ohne Namen");

// x with its first character upper-cased and the rest lower-cased, as
// document captions show file names.
QString ErsterGross(const QString& x);

// The documents open in the program (Dokumente), their windows (Fenster)
// and the active one (AktuellesDokument). 1-based, as the tabs count them.
class DocumentTable {
public:
    int count() const { return static_cast<int>(entries_.size()); }

    // Grows both arrays by one entry and returns its index.
    int add();
    // Removes entry k, moving the later entries down by one.
    void remove(int k);

    DokumentEintrag& Dokumente(int k) { return entries_.at(k - 1); }
    const DokumentEintrag& Dokumente(int k) const { return entries_.at(k - 1); }
    frmSample* Fenster(int k) const;
    void setFenster(int k, frmSample* window);
    // Index of a window in the table, 0 when it has none.
    int indexOf(const frmSample* window) const;

    int AktuellesDokument = 0;
    // The window of AktuellesDokument; nullptr when no document is active.
    frmSample* activeWindow() const;

private:
    std::vector<DokumentEintrag> entries_;
    std::vector<QPointer<frmSample>> windows_;
};

}  // namespace palvenor
