#include "ImageFile.h"

#include "AnnotationTag.h"
#include "BookReplacement.h"
#include "DiskState.h"
#include "TiffDecode.h"
#include "TiffLibrary.h"
#include "TiffStructure.h"

#include <QByteArray>
#include <QFileInfo>

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace palvenor::imaging {

namespace {

using tiff::FileBytes;

ImagingError failure(int code, const QString& description)
{
    return ImagingError{code, description};
}

ImagingError notFound(const QString& path)
{
    return failure(StatusFileNotFound, QStringLiteral("Datei nicht gefunden: ") + path);
}

ImagingError notAnImage(const QString& path)
{
    return failure(StatusNotAnImage, QStringLiteral("Die Datei ist keine lesbare Bilddatei: ") + path);
}

ImagingError notAFile(const QString& path)
{
    return failure(StatusNotAnImage, QStringLiteral("%1 ist keine Bilddatei").arg(path));
}

// What libtiff said about the damage, if anything, follows the name.
ImagingError corrupt(const QString& path, const QString& detail = {})
{
    const QString text = QStringLiteral("Die Bilddatei ist beschädigt: ") + path;
    return failure(StatusCorruptFile, detail.isEmpty() ? text : QStringLiteral("%1 (libtiff: %2)").arg(text, detail));
}

// Opened all the same: the pages up to `pages` are shown.
ImagingError damagedAfter(const QString& path, int pages)
{
    return failure(StatusOk, QStringLiteral("Die Bilddatei ist nach Seite %1 beschädigt: %2").arg(pages).arg(path));
}

ImagingError unsupported(const QString& detail)
{
    return failure(StatusUnsupportedFormat, QStringLiteral("Dieses Bildformat wird nicht unterstützt: ") + detail);
}

ImagingError badPage(int page, int count)
{
    return failure(StatusBadPageNumber,
                   QStringLiteral("Seite %1 gibt es nicht; die Datei hat %2 Seiten.").arg(page).arg(count));
}

void report(ImagingError* error, ImagingError value)
{
    if (error)
        *error = std::move(value);
}

// ---------------------------------------------------------------------------
// TIFF: the directory chain is walked with positioned reads at open; libtiff
// reads a page's directory only when that page is asked for.

class TiffImageFile final : public ImageFile {
public:
    static std::unique_ptr<ImageFile> open(const QString& path, std::shared_ptr<FileBytes> bytes,
                                           ImagingError* error)
    {
        std::unique_ptr<TiffImageFile> file(new TiffImageFile(path, std::move(bytes)));
        switch (findLayout(path, *file->bytes_, &file->layout_)) {
        case tiff::LayoutStatus::NotTiff:
            report(error, notAnImage(path));
            return nullptr;
        case tiff::LayoutStatus::Damaged:
            report(error, corrupt(path));
            return nullptr;
        case tiff::LayoutStatus::NoPages:
            report(error, failure(StatusNoPages, QStringLiteral("Die Datei enthält keine Seiten: ") + path));
            return nullptr;
        case tiff::LayoutStatus::Ok:
            break;
        }
        // A chain that ends outside the file: the file was cut short or
        // overwritten, and its page count cannot be known. A chain that runs
        // back into itself has its pages before the loop intact.
        if (file->layout_.chainBroken && !file->layout_.chainLoops) {
            report(error, corrupt(path));
            return nullptr;
        }
        file->tif_ = tiff::openForReading(*file->bytes_, path, &file->stream_, &file->messages_);
        if (!file->tif_) {
            report(error, corrupt(path));
            return nullptr;
        }
        file->current_ = 0;
        file->formats_.resize(file->layout_.directories.size());
        file->infos_.resize(file->layout_.directories.size());
        const tiff::PageFormat* first = file->format(0);
        if (!first->supported()) {
            report(error, unsupported(first->unsupported));
            return nullptr;
        }
        report(error, file->layout_.chainLoops ? damagedAfter(path, file->pageCount()) : ImagingError{});
        return file;
    }

    int fileType() const override { return FileTypeTiff; }
    int pageCount() const override { return int(layout_.directories.size()); }

    PageInfo pageInfo(int page) const override
    {
        if (page < 1 || page > pageCount())
            return {};
        const size_t index = size_t(page - 1);
        if (!infos_[index]) {
            const tiff::PageFormat* f = format(index);
            if (!f)
                return {};
            infos_[index] = tiff::pageInfoOf(tif_.get(), *f);
        }
        return *infos_[index];
    }

    QImage readPage(int page, ImagingError* error) const override
    {
        if (page < 1 || page > pageCount()) {
            report(error, badPage(page, pageCount()));
            return {};
        }
        const size_t index = size_t(page - 1);
        const tiff::PageFormat* f = format(index);
        if (!f) {
            report(error, corrupt(path_));
            return {};
        }
        if (!f->supported()) {
            report(error, unsupported(f->unsupported));
            return {};
        }
        messages_.clear();
        tiff::DecodeResult result = tiff::DecodeResult::Ok;
        QImage image = tiff::decodeCurrentPage(tif_.get(), *f, &result);
        if (result == tiff::DecodeResult::Ok && !messages_.lastError.isEmpty())
            result = tiff::DecodeResult::Corrupt;  // the codec complained but carried on
        if (result == tiff::DecodeResult::TooLarge) {
            report(error, unsupported(QStringLiteral("Bild zu groß (%1 × %2 Bildpunkte)").arg(f->width).arg(f->height)));
            return {};
        }
        if (result != tiff::DecodeResult::Ok) {
            report(error, corrupt(path_, messages_.lastError.isEmpty() ? messages_.lastWarning : messages_.lastError));
            return {};
        }
        report(error, ImagingError{});
        return image;
    }

    QByteArray annotationData(int page) const override
    {
        std::vector<tiff::Entry> entries;
        if (page < 1 || page > pageCount() ||
            !tiff::readDirectory(*bytes_, layout_, layout_.directories[size_t(page - 1)], &entries))
            return {};
        const tiff::Entry* entry = tiff::findEntry(entries, AnnotationTag);
        if (!entry || !entry->valid)
            return {};
        return QByteArray(reinterpret_cast<const char*>(entry->value.data()), qsizetype(entry->value.size()));
    }

private:
    TiffImageFile(const QString& path, std::shared_ptr<FileBytes> bytes) : path_(path), bytes_(std::move(bytes)) {}

    // Makes page `index` libtiff's current directory; false if it is unreadable.
    bool select(size_t index) const
    {
        if (current_ == index)
            return true;
        current_ = NoPage;
        if (!TIFFSetSubDirectory(tif_.get(), layout_.directories[index]))
            return false;
        current_ = index;
        return true;
    }

    // Format of page `index`, worked out once; nullptr if its directory is unreadable.
    const tiff::PageFormat* format(size_t index) const
    {
        if (!formats_[index]) {
            if (!select(index))
                return nullptr;
            formats_[index] = tiff::describeCurrentPage(tif_.get());
        } else if (!select(index)) {
            return nullptr;
        }
        return &*formats_[index];
    }

    static constexpr size_t NoPage = size_t(-1);

    QString path_;
    std::shared_ptr<FileBytes> bytes_;
    tiff::Layout layout_;
    mutable tiff::TiffMessages messages_;
    tiff::ReadStream stream_;
    mutable size_t current_ = NoPage;
    mutable std::vector<std::optional<tiff::PageFormat>> formats_;
    mutable std::vector<std::optional<PageInfo>> infos_;
    tiff::TiffHandle tif_;  // last: closed before the bytes it reads go away
};

// ---------------------------------------------------------------------------
// BMP: one page. The header says everything the page info needs; Qt decodes.

struct BmpHeader {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    uint32_t compression = 0;
    double xDpi = 0;
    double yDpi = 0;
    bool greyPalette = false;
};

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t le16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

double dpiFromPixelsPerMetre(int32_t ppm)
{
    if (ppm <= 0)
        return 0;
    return std::round(ppm * 0.0254 * 10) / 10;
}

bool hasBmpSignature(const uint8_t* data, uint64_t size)
{
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

// False if the header is cut short or describes no picture.
bool parseBmpHeader(const uint8_t* d, uint64_t size, uint64_t fileSize, BmpHeader* h)
{
    if (size < 26)
        return false;
    const uint32_t dataOffset = le32(d + 10);
    const uint32_t dibSize = le32(d + 14);
    uint64_t paletteAt = 14 + uint64_t(dibSize);
    int paletteEntrySize = 4;
    uint32_t colorsUsed = 0;
    if (dibSize == 12) {
        h->width = le16(d + 18);
        h->height = le16(d + 20);
        h->bitCount = le16(d + 24);
        paletteEntrySize = 3;
    } else if (dibSize >= 40 && size >= 54) {
        h->width = int32_t(le32(d + 18));
        // Negative for rows stored top down; the most negative value has no
        // positive counterpart and is no picture height at all.
        const int32_t height = int32_t(le32(d + 22));
        if (height == INT32_MIN)
            return false;
        h->height = std::abs(height);
        h->bitCount = le16(d + 28);
        h->compression = le32(d + 30);
        h->xDpi = dpiFromPixelsPerMetre(int32_t(le32(d + 38)));
        h->yDpi = dpiFromPixelsPerMetre(int32_t(le32(d + 42)));
        colorsUsed = le32(d + 46);
        if (h->compression == 3 && dibSize == 40)
            paletteAt += 12;  // colour masks follow the header
    } else {
        return false;
    }
    if (h->width <= 0 || h->height <= 0 || dataOffset >= fileSize)
        return false;
    if (h->compression == 0 || h->compression == 3) {
        const uint64_t rowBytes = (uint64_t(h->width) * h->bitCount + 31) / 32 * 4;
        if (dataOffset + rowBytes * uint64_t(h->height) > fileSize)
            return false;  // pixel rows cut off
    }
    if (h->bitCount == 4 || h->bitCount == 8) {
        uint64_t colors = colorsUsed ? colorsUsed : (1u << h->bitCount);
        colors = std::min<uint64_t>(colors, 1u << h->bitCount);
        if (paletteAt + colors * paletteEntrySize > size)
            return false;
        h->greyPalette = true;
        for (uint64_t i = 0; i < colors && h->greyPalette; ++i) {
            const uint8_t* e = d + paletteAt + i * paletteEntrySize;  // blue, green, red
            h->greyPalette = e[0] == e[1] && e[1] == e[2];
        }
    }
    return true;
}

int bmpPageType(const BmpHeader& h)
{
    switch (h.bitCount) {
    case 1:
        return PageTypeBlackWhite;
    case 4:
        return h.greyPalette ? PageTypeGray4 : PageTypePalette4;
    case 8:
        return h.greyPalette ? PageTypeGray8 : PageTypePalette8;
    case 16:
    case 24:
    case 32:
        return PageTypeRgb24;
    default:
        return PageTypeUnknown;
    }
}

class BmpImageFile final : public ImageFile {
public:
    static std::unique_ptr<ImageFile> open(const QString& path, std::shared_ptr<FileBytes> bytes,
                                           ImagingError* error)
    {
        BmpHeader header;
        // Header and palette; the largest palette has 256 four-byte entries.
        QByteArray head(int(std::min<uint64_t>(bytes->size(), 4096)), '\0');
        if (!bytes->read(0, head.data(), uint64_t(head.size())) ||
            !parseBmpHeader(reinterpret_cast<const uint8_t*>(head.constData()), uint64_t(head.size()),
                            bytes->size(), &header)) {
            report(error, corrupt(path));
            return nullptr;
        }
        const int pageType = bmpPageType(header);
        if (pageType == PageTypeUnknown) {
            report(error, unsupported(QStringLiteral("BMP mit %1 Bit je Bildpunkt").arg(header.bitCount)));
            return nullptr;
        }
        std::unique_ptr<BmpImageFile> file(new BmpImageFile);
        file->path_ = path;
        file->bytes_ = std::move(bytes);
        PageInfo& info = file->info_;
        info.width = header.width;
        info.height = header.height;
        info.xResolution = header.xDpi;
        info.yResolution = header.yDpi;
        info.pageType = pageType;
        if (header.compression == 1 || header.compression == 2) {
            info.compression = 0;  // no TIFF equivalent
            info.compressionInfo = QStringLiteral("RLE");
        } else {
            info.compression = 1;
            info.compressionInfo = tiff::compressionName(1);
        }
        report(error, ImagingError{});
        return file;
    }

    int fileType() const override { return FileTypeBmp; }
    int pageCount() const override { return 1; }
    PageInfo pageInfo(int page) const override { return page == 1 ? info_ : PageInfo{}; }
    QByteArray annotationData(int) const override { return {}; }

    QImage readPage(int page, ImagingError* error) const override
    {
        if (page != 1) {
            report(error, badPage(page, 1));
            return {};
        }
        QByteArray raw(qsizetype(bytes_->size()), Qt::Uninitialized);
        QImage image;
        if (bytes_->read(0, raw.data(), uint64_t(raw.size())))
            image = QImage::fromData(raw, "BMP");
        if (image.isNull()) {
            report(error, corrupt(path_));
            return {};
        }
        report(error, ImagingError{});
        switch (info_.pageType) {
        case PageTypeBlackWhite:
            return image.convertToFormat(QImage::Format_Mono);
        case PageTypeGray4:
        case PageTypeGray8:
            return image.convertToFormat(QImage::Format_Grayscale8);
        case PageTypePalette4:
        case PageTypePalette8:
            return image.format() == QImage::Format_Indexed8 ? image
                                                              : image.convertToFormat(QImage::Format_Indexed8);
        default:
            return image.convertToFormat(QImage::Format_RGB32);
        }
    }

private:
    BmpImageFile() = default;

    QString path_;
    std::shared_ptr<FileBytes> bytes_;
    PageInfo info_;
};

}  // namespace

std::unique_ptr<ImageFile> ImageFile::open(const QString& path, ImagingError* error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        report(error, notFound(path));
        return nullptr;
    }
    // A pipe or device would block the reader or never end; a folder has no pages.
    if (!info.isFile()) {
        report(error, notAFile(path));
        return nullptr;
    }
    removeSaveLeftovers(path);
    FileBytes::OpenResult result = FileBytes::OpenResult::Ok;
    std::shared_ptr<FileBytes> bytes = FileBytes::open(path, &result);
    if (!bytes) {
        report(error, result == FileBytes::OpenResult::NotFound ? notFound(path) : notAnImage(path));
        return nullptr;
    }
    uint8_t signature[4] = {};
    const uint64_t signatureSize = std::min<uint64_t>(sizeof signature, bytes->size());
    bytes->read(0, signature, signatureSize);
    if (tiff::hasTiffSignature(signature, signatureSize)) {
        noteDiskState(path);
        return TiffImageFile::open(path, std::move(bytes), error);
    }
    if (hasBmpSignature(signature, signatureSize))
        return BmpImageFile::open(path, std::move(bytes), error);
    report(error, notAnImage(path));
    return nullptr;
}

}  // namespace palvenor::imaging
