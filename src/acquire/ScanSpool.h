#pragma once

#include "ImagingTypes.h"
#include "Scanner.h"

#include <QString>
#include <QStringList>

namespace palvenor::acquire {

// A scanned page as a TIFF file stores it: black and white as CCITT G4, grey
// and colour with LZW, 16-bit samples reduced to 8 bits, all in one strip.
struct EncodedPage {
    ScannedPage layout;  // size, samples and resolution; its data is left empty
    QByteArray strip;
    QString problem;  // why the page could not be encoded; empty when it was
};

// Encodes a page; safe on any thread, as it touches no file.
EncodedPage encodeScannedPage(const ScannedPage& page);

// Adds an encoded page as the last page of a TIFF file, making the file when
// it does not exist.
imaging::ImagingError appendEncodedPage(const QString& file, const EncodedPage& page);

// The number of pages of a file; 0 when there is none or it cannot be read.
int pageCountOf(const QString& file);

// Captures not yet saved are spooled page by page into files of this folder
// in the user's data folder, so that no scanned page is lost before the
// capture is saved; a saved capture's file is removed.
QString captureSpoolFolder();
// A new, empty spool file name; empty when the folder cannot be made.
QString newCaptureSpoolFile();
// Spool files left behind by earlier runs, oldest first.
QStringList unsavedCaptures();

}  // namespace palvenor::acquire
