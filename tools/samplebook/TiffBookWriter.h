#pragma once

#include <QImage>
#include <QString>

typedef struct tiff TIFF;

// Writes page images one after another into a multi-page TIFF file. The
// storage follows the image format:
//   Format_Mono       -> 1 bit, min-is-white, CCITT G4, one strip
//   Format_Grayscale8 -> 8 bit, min-is-black, LZW
//   Format_Indexed8   -> 8 bit palette with the image's colour table, LZW
//   other formats     -> 24 bit RGB, LZW
// Every page is marked as a page of a document and carries its page number.
class TiffBookWriter {
public:
    explicit TiffBookWriter(const QString& path);
    ~TiffBookWriter();
    TiffBookWriter(const TiffBookWriter&) = delete;
    TiffBookWriter& operator=(const TiffBookWriter&) = delete;

    bool isOpen() const { return m_tiff != nullptr; }

    // pageIndex counts from 0; pageCount is the number of pages in the file.
    bool writePage(const QImage& image, int pageIndex, int pageCount);

    // Closes the file; false if anything went wrong while writing.
    bool finish();

private:
    bool writeBilevel(const QImage& image);
    bool writeContone(const QImage& image);
    bool writeRows(const QImage& image, qsizetype rowBytes, bool invert);

    TIFF* m_tiff = nullptr;
    bool m_failed = false;
};
