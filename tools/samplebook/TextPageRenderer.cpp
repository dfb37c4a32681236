#include "TextPageRenderer.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

TextPageRenderer::TextPageRenderer(const QFont& font, const PageGeometry& geometry, double lineSpacing)
    : m_font(font)
    , m_geometry(geometry)
    , m_lineSpacing(lineSpacing)
{
}

namespace {

struct Inks {
    QColor paper;
    QColor ink;
};

// Paper and ink a page of the kind is printed with before it is reduced to
// the kind's pixel format.
Inks inksFor(PageKind kind)
{
    switch (kind) {
    case PageKind::Grey:
        return {QColor(234, 234, 234), QColor(26, 26, 26)};
    case PageKind::Rgb:
        return {QColor(247, 241, 226), QColor(28, 38, 88)};
    case PageKind::Bw:
    case PageKind::Palette:
        break;
    }
    return {Qt::white, Qt::black};
}

} // namespace

QImage TextPageRenderer::blankPaper(int width, PageKind kind) const
{
    QImage image(width, m_geometry.height, QImage::Format_RGB32);
    image.fill(inksFor(kind).paper);
    return image;
}

QImage TextPageRenderer::printOnPaper(const PageText& page, PageKind kind) const
{
    QImage image = blankPaper(m_geometry.width, kind);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(m_font);
    painter.setPen(inksFor(kind).ink);

    const QFontMetricsF metrics(m_font, &image);
    const double left = m_geometry.marginLeft;
    const double textWidth = m_geometry.textWidth();
    const double firstBaseline = m_geometry.marginTop + metrics.ascent();

    const double headerWidth = metrics.horizontalAdvance(page.header);
    painter.drawText(QPointF(std::round(left + (textWidth - headerWidth) / 2), firstBaseline), page.header);

    // The lines are set flush left exactly as the composer broke them.
    double baseline = firstBaseline + 2 * m_lineSpacing;
    for (const TextLine& line : page.lines) {
        if (!line.isEmpty())
            painter.drawText(QPointF(left, baseline), line.join(QLatin1Char(' ')));
        baseline += m_lineSpacing;
    }
    painter.end();
    return image;
}

void TextPageRenderer::setResolution(QImage& image) const
{
    const int dotsPerMeter = static_cast<int>(std::lround(m_geometry.dotsPerInch / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
}

// Pages are printed in neutral tones, so any one channel is the grey level.
// (QImage's own conversion to grey is colour managed and far slower.)
QImage TextPageRenderer::toGrey(const QImage& page) const
{
    QImage grey(page.size(), QImage::Format_Grayscale8);
    const int width = page.width();
    for (int y = 0; y < page.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        uchar* out = grey.scanLine(y);
        for (int x = 0; x < width; ++x)
            out[x] = static_cast<uchar>(qGreen(in[x]));
    }
    return grey;
}

QImage TextPageRenderer::toBilevel(const QImage& page) const
{
    QImage bilevel(page.size(), QImage::Format_Mono);
    bilevel.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    const int width = page.width();
    for (int y = 0; y < page.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        uchar* out = bilevel.scanLine(y);
        std::fill(out, out + bilevel.bytesPerLine(), uchar(0));
        for (int x = 0; x < width; x += 8) {
            const int count = std::min(8, width - x);
            unsigned bits = 0;
            for (int i = 0; i < count; ++i)
                bits |= unsigned(qGreen(in[x + i]) < 128) << (7 - i);
            out[x >> 3] = static_cast<uchar>(bits);
        }
    }
    return bilevel;
}

QImage TextPageRenderer::toPalette(const QImage& page) const
{
    // Grey level i becomes colour i of a ramp from brown ink to yellowed paper.
    const QImage grey = toGrey(page);
    QImage indexed(grey.size(), QImage::Format_Indexed8);
    QList<QRgb> colours;
    colours.reserve(256);
    const QColor ink(58, 38, 24);
    const QColor paper(246, 234, 208);
    for (int i = 0; i < 256; ++i) {
        auto mix = [i](int from, int to) { return from + (to - from) * i / 255; };
        colours.append(qRgb(mix(ink.red(), paper.red()), mix(ink.green(), paper.green()),
                            mix(ink.blue(), paper.blue())));
    }
    indexed.setColorTable(colours);
    for (int y = 0; y < grey.height(); ++y)
        std::copy_n(grey.constScanLine(y), grey.width(), indexed.scanLine(y));
    return indexed;
}

// The printed paper reduced to the pixel format of the kind.
QImage TextPageRenderer::finish(const QImage& paper, PageKind kind) const
{
    QImage image;
    switch (kind) {
    case PageKind::Bw:
        image = toBilevel(paper);
        break;
    case PageKind::Grey:
        image = toGrey(paper);
        break;
    case PageKind::Palette:
        image = toPalette(paper);
        break;
    case PageKind::Rgb:
        image = paper.convertToFormat(QImage::Format_RGB888);
        break;
    }
    setResolution(image);
    return image;
}

QImage TextPageRenderer::render(const PageText& page, PageKind kind) const
{
    return finish(printOnPaper(page, kind), kind);
}

QImage TextPageRenderer::renderSpread(const PageText& left, const PageText& right, PageKind kind) const
{
    QImage spread = blankPaper(2 * m_geometry.width, kind);
    QPainter painter(&spread);
    painter.drawImage(0, 0, printOnPaper(left, kind));
    painter.drawImage(m_geometry.width, 0, printOnPaper(right, kind));
    painter.end();
    return finish(spread, kind);
}

// The lines centred a third down the page, the first one, the title, twice
// as large as the others.
QImage TextPageRenderer::renderTitle(const QStringList& lines, PageKind kind) const
{
    QImage image = blankPaper(m_geometry.width, kind);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(inksFor(kind).ink);
    double baseline = m_geometry.height / 3.0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QFont font = m_font;
        if (i == 0)
            font.setPixelSize(2 * m_font.pixelSize());
        painter.setFont(font);
        const QFontMetricsF metrics(font, &image);
        painter.drawText(QPointF(std::round((m_geometry.width - metrics.horizontalAdvance(lines[i])) / 2), baseline),
                         lines[i]);
        baseline += i == 0 ? 3 * m_lineSpacing : m_lineSpacing;
    }
    painter.end();
    return finish(image, kind);
}
