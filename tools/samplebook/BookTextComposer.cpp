#include "BookTextComposer.h"

#include "GermanTextSource.h"

#include <cmath>

QString PageText::plainText() const
{
    QString text = header + QLatin1String("\n\n");
    for (const TextLine& line : lines)
        text += line.join(QLatin1Char(' ')) + QLatin1Char('\n');
    return text;
}

PageGeometry PageGeometry::ofSize(int pageWidth, int pageHeight)
{
    const PageGeometry standard;
    const auto across = [&](int margin) { return margin * pageWidth / standard.width; };
    const auto down = [&](int margin) { return margin * pageHeight / standard.height; };
    PageGeometry page;
    page.width = pageWidth;
    page.height = pageHeight;
    page.marginLeft = across(standard.marginLeft);
    page.marginRight = across(standard.marginRight);
    page.marginTop = down(standard.marginTop);
    page.marginBottom = down(standard.marginBottom);
    return page;
}

BookTextComposer::BookTextComposer(GermanTextSource& source, const QFont& font, const PageGeometry& geometry)
    : m_source(source)
    , m_metrics(font)
    , m_textWidth(geometry.textWidth())
    , m_lineSpacing(std::round(m_metrics.lineSpacing() * 1.08))
{
    // The header takes the first line of the type area, an empty line follows.
    const double bodyHeight = geometry.height - geometry.marginTop - geometry.marginBottom - 2 * m_lineSpacing;
    m_bodyLineCount = std::max(1, static_cast<int>(bodyHeight / m_lineSpacing));
}

QString BookTextComposer::headerFor(int pageNumber)
{
    return QStringLiteral("— %1 —").arg(pageNumber);
}

std::vector<TextLine> BookTextComposer::breakIntoLines(const QStringList& words) const
{
    const double spaceWidth = m_metrics.horizontalAdvance(QLatin1Char(' '));
    std::vector<TextLine> lines;
    TextLine current;
    double currentWidth = 0;
    for (const QString& word : words) {
        const double wordWidth = m_metrics.horizontalAdvance(word);
        if (!current.isEmpty() && currentWidth + spaceWidth + wordWidth > m_textWidth) {
            lines.push_back(std::move(current));
            current = TextLine{};
            currentWidth = 0;
        }
        currentWidth += (current.isEmpty() ? 0 : spaceWidth) + wordWidth;
        current.append(word);
    }
    if (!current.isEmpty())
        lines.push_back(std::move(current));
    return lines;
}

PageText BookTextComposer::composePage(int pageNumber)
{
    PageText page;
    page.pageNumber = pageNumber;
    page.header = headerFor(pageNumber);

    const auto capacity = static_cast<std::size_t>(m_bodyLineCount);
    while (page.lines.size() < capacity) {
        if (m_pendingLines.empty()) {
            if (!page.lines.empty())
                page.lines.push_back(TextLine{}); // empty line between paragraphs
            if (page.lines.size() >= capacity)
                break;
            m_pendingLines = breakIntoLines(m_source.nextParagraph());
        }
        const std::size_t take = std::min(capacity - page.lines.size(), m_pendingLines.size());
        page.lines.insert(page.lines.end(), m_pendingLines.begin(), m_pendingLines.begin() + take);
        m_pendingLines.erase(m_pendingLines.begin(), m_pendingLines.begin() + take);
    }
    while (!page.lines.empty() && page.lines.back().isEmpty())
        page.lines.pop_back();
    return page;
}
