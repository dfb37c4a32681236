#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

namespace palvenor::imaging {

// What an annotation is; one kind for each drawing tool and picture command.
enum class AnnotationKind {
    FreehandLine,
    Highlighter,
    StraightLine,
    Frame,       // a hollow rectangle
    FilledArea,  // a filled rectangle
    Text,        // typed or taken from a text file
    Note,        // text on a coloured slip
    Stamp,
    EmbeddedPicture,  // the picture's bytes travel with the page
    LinkedPicture,    // the page names the picture's file
};

// One annotation drawn over a page, in page pixels. Lines keep their
// points; everything else its box.
struct Annotation {
    AnnotationKind kind = AnnotationKind::FreehandLine;
    QList<QPointF> points;
    QRectF box;
    QColor colour = Qt::black;  // of the line, the frame, the area or the text
    QColor background;          // of a note's slip
    double lineWidth = 1;
    QFont font;                 // its pixel size counts in page pixels
    QString text;
    QByteArray pictureData;     // an embedded picture, as PNG
    QString pictureFile;        // a linked picture
    bool marked = false;        // chosen with the pointer; not kept in the file
    mutable QImage pictureCache;  // the picture, read once

    bool isLine() const;
    // The page area the annotation covers, its line width included.
    QRectF bounds() const;
    // Whether point lies on the annotation, give or take tolerance page pixels.
    bool hits(QPointF point, double tolerance) const;
    void moveBy(QPointF offset);
    // The picture of a picture annotation (null when it cannot be read).
    QImage picture() const;
};

// How annotations are painted: in their own colours over the page, or as
// black ink for a black-and-white page they are burnt into.
enum class Ink { OwnColours, Black };

void paintAnnotation(QPainter& painter, const Annotation& annotation, Ink ink = Ink::OwnColours);

}  // namespace palvenor::imaging
