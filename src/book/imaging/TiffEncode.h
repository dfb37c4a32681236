#pragma once

// Encoding a picture as a one-page TIFF in memory, so that pictures and
// pages of other files can go into a book the same way: black-and-white as
// CCITT Group 4, grey, palette and colour pictures with LZW, unless a
// compression is asked for that libtiff can write for the page type.

#include "ImagingTypes.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace palvenor::imaging::tiff {

// Page type a picture is stored as when nothing else is known about it.
int pageTypeForPicture(const QImage& picture);

// The compression a page of pageType is written with when `wanted` (a TIFF
// compression code) is asked for: wanted itself where libtiff can encode it
// for that page type, else G4 for black-and-white and LZW for the others.
// 0 asks for nothing in particular.
int encodableCompression(int pageType, int wanted);

// Encodes picture as page type pageType with encodableCompression(pageType,
// compression). False with *reason on failure.
bool encodePage(const QImage& picture, int pageType, double xDpi, double yDpi, int compression, QByteArray* tiff,
                QString* reason);

}  // namespace palvenor::imaging::tiff
