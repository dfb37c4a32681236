#include "FolderConcatenation.h"

#include "ImageFile.h"
#include "PageAdmin.h"
#include "Picbuf.h"

#include <QDir>
#include <QFile>

#include <tiffio.h>

#include <cmath>
#include <vector>

namespace palvenor::acquire {

namespace {

constexpr double kInchesPerMetre = 0.0254;
constexpr double kDefaultDpi = 300;

float dpiOf(int dotsPerMetre) {
    return float(dotsPerMetre > 0 ? std::round(dotsPerMetre * kInchesPerMetre) : kDefaultDpi);
}

// The rows of a two-coloured picture with 1 for black, as the book's G4
// pages store them.
std::vector<uint8_t> blackBits(const QImage& page, size_t rowBytes) {
    const QList<QRgb> table = page.colorTable();
    const bool oneIsBlack = table.size() < 2 || qGray(table[1]) < qGray(table[0]);
    std::vector<uint8_t> bits(rowBytes * size_t(page.height()));
    for (int y = 0; y < page.height(); ++y) {
        const uchar* in = page.constScanLine(y);
        uint8_t* out = bits.data() + size_t(y) * rowBytes;
        for (size_t x = 0; x < rowBytes; ++x) out[x] = oneIsBlack ? in[x] : uint8_t(~in[x]);
    }
    return bits;
}

}  // namespace

QStringList matchingFiles(const QString& folder, const QString& fileType) {
    return QDir(folder).entryList({QStringLiteral("*") + fileType}, QDir::Files | QDir::Hidden | QDir::System);
}

bool loadBlackAndWhite(Picbuf& picture, const QString& pictureFile, QString* reason) {
    picture.FileName = pictureFile;
    if (!picture.Load()) {
        *reason = QStringLiteral("kein lesbares Bild");
        return false;
    }
    if (picture.ImageKind() > 1) picture.ConvertToBlackAndWhite(false);
    return true;
}

BookAssembly::BookAssembly(QString book) : book_(std::move(book)) {
    scratch_ = folder_.filePath(QStringLiteral("seiten.tif"));
    if (folder_.isValid()) pages_ = TIFFOpen(QFile::encodeName(scratch_).constData(), "w");
}

BookAssembly::~BookAssembly() {
    if (pages_) TIFFClose(pages_);
}

bool BookAssembly::add(const QString& pictureFile, QImage* page, QString* reason) {
    Picbuf picture;
    if (!loadBlackAndWhite(picture, pictureFile, reason)) return false;
    *page = picture.picture();
    if (append(*page)) return true;
    *reason = QStringLiteral("Seite kann nicht zwischengespeichert werden");
    return false;
}

bool BookAssembly::append(const QImage& page) {
    if (!pages_) return false;
    const size_t rowBytes = (size_t(page.width()) + 7) / 8;
    std::vector<uint8_t> bits = blackBits(page, rowBytes);
    TIFFSetField(pages_, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(pages_, TIFFTAG_IMAGEWIDTH, uint32_t(page.width()));
    TIFFSetField(pages_, TIFFTAG_IMAGELENGTH, uint32_t(page.height()));
    TIFFSetField(pages_, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(pages_, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(pages_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(pages_, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(pages_, TIFFTAG_ROWSPERSTRIP, uint32_t(page.height()));
    TIFFSetField(pages_, TIFFTAG_XRESOLUTION, dpiOf(page.dotsPerMeterX()));
    TIFFSetField(pages_, TIFFTAG_YRESOLUTION, dpiOf(page.dotsPerMeterY()));
    TIFFSetField(pages_, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    const bool written = TIFFWriteEncodedStrip(pages_, 0, bits.data(), tmsize_t(bits.size())) >= 0 &&
                         TIFFWriteDirectory(pages_);
    if (written) ++pageCount_;
    return written;
}

imaging::ImagingError BookAssembly::finish() {
    imaging::ImagingError error;
    const std::unique_ptr<imaging::ImageFile> book = imaging::ImageFile::open(book_, &error);
    if (!book) return error;
    TIFFClose(pages_);
    pages_ = nullptr;
    std::vector<imaging::PageSource> pages;
    for (int k = 1; k <= book->pageCount(); ++k) pages.push_back(imaging::pageOfFile(book_, k));
    for (int k = 1; k <= pageCount_; ++k) pages.push_back(imaging::pageOfFile(scratch_, k));
    return imaging::writeBook(book_, pages);
}

}  // namespace palvenor::acquire
