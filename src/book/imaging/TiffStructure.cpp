#include "TiffStructure.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <unordered_set>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace palvenor::imaging::tiff {

std::shared_ptr<FileBytes> FileBytes::open(const QString& path, OpenResult* result)
{
    std::shared_ptr<FileBytes> bytes(new FileBytes);
    bytes->file_.setFileName(path);
    if (!bytes->file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        *result = QFileInfo::exists(path) ? OpenResult::NotReadable : OpenResult::NotFound;
        return nullptr;
    }
    const qint64 size = bytes->file_.size();
    if (size < 0) {
        *result = OpenResult::NotReadable;
        return nullptr;
    }
    bytes->size_ = uint64_t(size);
    *result = OpenResult::Ok;
    return bytes;
}

std::shared_ptr<FileBytes> FileBytes::fromBuffer(QByteArray buffer)
{
    std::shared_ptr<FileBytes> bytes(new FileBytes);
    bytes->buffer_ = std::move(buffer);
    bytes->size_ = uint64_t(bytes->buffer_.size());
    return bytes;
}

bool FileBytes::read(uint64_t offset, void* out, uint64_t length) const
{
    if (offset > size_ || length > size_ - offset)
        return false;
    if (!file_.isOpen()) {
        std::memcpy(out, buffer_.constData() + offset, size_t(length));
        return true;
    }
#ifdef Q_OS_UNIX
    auto* target = static_cast<char*>(out);
    while (length > 0) {
        const ssize_t n = ::pread(file_.handle(), target, size_t(length), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        target += n;
        offset += uint64_t(n);
        length -= uint64_t(n);
    }
    return true;
#else
    return file_.seek(qint64(offset)) && file_.read(static_cast<char*>(out), qint64(length)) == qint64(length);
#endif
}

int FileBytes::descriptor() const
{
    return file_.isOpen() ? file_.handle() : -1;
}

const uint8_t* FileBytes::buffer() const
{
    return file_.isOpen() ? nullptr : reinterpret_cast<const uint8_t*>(buffer_.constData());
}

int fieldTypeSize(uint16_t type)
{
    switch (type) {
    case TypeByte:
    case TypeAscii:
    case TypeSByte:
    case TypeUndefined:
        return 1;
    case TypeShort:
    case TypeSShort:
        return 2;
    case TypeLong:
    case TypeSLong:
    case TypeFloat:
    case TypeIfd:
        return 4;
    case TypeRational:
    case TypeSRational:
    case TypeDouble:
    case TypeLong8:
    case TypeSLong8:
    case TypeIfd8:
        return 8;
    default:
        return 0;
    }
}

int fieldSwapUnit(uint16_t type)
{
    if (type == TypeRational || type == TypeSRational)
        return 4;
    return fieldTypeSize(type);
}

uint16_t load16(const uint8_t* p, bool bigEndian)
{
    return bigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
}

uint32_t load32(const uint8_t* p, bool bigEndian)
{
    if (bigEndian)
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

uint64_t load64(const uint8_t* p, bool bigEndian)
{
    const uint64_t a = load32(p, bigEndian);
    const uint64_t b = load32(p + 4, bigEndian);
    return bigEndian ? (a << 32 | b) : (b << 32 | a);
}

bool hasTiffSignature(const uint8_t* data, uint64_t size)
{
    if (size < 4)
        return false;
    const bool little = data[0] == 'I' && data[1] == 'I';
    const bool big = data[0] == 'M' && data[1] == 'M';
    if (!little && !big)
        return false;
    const uint16_t version = little ? uint16_t(data[3] << 8 | data[2]) : uint16_t(data[2] << 8 | data[3]);
    return version == 42 || version == 43;
}

const uint8_t* ReadWindow::at(uint64_t offset, uint64_t length)
{
    if (offset > file_.size() || length > file_.size() - offset)
        return nullptr;
    if (const uint8_t* all = file_.buffer())
        return all + offset;
    if (offset >= start_ && offset - start_ + length <= filled_)
        return window_.data() + (offset - start_);
    const uint64_t n = std::min(std::max<uint64_t>(length, chunk_), file_.size() - offset);
    window_.resize(size_t(n));
    if (!file_.read(offset, window_.data(), n)) {
        filled_ = 0;
        return nullptr;
    }
    start_ = offset;
    filled_ = n;
    return window_.data();
}

namespace {

struct DirectoryShape {
    uint64_t countSize, entrySize, nextSize;
};

DirectoryShape shapeOf(bool bigTiff)
{
    return bigTiff ? DirectoryShape{8, 20, 8} : DirectoryShape{2, 12, 4};
}

// Number of entries of the directory at offset, or 0 if it does not fit.
uint64_t directoryEntryCount(ReadWindow& window, uint64_t fileSize, const Layout& layout, uint64_t offset,
                             uint64_t* next)
{
    const DirectoryShape shape = shapeOf(layout.bigTiff);
    const uint8_t* p = window.at(offset, shape.countSize);
    if (!p)
        return 0;
    const uint64_t count = layout.bigTiff ? load64(p, layout.bigEndian) : load16(p, layout.bigEndian);
    if (count == 0 || count > fileSize / shape.entrySize)
        return 0;
    const uint8_t* n = window.at(offset + shape.countSize + count * shape.entrySize, shape.nextSize);
    if (!n)
        return 0;
    if (next)
        *next = layout.bigTiff ? load64(n, layout.bigEndian) : load32(n, layout.bigEndian);
    return count;
}

}  // namespace

LayoutStatus readLayout(const FileBytes& file, Layout* layout)
{
    *layout = Layout();
    uint8_t header[16] = {};
    const uint64_t headerSize = std::min<uint64_t>(sizeof header, file.size());
    if (!file.read(0, header, headerSize) || !hasTiffSignature(header, headerSize))
        return LayoutStatus::NotTiff;
    layout->bigEndian = header[0] == 'M';
    const bool big = layout->bigEndian;
    uint64_t first = 0;
    if (load16(header + 2, big) == 43) {
        // BigTIFF: offset size 8, a reserved zero, then the first offset.
        if (headerSize < 16 || load16(header + 4, big) != 8 || load16(header + 6, big) != 0)
            return LayoutStatus::Damaged;
        layout->bigTiff = true;
        first = load64(header + 8, big);
    } else {
        if (headerSize < 8)
            return LayoutStatus::Damaged;
        first = load32(header + 4, big);
    }
    if (first == 0)
        return LayoutStatus::NoPages;

    ReadWindow window(file);
    std::unordered_set<uint64_t> seen;
    uint64_t offset = first;
    while (offset != 0) {
        uint64_t next = 0;
        if (!seen.insert(offset).second) {
            layout->chainBroken = layout->chainLoops = true;
            break;
        }
        if (directoryEntryCount(window, file.size(), *layout, offset, &next) == 0) {
            layout->chainBroken = true;
            break;
        }
        layout->directories.push_back(offset);
        offset = next;
    }
    if (layout->directories.empty())
        return LayoutStatus::Damaged;
    return LayoutStatus::Ok;
}

bool readDirectory(const FileBytes& file, const Layout& layout, uint64_t offset, std::vector<Entry>* entries,
                   uint64_t* next)
{
    entries->clear();
    ReadWindow window(file);
    const uint64_t count = directoryEntryCount(window, file.size(), layout, offset, next);
    if (count == 0)
        return false;
    const DirectoryShape shape = shapeOf(layout.bigTiff);
    const uint64_t inlineCapacity = layout.bigTiff ? 8 : 4;
    const bool big = layout.bigEndian;
    // Copy the directory out first: reading values moves the window.
    std::vector<uint8_t> directory(size_t(count * shape.entrySize));
    std::memcpy(directory.data(), window.at(offset + shape.countSize, directory.size()), directory.size());
    entries->resize(size_t(count));
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* at = directory.data() + i * shape.entrySize;
        Entry& e = (*entries)[size_t(i)];
        e.tag = load16(at, big);
        e.type = load16(at + 2, big);
        e.count = layout.bigTiff ? load64(at + 4, big) : load32(at + 4, big);
        const uint8_t* valueField = at + (layout.bigTiff ? 12 : 8);
        const int typeSize = fieldTypeSize(e.type);
        if (typeSize == 0 || e.count > file.size() / uint64_t(typeSize))
            continue;
        const uint64_t length = e.count * uint64_t(typeSize);
        if (length <= inlineCapacity) {
            e.value.assign(valueField, valueField + length);
            e.valid = true;
            continue;
        }
        const uint64_t dataOffset = layout.bigTiff ? load64(valueField, big) : load32(valueField, big);
        if (const uint8_t* data = window.at(dataOffset, length)) {
            e.value.assign(data, data + length);
            e.valid = true;
        }
    }
    return true;
}

std::vector<uint8_t> directoryBytes(ReadWindow& window, const Layout& layout, uint64_t offset)
{
    const uint64_t count = directoryEntryCount(window, window.file().size(), layout, offset, nullptr);
    if (count == 0)
        return {};
    const DirectoryShape shape = shapeOf(layout.bigTiff);
    const uint64_t length = shape.countSize + count * shape.entrySize + shape.nextSize;
    const uint8_t* bytes = window.at(offset, length);
    return bytes ? std::vector<uint8_t>(bytes, bytes + length) : std::vector<uint8_t>();
}

const Entry* findEntry(const std::vector<Entry>& entries, uint16_t tag)
{
    for (const Entry& e : entries)
        if (e.tag == tag)
            return &e;
    return nullptr;
}

bool isIntegerType(uint16_t type)
{
    return type == TypeShort || type == TypeLong || type == TypeLong8;
}

std::optional<PicturePlaces> picturePlaces(const std::vector<Entry>& entries, bool bigEndian)
{
    PicturePlaces places;
    places.tiled = findEntry(entries, TagTileWidth) && findEntry(entries, TagTileOffsets);
    const Entry* offsets = findEntry(entries, places.tiled ? TagTileOffsets : TagStripOffsets);
    const Entry* counts = findEntry(entries, places.tiled ? TagTileByteCounts : TagStripByteCounts);
    if (!offsets && !counts)
        return places;
    if (!offsets || !counts || !offsets->valid || !counts->valid || offsets->count == 0 ||
        offsets->count != counts->count || !isIntegerType(offsets->type) || !isIntegerType(counts->type))
        return std::nullopt;
    places.pieces.reserve(size_t(offsets->count));
    for (uint64_t k = 0; k < offsets->count; ++k)
        places.pieces.push_back({entryInteger(*offsets, bigEndian, k), entryInteger(*counts, bigEndian, k)});
    return places;
}

void swapByteOrder(std::vector<Entry>& entries)
{
    for (Entry& e : entries) {
        const auto unit = size_t(fieldSwapUnit(e.type));
        for (size_t i = 0; unit > 1 && i + unit <= e.value.size(); i += unit)
            std::reverse(e.value.begin() + qsizetype(i), e.value.begin() + qsizetype(i + unit));
    }
}

uint64_t entryInteger(const Entry& entry, bool bigEndian, uint64_t index)
{
    if (!entry.valid || index >= entry.count)
        return 0;
    const uint8_t* p = entry.value.data();
    switch (entry.type) {
    case TypeByte:
    case TypeUndefined:
        return p[index];
    case TypeShort:
        return load16(p + 2 * index, bigEndian);
    case TypeLong:
    case TypeIfd:
        return load32(p + 4 * index, bigEndian);
    case TypeLong8:
    case TypeIfd8:
        return load64(p + 8 * index, bigEndian);
    default:
        return 0;
    }
}

}  // namespace palvenor::imaging::tiff
