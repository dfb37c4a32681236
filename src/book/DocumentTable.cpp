#include "DocumentTable.h"

#include "frmSample.h"

namespace palvenor {

QString ErsterGross(const QString& x) {
    return x.isEmpty() ? x : x.left(1).toUpper() + x.mid(1).toLower();
}

int DocumentTable::add() {
    entries_.emplace_back();
    windows_.emplace_back();
    return count();
}

void DocumentTable::remove(int k) {
    entries_.erase(entries_.begin() + (k - 1));
    windows_.erase(windows_.begin() + (k - 1));
}

frmSample* DocumentTable::Fenster(int k) const { return windows_.at(k - 1); }

frmSample* DocumentTable::activeWindow() const {
    return AktuellesDokument >= 1 && AktuellesDokument <= count() ? Fenster(AktuellesDokument) : nullptr;
}

void DocumentTable::setFenster(int k, frmSample* window) { windows_.at(k - 1) = window; }

int DocumentTable::indexOf(const frmSample* window) const {
    for (int k = 1; k <= count(); ++k)
        if (windows_[k - 1] == window) return k;
    return 0;
}

}  // namespace palvenor
