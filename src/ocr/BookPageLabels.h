#pragma once

// The labels of a book's image pages as its printed numbering goes: book
// page numbers as the page model computes them from the pagination offset,
// and lower-case roman numbers for the front matter before book page 1.

#include <QString>

#include <vector>

namespace palvenor {
class PageModel;
}

namespace palvenor::ocr {

struct PageLabel {
    enum class Style { Decimal, Roman, Text };
    Style style = Style::Decimal;
    int number = 0;  // of Decimal and Roman labels
    QString text;    // the label as shown
};

// In single page mode image page p is book page p + Versatz; an image
// before book page 1 is front matter, numbered i, ii, ... by its image
// page. In double page mode an image is a spread labelled with both its
// book pages ("36-37"), or the right one alone where the left does not
// exist.
PageLabel bookPageLabel(const PageModel& pages, int imagePage);

// The lower-case roman numeral of 1..3999.
QString romanNumeral(int number);

// A page model whose image page p shows book page p + offset in single
// page mode, as after the user set the offset.
PageModel pageModelWithOffset(int offset);

}  // namespace palvenor::ocr
