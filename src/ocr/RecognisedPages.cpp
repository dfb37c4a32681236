#include "RecognisedPages.h"

#include "TiffStructure.h"

#include <QCryptographicHash>
#include <QSet>

#include <algorithm>

namespace palvenor::ocr {

namespace {

namespace tiff = imaging::tiff;

constexpr uint16_t kPageNumber = 297;

// Adds the bytes of the strips or tiles to hash; false when the entries
// name none or they are not all in the file.
bool addPictureBytes(const tiff::FileBytes& file, const tiff::Layout& layout, const std::vector<tiff::Entry>& entries,
                     QCryptographicHash& hash) {
    const std::optional<tiff::PicturePlaces> picture = tiff::picturePlaces(entries, layout.bigEndian);
    if (!picture || picture->pieces.empty()) return false;
    constexpr uint64_t kChunk = 1 << 20;
    QByteArray chunk;
    for (const tiff::Stretch& piece : picture->pieces) {
        for (uint64_t done = 0; done < piece.length; done += kChunk) {
            chunk.resize(qsizetype(std::min(kChunk, piece.length - done)));
            if (!file.read(piece.offset + done, chunk.data(), uint64_t(chunk.size()))) return false;
            hash.addData(chunk);
        }
    }
    return true;
}

QByteArray fingerprint(const tiff::FileBytes& file, const tiff::Layout& layout, uint64_t directory) {
    std::vector<tiff::Entry> entries;
    if (!tiff::readDirectory(file, layout, directory, &entries)) return {};
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    for (const tiff::Entry& entry : entries) {
        if (entry.tag == tiff::TagStripOffsets || entry.tag == tiff::TagTileOffsets || entry.tag == kPageNumber)
            continue;
        const uint64_t head[] = {entry.tag, entry.type, entry.count};
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(head), sizeof head));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(entry.value.data()), qsizetype(entry.value.size())));
    }
    return addPictureBytes(file, layout, entries, hash) ? hash.result() : QByteArray();
}

}  // namespace

std::vector<QByteArray> pageFingerprints(const QString& book) {
    tiff::FileBytes::OpenResult opened;
    const std::shared_ptr<tiff::FileBytes> file = tiff::FileBytes::open(book, &opened);
    tiff::Layout layout;
    if (!file || tiff::readLayout(*file, &layout) != tiff::LayoutStatus::Ok) return {};
    std::vector<QByteArray> prints;
    for (const uint64_t directory : layout.directories) prints.push_back(fingerprint(*file, layout, directory));
    return prints;
}

const BookPage* RecognisedPages::find(const QByteArray& fingerprint) const {
    if (fingerprint.isEmpty()) return nullptr;
    const auto page = pages_.constFind(fingerprint);
    return page == pages_.constEnd() ? nullptr : &page.value();
}

void RecognisedPages::keep(const QByteArray& fingerprint, const BookPage& page) {
    if (!fingerprint.isEmpty()) pages_.insert(fingerprint, page);
}

void RecognisedPages::keepOnly(const std::vector<QByteArray>& fingerprints) {
    const QSet<QByteArray> inBook(fingerprints.begin(), fingerprints.end());
    pages_.removeIf([&inBook](const auto& page) { return !inBook.contains(page.key()); });
}

}  // namespace palvenor::ocr
