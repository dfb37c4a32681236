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

QImage TextPageRenderer::printOnPaper(const PageText& page, QColor paper, QColor ink) const
{
    QImage image(m_geometry.width, m_geometry.height, QImage::Format_RGB32);
    image.fill(paper);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(m_font);
    painter.setPen(ink);

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

QImage TextPageRenderer::render(const PageText& page, PageKind kind) const
{
    QImage image;
    switch (kind) {
    case PageKind::Bw:
        image = toBilevel(printOnPaper(page, Qt::white, Qt::black));
        break;
    case PageKind::Grey:
        image = toGrey(printOnPaper(page, QColor(234, 234, 234), QColor(26, 26, 26)));
        break;
    case PageKind::Palette:
        image = toPalette(printOnPaper(page, Qt::white, Qt::black));
        break;
    case PageKind::Rgb:
        image = printOnPaper(page, QColor(247, 241, 226), QColor(28, 38, 88))
                    .convertToFormat(QImage::Format_RGB888);
        break;
    }
    setResolution(image);
    return image;
}
