#pragma once

#include "BookTextComposer.h"
#include "PageKind.h"

#include <QColor>
#include <QFont>
#include <QImage>

// Prints a composed page onto an image of the wanted kind:
//   bw      -> QImage::Format_Mono, colour 0 white and colour 1 black
//   grey    -> QImage::Format_Grayscale8
//   palette -> QImage::Format_Indexed8 with a sepia colour table
//   rgb     -> QImage::Format_RGB888, dark blue ink on cream paper
class TextPageRenderer {
public:
    TextPageRenderer(const QFont& font, const PageGeometry& geometry, double lineSpacing);

    QImage render(const PageText& page, PageKind kind) const;
    // Two facing pages side by side on one image twice as wide as a page.
    QImage renderSpread(const PageText& left, const PageText& right, PageKind kind) const;
    // A title page: the lines centred, the first one large.
    QImage renderTitle(const QStringList& lines, PageKind kind) const;

private:
    QImage blankPaper(int width, PageKind kind) const;
    QImage printOnPaper(const PageText& page, PageKind kind) const;
    QImage finish(const QImage& paper, PageKind kind) const;
    QImage toGrey(const QImage& page) const;
    QImage toBilevel(const QImage& page) const;
    QImage toPalette(const QImage& page) const;
    void setResolution(QImage& image) const;

    QFont m_font;
    PageGeometry m_geometry;
    double m_lineSpacing;
};
