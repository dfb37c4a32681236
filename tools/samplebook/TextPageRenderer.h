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

private:
    QImage printOnPaper(const PageText& page, QColor paper, QColor ink) const;
    QImage toGrey(const QImage& page) const;
    QImage toBilevel(const QImage& page) const;
    QImage toPalette(const QImage& page) const;
    void setResolution(QImage& image) const;

    QFont m_font;
    PageGeometry m_geometry;
    double m_lineSpacing;
};
