#pragma once

// The byte-level structure of a TIFF file: header, chain of image directories
// and directory entries, read straight from the file.
//
// Two jobs need this below the level of libtiff: finding the pages of a long
// book without parsing every directory (the chain walk reads a few bytes per
// page), and copying pages into another book without decoding them (entries
// and strips are moved as bytes).
//
// Files are read with positioned reads rather than through a memory mapping:
// touching a thousand directories spread over a mapped book costs a page
// fault each, which is many times the price of a small read.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace palvenor::imaging::tiff {

// An open file (or a buffer standing in for one) read at arbitrary offsets.
class FileBytes {
public:
    enum class OpenResult { Ok, NotFound, NotReadable };

    static std::shared_ptr<FileBytes> open(const QString& path, OpenResult* result);
    static std::shared_ptr<FileBytes> fromBuffer(QByteArray buffer);

    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    uint64_t size() const { return size_; }
    // Reads exactly length bytes at offset; false if they are not all there.
    bool read(uint64_t offset, void* out, uint64_t length) const;
    // The operating system's descriptor; -1 for a buffer.
    int descriptor() const;
    // The bytes of a buffer; nullptr for a file.
    const uint8_t* buffer() const;

private:
    FileBytes() = default;

    mutable QFile file_;
    QByteArray buffer_;
    uint64_t size_ = 0;
};

// A few kilobytes of a file around where the reading goes on. A directory
// and the values written next to it, or a run of directories written
// together, usually come in with one read.
class ReadWindow {
public:
    // Reads come in pieces of at least chunk bytes: more where the reading
    // goes through a run of directories that lie together.
    explicit ReadWindow(const FileBytes& file, uint64_t chunk = 4096) : file_(file), chunk_(chunk) {}

    const FileBytes& file() const { return file_; }
    // length bytes at offset, valid until the next call; nullptr if they are
    // not all in the file.
    const uint8_t* at(uint64_t offset, uint64_t length);

private:
    const FileBytes& file_;
    uint64_t chunk_;
    std::vector<uint8_t> window_;
    uint64_t start_ = 0;
    uint64_t filled_ = 0;
};

// Field types of directory entries.
enum FieldType : uint16_t {
    TypeByte = 1,
    TypeAscii = 2,
    TypeShort = 3,
    TypeLong = 4,
    TypeRational = 5,
    TypeSByte = 6,
    TypeUndefined = 7,
    TypeSShort = 8,
    TypeSLong = 9,
    TypeSRational = 10,
    TypeFloat = 11,
    TypeDouble = 12,
    TypeIfd = 13,
    TypeLong8 = 16,
    TypeSLong8 = 17,
    TypeIfd8 = 18,
};

// Size in bytes of one value of the type; 0 for types nobody defined.
int fieldTypeSize(uint16_t type);
// Size of the unit that byte swapping works on (a rational swaps as two longs).
int fieldSwapUnit(uint16_t type);

// Integers in a file's byte order. Callers check bounds first.
uint16_t load16(const uint8_t* p, bool bigEndian);
uint32_t load32(const uint8_t* p, bool bigEndian);
uint64_t load64(const uint8_t* p, bool bigEndian);

enum class LayoutStatus {
    Ok,
    NotTiff,   // no TIFF header
    Damaged,   // header fine, first directory outside the file or unreadable
    NoPages,   // header says there is no directory at all
};

// The directory chain of a file.
struct Layout {
    bool bigEndian = false;
    bool bigTiff = false;
    std::vector<uint64_t> directories;  // offsets, in chain order
    // A link in the chain pointed outside the file, at a truncated directory
    // or back into the chain; directories holds what comes before it.
    bool chainBroken = false;
    bool chainLoops = false;  // broken by a link back into the chain
};

bool hasTiffSignature(const uint8_t* data, uint64_t size);
LayoutStatus readLayout(const FileBytes& file, Layout* layout);

// What a page's directory takes in its book, as far as changing the book
// in place needs to know.
struct DirectoryFacts {
    uint64_t size = 0;      // the directory itself: entry count, entries and link
    uint64_t taken = 0;     // with its values stored apart from it and its strips or tiles
    bool numbered = false;  // it holds a page number entry
};

// A book's chain as this program last wrote it: where its directories lie
// and what each takes. Valid only while the book is as it was written.
struct KnownChain {
    Layout layout;
    std::vector<DirectoryFacts> facts;  // one per directory of layout
};

// One directory entry with its value bytes, in the file's byte order.
struct Entry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint64_t count = 0;
    bool valid = false;  // known type and value bytes within the file
    std::vector<uint8_t> value;
};

// Reads the directory at offset with all entry values, and if next is given
// the offset of the directory linked after it. False if the directory itself
// does not fit in the file; entries whose values do not are kept with
// valid == false.
bool readDirectory(const FileBytes& file, const Layout& layout, uint64_t offset, std::vector<Entry>* entries,
                   uint64_t* next = nullptr);

// The bytes of the directory at offset as they lie in the file: entry count,
// entries and the link to the next directory; empty if it does not fit.
std::vector<uint8_t> directoryBytes(ReadWindow& window, const Layout& layout, uint64_t offset);

const Entry* findEntry(const std::vector<Entry>& entries, uint16_t tag);
// Types whose values are unsigned integers of 2, 4 or 8 bytes.
bool isIntegerType(uint16_t type);

// Tags of the entries that say where the picture of a page lies.
enum PictureTag : uint16_t {
    TagStripOffsets = 273,
    TagStripByteCounts = 279,
    TagTileWidth = 322,
    TagTileOffsets = 324,
    TagTileByteCounts = 325,
};

// A stretch of bytes of a file.
struct Stretch {
    uint64_t offset = 0;
    uint64_t length = 0;
};

// Where the picture of a page lies, as its directory's entries say.
struct PicturePlaces {
    bool tiled = false;
    std::vector<Stretch> pieces;  // its strips or tiles in order; none where the entries name none
};

// The strips, or the tiles where the entries give a tile width and tile
// offsets, that the entries name, whether they lie within the file or
// not; nullopt where offsets and byte counts do not pair up: one of them
// missing or unreadable, their numbers unequal or nought, or not integers.
std::optional<PicturePlaces> picturePlaces(const std::vector<Entry>& entries, bool bigEndian);
// Turns the values of the entries into the other byte order.
void swapByteOrder(std::vector<Entry>& entries);
// Value `index` of an integer entry (byte, short, long, long8); 0 if out of range.
uint64_t entryInteger(const Entry& entry, bool bigEndian, uint64_t index = 0);

}  // namespace palvenor::imaging::tiff
