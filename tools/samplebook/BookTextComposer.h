#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>

#include <vector>

class GermanTextSource;

// Size and type area of a page, in pixels at the given resolution.
struct PageGeometry {
    int width = 1240;
    int height = 1754;
    int dotsPerInch = 300;
    int marginLeft = 110;
    int marginRight = 110;
    int marginTop = 140;
    int marginBottom = 160;

    int textWidth() const { return width - marginLeft - marginRight; }

    // A page of the given size in pixels at 300 dpi, its margins the same
    // share of it as on the default page; the type keeps its size.
    static PageGeometry ofSize(int pageWidth, int pageHeight);
};

// One printed line of body text, set flush left: its words in order. A line
// without words is the empty line between two paragraphs.
using TextLine = QStringList;

// Everything that is printed on one page.
struct PageText {
    int pageNumber = 0;
    QString header;               // the printed page number, e.g. "— 12 —"
    std::vector<TextLine> lines;  // body lines from top to bottom

    // The page as plain text, line by line: header, the empty line under it,
    // then the body lines; every line ends with "\n".
    QString plainText() const;
};

// Breaks the running text of the book into lines and pages. A paragraph that
// does not fit continues at the top of the next page, as in a real book.
class BookTextComposer {
public:
    BookTextComposer(GermanTextSource& source, const QFont& font, const PageGeometry& geometry);

    PageText composePage(int pageNumber);

    static QString headerFor(int pageNumber);

    // Vertical distance of two baselines, and lines below the header.
    double lineSpacing() const { return m_lineSpacing; }
    int bodyLineCount() const { return m_bodyLineCount; }

private:
    std::vector<TextLine> breakIntoLines(const QStringList& words) const;

    GermanTextSource& m_source;
    QFontMetricsF m_metrics;
    double m_textWidth;
    double m_lineSpacing;
    int m_bodyLineCount;
    std::vector<TextLine> m_pendingLines; // rest of a paragraph cut at a page end
};
