#pragma once

// How the page handed to the recogniser lies over the clipboard picture:
// the quarter turns and the small rotation that straightened it. Maps the
// recogniser's boxes back onto the picture.

#include <QRect>
#include <QSize>

namespace palvenor::ocr {

class PageGeometry {
public:
    explicit PageGeometry(QSize picture) : picture_(picture) {}

    // Records that the page was turned clockwise by quarterTurns * 90°
    // (Leptonica's pixRotateOrth), before any straightening.
    void turnClockwise(int quarterTurns);
    // Records that the turned page was rotated clockwise by degrees about
    // its centre, keeping its size (Leptonica's pixRotate).
    void rotateAboutCentre(double degrees) { degrees_ = degrees; }

    // The size of the page after the quarter turns.
    QSize turnedSize() const;
    // A box on the prepared page as the box it covers on the picture,
    // clipped to the picture.
    QRect toPicture(const QRect& box) const;

private:
    QRect unrotate(const QRect& box) const;
    QRect unturn(const QRect& box) const;

    QSize picture_;
    int quarterTurns_ = 0;
    double degrees_ = 0;
};

}  // namespace palvenor::ocr
