#include "PageModel.h"

#include "Numeric.h"

#include <cmath>

namespace palvenor {

namespace {
QString text(double value) { return QString::number(value, 'g', 15); }
}  // namespace

QString PageModel::Blatt(const QString& bookPage) {
    const double r = int16Value(bookPage);
    return text(std::floor(r / 2) + 1);
}

QString PageModel::buchseite(const QString& imagePage) {
    const double r = int16Value(imagePage);
    return text(2 * r - 2);
}

int PageModel::shownSingle(int p) const { return p + versatz_; }

int PageModel::shownDouble(int p) const { return 2 * p - 2 + versatz_ + korrektur_; }

int PageModel::imagePageOfSingle(double shown) const {
    return toInt16(shown - versatz_);
}

int PageModel::imagePageOfDouble(double shown) const {
    return int16Value(Blatt(text(shown - versatz_ - korrektur_)));
}

void PageModel::refreshFields(double p) {
    seite_ = text(p + versatz_);
    const double shown = numericValue(seite_);
    buchseiteField_ = text(numericValue(buchseite(text(shown - versatz_))) + versatz_ + korrektur_);
}

void PageModel::OffsetSetzen(const QString& n, int p) {
    const double value = numericValue(n);
    if (value <= 0) {
        versatz_ = 0;
        korrektur_ = 0;
    } else {
        if (isSingle())
            versatz_ = toInt16(value - p);
        else
            versatz_ = toInt16(2 * (numericValue(Blatt(n)) - p) - 1);
        korrektur_ = 1;
    }
    refreshFields(p);
}

void PageModel::resetPagination() {
    versatz_ = 0;
    korrektur_ = 0;
}

}  // namespace palvenor
