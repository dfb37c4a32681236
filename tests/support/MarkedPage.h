#pragma once

#include <QRect>
#include <QString>

namespace palvenor::test {

// A generated one-page book with a marked area over its first two
// paragraphs and the true text of that area, line by line.
struct MarkedPage {
    QString book;
    QRect area;
    QString truth;

    bool ok() const { return !area.isEmpty(); }
};

// Made once per test program; not ok() when the generator failed.
const MarkedPage& twoParagraphPage();

}  // namespace palvenor::test
