#pragma once

// Encoding a picture as a one-page TIFF in memory, so that pictures and
// pages of other files can go into a book the same way: black-and-white as
// CCITT Group 4, grey, palette and colour pictures with LZW.

#include "ImagingTypes.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace palvenor::imaging::tiff {

// Page type a picture is stored as when nothing else is known about it.
int pageTypeForPicture(const QImage& picture);

// Encodes picture as page type pageType. False with *reason on failure.
bool encodePage(const QImage& picture, int pageType, double xDpi, double yDpi, QByteArray* tiff,
                QString* reason);

}  // namespace palvenor::imaging::tiff
