#include "Picbuf.h"

#include "BookReplacement.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

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
    QString reason;
    const bool saved = !picture_.isNull() &&
                       imaging::replaceFile(FileName, [&](QIODevice& out) { return picture_.save(&out, "BMP"); },
                                            &reason);
    if (!saved) QFile::remove(FileName);
    return saved;
}

}  // namespace palvenor
