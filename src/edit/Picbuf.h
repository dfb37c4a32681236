#pragma once

#include <QImage>
#include <QString>

namespace palvenor {

// A picture buffer: takes a picture from the clipboard or makes a blank one,
// reduces it to black and white, and writes it as a Windows bitmap for the
// page operations to read.
class Picbuf {
public:
    // Takes the clipboard's picture; false (and an empty buffer) when the
    // clipboard holds none.
    bool PasteFromClipboard();
    // Loads the picture file named by FileName; false (and an empty buffer)
    // when it cannot be decoded.
    bool Load();
    // A white black-and-white picture of the given size in pixels.
    void CreateBlank(int width, int height);
    // Bits per pixel of the picture: 1 for black and white, 8 for grey or
    // palette pictures, 24 or 32 for colour; 0 while the buffer is empty.
    int ImageKind() const;
    // Reduces the picture to two colours, black and white, by a threshold
    // or, with dither, by error diffusion.
    void ConvertToBlackAndWhite(bool dither);

    const QImage& picture() const { return picture_; }

    // The file Load reads and Save writes.
    QString FileName;
    // Writes the picture to FileName as a Windows bitmap, replacing what was
    // there as a book is replaced (its mode and owner kept, the folder
    // flushed); false when it could not be written (then no old file is
    // left to be mistaken for this picture).
    bool Save() const;

private:
    QImage picture_;
};

}  // namespace palvenor
