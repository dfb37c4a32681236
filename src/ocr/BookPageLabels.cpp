#include "BookPageLabels.h"

#include "PageModel.h"

namespace palvenor::ocr {

namespace {

PageLabel decimal(int number) { return {PageLabel::Style::Decimal, number, QString::number(number)}; }

PageLabel roman(int number) { return {PageLabel::Style::Roman, number, romanNumeral(number)}; }

PageLabel spreadLabel(const PageModel& pages, int imagePage) {
    const int left = pages.shownDouble(imagePage);
    const int right = left + 1;
    if (left >= 1)
        return {PageLabel::Style::Text, 0, QStringLiteral("%1-%2").arg(left).arg(right)};
    return right >= 1 ? decimal(right) : roman(imagePage);
}

}  // namespace

PageLabel bookPageLabel(const PageModel& pages, int imagePage) {
    if (!pages.isSingle()) return spreadLabel(pages, imagePage);
    const int shown = pages.shownSingle(imagePage);
    return shown >= 1 ? decimal(shown) : roman(imagePage);
}

QString romanNumeral(int number) {
    static constexpr struct {
        int value;
        const char* digits;
    } kDigits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
                   {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString numeral;
    for (const auto& digit : kDigits) {
        for (; number >= digit.value; number -= digit.value) numeral += QLatin1String(digit.digits);
    }
    return numeral;
}

PageModel pageModelWithOffset(int offset) {
    PageModel pages;
    // The offset the user sets by naming the book page of an image: a
    // positive offset by image 1, any other by the image of book page 1.
    if (offset > 0)
        pages.OffsetSetzen(QString::number(1 + offset), 1);
    else
        pages.OffsetSetzen(QStringLiteral("1"), 1 - offset);
    return pages;
}

}  // namespace palvenor::ocr
