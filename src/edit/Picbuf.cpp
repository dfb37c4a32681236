#include "Picbuf.h"

#include "BookReplacement.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

#include <bit>
#include <cstdint>
#include <cstring>

namespace palvenor {

namespace {

constexpr int kMiddleGrey = 128;

// The black bits of eight grey bytes, the first byte's in the highest bit:
// a byte is black when its top bit, worth middle grey, is clear; the
// multiplication gathers the eight top bits into the highest byte.
uchar blackOfEight(const uchar* grey) {
    static_assert(std::endian::native == std::endian::little);
    uint64_t bytes;
    std::memcpy(&bytes, grey, sizeof bytes);
    const uint64_t black = (~bytes & 0x8080808080808080ull) >> 7;
    return uchar((black * 0x8040201008040201ull) >> 56);
}

// A grey picture cut at middle grey, as the threshold conversion cuts it,
// but straight from the grey bytes, eight at a time: the general
// conversion goes through 32-bit colour first and costs as much as
// decoding the picture.
QImage thresholdOfGrey(const QImage& grey) {
    QImage mono(grey.size(), QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.setDotsPerMeterX(grey.dotsPerMeterX());
    mono.setDotsPerMeterY(grey.dotsPerMeterY());
    const int whole = grey.width() / 8;
    const int rest = grey.width() % 8;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* in = grey.constScanLine(y);
        uchar* out = mono.scanLine(y);
        for (int i = 0; i < whole; ++i) out[i] = blackOfEight(in + 8 * i);
        if (rest == 0) continue;
        uchar bits = 0;
        for (int k = 0; k < rest; ++k) bits |= uchar((in[8 * whole + k] < kMiddleGrey) << (7 - k));
        out[whole] = bits;
    }
    return mono;
}

}  // namespace

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
    if (!dither && picture_.format() == QImage::Format_Grayscale8) {
        picture_ = thresholdOfGrey(picture_);
        return;
    }
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
