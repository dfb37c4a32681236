#include "LeptonicaPix.h"

#include <QPainter>

#include <algorithm>

#include <leptonica/allheaders.h>

namespace palvenor::ocr {
namespace {

QImage onWhitePaper(const QImage& picture)
{
    QImage paper(picture.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.drawImage(0, 0, picture);
    return paper;
}

bool isPlainBlackAndWhite(const QImage& picture)
{
    if (picture.format() != QImage::Format_Mono && picture.format() != QImage::Format_MonoLSB)
        return false;
    const QList<QRgb> colours = picture.colorTable();
    return colours.size() == 2 && std::all_of(colours.begin(), colours.end(), [](QRgb colour) {
        const int grey = qGray(colour);
        return grey == 0 || grey == 255;
    });
}

}  // namespace

void PixDeleter::operator()(Pix* pix) const
{
    pixDestroy(&pix);
}

PixPtr toGreyPix(const QImage& picture)
{
    const QImage grey =
        (picture.hasAlphaChannel() ? onWhitePaper(picture) : picture).convertToFormat(QImage::Format_Grayscale8);
    PixPtr pix(pixCreate(grey.width(), grey.height(), 8));
    if (!pix)
        return pix;
    l_uint32* const data = pixGetData(pix.get());
    const int wordsPerLine = pixGetWpl(pix.get());
    const int width = grey.width();
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* source = grey.constScanLine(y);
        l_uint32* line = data + y * wordsPerLine;
        for (int x = 0; x < width; ++x)
            SET_DATA_BYTE(line, x, source[x]);
    }
    return pix;
}

PixPtr toInkPix(const QImage& picture)
{
    if (!isPlainBlackAndWhite(picture))
        return nullptr;
    const QImage bits = picture.convertToFormat(QImage::Format_Mono);  // leftmost pixel in the highest bit
    PixPtr pix(pixCreate(bits.width(), bits.height(), 1));
    if (!pix)
        return pix;
    // Leptonica's set bit is ink: where colour 1 is white, the bits turn over.
    const uchar flip = qGray(bits.color(1)) == 0 ? 0x00 : 0xff;
    const int fullBytes = bits.width() / 8;
    const int lastBits = bits.width() % 8;
    const auto lastMask = uchar(0xff << (8 - lastBits));
    l_uint32* const data = pixGetData(pix.get());
    const int wordsPerLine = pixGetWpl(pix.get());
    for (int y = 0; y < bits.height(); ++y) {
        const uchar* source = bits.constScanLine(y);
        l_uint32* line = data + y * wordsPerLine;
        for (int x = 0; x < fullBytes; ++x)
            SET_DATA_BYTE(line, x, source[x] ^ flip);
        if (lastBits > 0)  // the bits beyond the right edge stay clear
            SET_DATA_BYTE(line, fullBytes, (source[fullBytes] ^ flip) & lastMask);
    }
    return pix;
}

}  // namespace palvenor::ocr
