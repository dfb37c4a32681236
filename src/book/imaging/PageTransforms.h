#pragma once

#include "ImagingTypes.h"

#include <QImage>
#include <QRect>
#include <QTransform>

#include <functional>

namespace palvenor::imaging {

// The quarter and half turns of a page.
enum class Turn { Left, Right, Half };

// The page turned, in its own pixel format with its own colour table; a
// quarter turn swaps the horizontal and vertical resolution.
QImage turned(const QImage& page, Turn turn);
// Where a point of a page of the given size lies after the turn.
QTransform turning(QSize size, Turn turn);

// Every pixel in its opposite colour, the pixel format, colour table order
// and resolution kept: black and white swap, grey levels mirror, colours
// become their complements (on palette pages through the palette).
QImage inverted(const QImage& page);

// The part of the page inside area (cut at the page's edges), in the page's
// own format and resolution.
QImage trimmed(const QImage& page, const QRect& area);

// Transforms every page of a TIFF book in one pass and replaces the book
// once, when all pages are done. Each page is decoded, handed to transform
// and encoded in the page's own kind (black-and-white as CCITT G4, the
// others with their own compression); annotations go along, moved by
// `annotationPlace` when given. progress(done, total) is asked after each
// page; returning false cancels, and the book is left untouched.
struct PagePass {
    std::function<QImage(const QImage&)> transform;
    std::function<QTransform(QSize)> annotationPlace;  // empty: annotations stay where they are
    std::function<bool(int done, int total)> progress;
    bool quarterTurn = false;  // transform turns each page by 90°: its resolutions swap
};
ImagingError transformEveryPage(const QString& book, const PagePass& pass);

// Error of a pass the user cancelled; the book is unchanged.
constexpr int StatusCancelled = 0x7d8;

// Rewrites every black-and-white page of the book that is not CCITT G4 as
// G4; other pages are copied as they are. A book with nothing to recompress
// is not written at all.
ImagingError recompressBlackAndWhite(const QString& book);

}  // namespace palvenor::imaging
