#include "LeptonicaPix.h"

#include <QPainter>

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
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* source = grey.constScanLine(y);
        l_uint32* line = data + y * wordsPerLine;
        for (int x = 0; x < grey.width(); ++x)
            SET_DATA_BYTE(line, x, source[x]);
    }
    return pix;
}

}  // namespace palvenor::ocr
