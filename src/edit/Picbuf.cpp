#include "Picbuf.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>

namespace palvenor {

bool Picbuf::PasteFromClipboard() {
    picture_ = QGuiApplication::clipboard()->image();
    return !picture_.isNull();
}

bool Picbuf::Load() {
    picture_ = QImage(FileName);
    return !picture_.isNull();
}

void Picbuf::CreateBlank(int width, int height) {
    picture_ = QImage(width, height, QImage::Format_Mono);
    picture_.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture_.fill(0);
}

int Picbuf::ImageKind() const { return picture_.isNull() ? 0 : picture_.depth(); }

void Picbuf::ConvertToBlackAndWhite(bool dither) {
    const Qt::ImageConversionFlags flags =
        Qt::MonoOnly | (dither ? Qt::DiffuseDither : Qt::ThresholdDither);
    picture_ = picture_.convertToFormat(QImage::Format_Mono, flags);
}

bool Picbuf::Save() const {
    QFile::remove(FileName);
    QSaveFile out(FileName);
    return !picture_.isNull() && out.open(QIODevice::WriteOnly) && picture_.save(&out, "BMP") &&
           out.commit();
}

}  // namespace palvenor
