#include "TiffBookWriter.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace palvenor::imaging::tiff {

namespace {

enum : uint16_t {
    TagNewSubfileType = 254,
    TagSubfileType = 255,
    TagBitsPerSample = 258,
    TagXResolution = 282,
    TagYResolution = 283,
    TagFreeOffsets = 288,
    TagFreeByteCounts = 289,
    TagPageNumber = 297,
    TagSubIfds = 330,
    TagJpegInterchange = 513,
    TagJpegInterchangeLength = 514,
    TagJpegQTables = 519,
    TagJpegDcTables = 520,
    TagJpegAcTables = 521,
    TagIccProfile = 34675,
    TagExifIfd = 34665,
    TagGpsIfd = 34853,
    TagInteroperabilityIfd = 40965,
};

constexpr uint32_t FileTypePage = 2;

// The directories of a book written here lie together: those kept and
// copied are read in long pieces.
constexpr uint64_t KeptWindowChunk = 64 * 1024;

// Directories are gathered into writes of about this size.
constexpr size_t DirectoryWriteSize = size_t(1) << 20;

// Entries not carried over: those the writer sets for the new file, and those
// holding positions of data it does not copy (sub-directories, free space,
// the tables of the old JPEG scheme).
bool isReplacedOrDropped(uint16_t tag)
{
    switch (tag) {
    case TagNewSubfileType:
    case TagSubfileType:
    case TagStripOffsets:
    case TagStripByteCounts:
    case TagFreeOffsets:
    case TagFreeByteCounts:
    case TagPageNumber:
    case TagTileOffsets:
    case TagTileByteCounts:
    case TagSubIfds:
    case TagJpegInterchange:
    case TagJpegInterchangeLength:
    case TagJpegQTables:
    case TagJpegDcTables:
    case TagJpegAcTables:
    case TagExifIfd:
    case TagGpsIfd:
    case TagInteroperabilityIfd:
        return true;
    default:
        return false;
    }
}

// Entries that say how a picture is stored, which a new encoding of it
// sets itself: size, samples, compression and its parameters, photometric
// and colour map, orientation, planar layout, tiles, YCbCr, JPEG.
constexpr uint16_t PictureStructureTags[] = {
    256, 257, 258, 259, 262, 263, 264, 265, 266, 274, 277, 278, 280, 281, 284, 290, 291, 292, 293, 317, 320,
    322, 323, 332, 334, 338, 339, 340, 341, 342, 347, 512, 515, 517, 518, 529, 530, 531, 532, 559, 32995,
    32996, 32997, 32998,
};

bool isPictureStructure(uint16_t tag)
{
    return isReplacedOrDropped(tag) ||
           std::binary_search(std::begin(PictureStructureTags), std::end(PictureStructureTags), tag);
}

// Index of the first block equal to block k.
template <typename Blocks>
size_t firstOfItsKind(const Blocks& blocks, size_t k)
{
    for (size_t j = 0; j < k; ++j)
        if (blocks[j].offset == blocks[k].offset && blocks[j].length == blocks[k].length)
            return j;
    return k;
}

struct OutputFormat {
    bool bigTiff = false;
    bool bigEndian = false;

    uint64_t countSize() const { return bigTiff ? 8 : 2; }
    uint64_t entrySize() const { return bigTiff ? 20 : 12; }
    uint64_t nextSize() const { return bigTiff ? 8 : 4; }
    uint64_t inlineCapacity() const { return bigTiff ? 8 : 4; }
    uint16_t offsetType() const { return bigTiff ? TypeLong8 : TypeLong; }
};

// Integers in the byte order of the new file.
struct Encoder {
    bool bigEndian;

    void put(std::vector<uint8_t>& out, uint64_t value, int size) const
    {
        for (int i = 0; i < size; ++i) {
            const int shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
            out.push_back(uint8_t(value >> shift));
        }
    }
    void put(uint8_t* out, uint64_t value, int size) const
    {
        for (int i = 0; i < size; ++i) {
            const int shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
            out[i] = uint8_t(value >> shift);
        }
    }
};

struct OutEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint64_t count = 0;
    const uint8_t* external = nullptr;  // value bytes in the source, usable as they are
    std::vector<uint8_t> own;           // value bytes made for the new file
    uint64_t length = 0;
    uint64_t position = 0;  // of out-of-line values

    const uint8_t* bytes() const { return external ? external : own.data(); }
};

OutEntry generated(uint16_t tag, uint16_t type, uint64_t count)
{
    OutEntry e;
    e.tag = tag;
    e.type = type;
    e.count = count;
    e.length = count * uint64_t(fieldTypeSize(type));
    e.own.reserve(size_t(e.length));
    return e;
}

// Carries a source entry over into the new file's byte order and offset
// size. False if it cannot be represented there (an 8-byte integer beyond
// the range of a classic file's 4-byte ones).
bool carryOver(const Entry& e, bool sourceBigEndian, const OutputFormat& out, const Encoder& enc, OutEntry* o)
{
    o->tag = e.tag;
    o->type = e.type;
    o->count = e.count;
    const uint8_t* src = e.value.data();
    const uint64_t length = e.value.size();

    if (!out.bigTiff) {
        if (e.count > std::numeric_limits<uint32_t>::max())
            return false;
        if (e.type == TypeLong8 || e.type == TypeSLong8) {
            o->type = e.type == TypeLong8 ? TypeLong : TypeSLong;
            o->own.reserve(size_t(e.count * 4));
            for (uint64_t i = 0; i < e.count; ++i) {
                const uint64_t v = load64(src + 8 * i, sourceBigEndian);
                if (e.type == TypeLong8 && v > std::numeric_limits<uint32_t>::max())
                    return false;
                if (e.type == TypeSLong8) {
                    const auto s = int64_t(v);
                    if (s < std::numeric_limits<int32_t>::min() || s > std::numeric_limits<int32_t>::max())
                        return false;
                }
                enc.put(o->own, v, 4);
            }
            o->length = o->own.size();
            return true;
        }
    }
    o->length = length;
    if (sourceBigEndian == out.bigEndian) {
        o->external = src;
        return true;
    }
    o->own.assign(src, src + length);
    const int unit = fieldSwapUnit(e.type);
    if (unit > 1)
        for (uint64_t i = 0; i + unit <= length; i += unit)
            std::reverse(o->own.begin() + qsizetype(i), o->own.begin() + qsizetype(i + unit));
    return true;
}

uint64_t padded(uint64_t length)
{
    return length + (length & 1);
}

bool withinFile(const FileBytes& file, uint64_t offset, uint64_t length)
{
    return length > 0 && offset <= file.size() && length <= file.size() - offset;
}

// Length of a table of the old JPEG scheme at offset: a quantisation table
// has 64 values; a Huffman table 16 counts of codes and then as many values
// as they add up to. 0 if the table does not lie in the file.
uint64_t jpegTableLength(const FileBytes& file, uint16_t tag, uint64_t offset)
{
    if (tag == TagJpegQTables)
        return withinFile(file, offset, 64) ? 64 : 0;
    uint8_t counts[16] = {};
    if (!file.read(offset, counts, sizeof counts))
        return 0;
    uint64_t length = sizeof counts;
    for (const uint8_t n : counts)
        length += n;
    return withinFile(file, offset, length) ? length : 0;
}

// The sum of count integers of the type at values.
uint64_t sumOf(const uint8_t* values, uint16_t type, uint64_t count, bool bigEndian)
{
    uint64_t sum = 0;
    const int size = fieldTypeSize(type);
    for (uint64_t k = 0; k < count; ++k) {
        const uint8_t* v = values + k * uint64_t(size);
        sum += type == TypeShort ? load16(v, bigEndian) : type == TypeLong ? load32(v, bigEndian) : load64(v, bigEndian);
    }
    return sum;
}

// The bytes of book that the directory `raw` takes with what it points at:
// itself, its values stored apart from it and its strips or tiles.
uint64_t takenSize(const FileBytes& file, const Layout& layout, const std::vector<uint8_t>& raw)
{
    const OutputFormat format{layout.bigTiff, layout.bigEndian};
    const bool big = layout.bigEndian;
    const uint64_t count = layout.bigTiff ? load64(raw.data(), big) : load16(raw.data(), big);
    uint64_t total = raw.size();
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* at = raw.data() + format.countSize() + i * format.entrySize();
        const uint16_t tag = load16(at, big);
        const uint16_t type = load16(at + 2, big);
        const uint64_t n = layout.bigTiff ? load64(at + 4, big) : load32(at + 4, big);
        const int size = fieldTypeSize(type);
        if (size == 0 || n > file.size() / uint64_t(size))
            continue;
        const uint64_t length = n * uint64_t(size);
        const bool apart = length > format.inlineCapacity();
        total += apart ? padded(length) : 0;
        if ((tag != TagStripByteCounts && tag != TagTileByteCounts) || !isIntegerType(type))
            continue;
        const uint8_t* field = at + (layout.bigTiff ? 12 : 8);
        std::vector<uint8_t> values(field, field + std::min(length, format.inlineCapacity()));
        if (apart) {
            values.resize(size_t(length));
            if (!file.read(layout.bigTiff ? load64(field, big) : load32(field, big), values.data(), length))
                continue;
        }
        total += sumOf(values.data(), type, n, big);
    }
    return total;
}

// The number of entries of the directory `raw`.
uint64_t entryCountOf(const uint8_t* raw, const OutputFormat& format)
{
    return format.bigTiff ? load64(raw, format.bigEndian) : load16(raw, format.bigEndian);
}

// Index of the entry of the directory `raw` with tag, looked for in all
// its entries, whatever their order; the entry count if it has none.
uint64_t entryIndexOf(const uint8_t* raw, const OutputFormat& format, uint16_t tag)
{
    const uint64_t count = entryCountOf(raw, format);
    uint64_t i = 0;
    while (i < count && load16(raw + format.countSize() + i * format.entrySize(), format.bigEndian) != tag)
        ++i;
    return i;
}

bool holdsEntry(const uint8_t* raw, const OutputFormat& format, uint16_t tag)
{
    return entryIndexOf(raw, format, tag) < entryCountOf(raw, format);
}

// Appends a kept directory, `size` bytes at raw, to out: without its page
// number entry and linked to next.
void appendUnnumbered(const uint8_t* raw, uint64_t size, const OutputFormat& format, const Encoder& enc,
                      uint64_t next, std::vector<uint8_t>& out)
{
    const size_t begin = out.size();
    out.insert(out.end(), raw, raw + size);
    enc.put(out.data() + out.size() - format.nextSize(), next, int(format.nextSize()));
    const uint64_t count = entryCountOf(raw, format);
    const uint64_t numbered = entryIndexOf(raw, format, TagPageNumber);
    if (numbered == count)
        return;
    const auto place = out.begin() + qsizetype(begin + format.countSize() + numbered * format.entrySize());
    out.erase(place, place + qsizetype(format.entrySize()));
    enc.put(out.data() + begin, count - 1, int(format.countSize()));
}

}  // namespace

// The old JPEG scheme's data that the page's entries point at: the JPEG
// stream (its length stays in its own entry) and one table per component in
// each table entry. Blocks that do not lie in the file are left out with
// their entry; there is nothing to copy.
std::vector<BookWriter::PointedData> BookWriter::pointedData(const FileBytes& file, const std::vector<Entry>& all,
                                                              bool bigEndian)
{
    std::vector<PointedData> pointed;
    const Entry* jpeg = findEntry(all, TagJpegInterchange);
    const Entry* jpegLength = findEntry(all, TagJpegInterchangeLength);
    if (jpeg && jpegLength && jpeg->valid && jpegLength->valid) {
        const Blob blob{entryInteger(*jpeg, bigEndian), entryInteger(*jpegLength, bigEndian)};
        if (withinFile(file, blob.offset, blob.length))
            pointed.push_back({TagJpegInterchange, {blob}});
    }
    for (const uint16_t tag : {TagJpegQTables, TagJpegDcTables, TagJpegAcTables}) {
        const Entry* tables = findEntry(all, tag);
        if (!tables || !tables->valid || !isIntegerType(tables->type) || tables->count == 0)
            continue;
        PointedData data{tag, {}};
        for (uint64_t k = 0; k < tables->count; ++k) {
            const uint64_t offset = entryInteger(*tables, bigEndian, k);
            const uint64_t length = jpegTableLength(file, tag, offset);
            if (length == 0)
                break;
            data.blocks.push_back({offset, length});
        }
        if (data.blocks.size() == tables->count)
            pointed.push_back(std::move(data));
    }
    return pointed;
}

std::vector<Entry> describingEntries(const TiffSource& source, size_t index, bool keepColourProfile)
{
    std::vector<Entry> all;
    if (index >= source.layout.directories.size() ||
        !readDirectory(*source.bytes, source.layout, source.layout.directories[index], &all))
        return {};
    std::erase_if(all, [&](const Entry& e) {
        return !e.valid || isPictureStructure(e.tag) || e.type == TypeIfd || e.type == TypeIfd8 ||
               (e.tag == TagIccProfile && !keepColourProfile);
    });
    return all;
}

void turnResolutionEntries(std::vector<Entry>* entries)
{
    for (Entry& e : *entries) {
        if (e.tag == TagXResolution)
            e.tag = TagYResolution;
        else if (e.tag == TagYResolution)
            e.tag = TagXResolution;
    }
    std::stable_sort(entries->begin(), entries->end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
}

namespace {

constexpr int MaxSubDirectoryDepth = 4;
constexpr size_t MaxChainLength = 64;

// Entries whose values are positions of further directories.
bool isSubDirectoryEntry(const Entry& e)
{
    if (e.type == TypeIfd || e.type == TypeIfd8)
        return true;
    switch (e.tag) {
    case TagSubIfds:
    case TagExifIfd:
    case TagGpsIfd:
    case TagInteroperabilityIfd:
        return e.type == TypeLong || e.type == TypeLong8;
    default:
        return false;
    }
}

}  // namespace

// Reads the directory at offset: its entries, strips, the data its entries
// point at and the directories below it. False if it cannot be read or its
// strips do not lie within the file; a page must have strips. Directories
// below it that cannot be read are left out with their entry: there is
// nothing to copy.
bool BookWriter::readContent(const TiffSource& source, uint64_t offset, bool isPage, int depth,
                             std::vector<uint64_t>* visited, Directory* d, uint64_t* next)
{
    const bool big = source.layout.bigEndian;
    const FileBytes& file = *source.bytes;
    std::vector<Entry> all;
    if (!readDirectory(file, source.layout, offset, &all, next))
        return false;
    visited->push_back(offset);

    std::optional<PicturePlaces> picture = picturePlaces(all, big);
    if (!picture || (isPage && picture->pieces.empty()))
        return false;
    for (const Stretch& strip : picture->pieces)
        if (strip.length > 0 && !withinFile(file, strip.offset, strip.length))
            return false;  // strip cut off: the file is truncated
    d->tiled = picture->tiled;
    d->strips = std::move(picture->pieces);
    d->pointed = pointedData(file, all, big);

    for (const Entry& e : all) {
        if (!e.valid || !isSubDirectoryEntry(e) || depth >= MaxSubDirectoryDepth)
            continue;
        SubDirectories below{e.tag, e.type, {}};
        bool readable = true;
        for (uint64_t k = 0; k < e.count && readable; ++k)
            readable = readChain(source, entryInteger(e, big, k), depth + 1, visited, &below.chains.emplace_back());
        if (readable)
            d->subDirectories.push_back(std::move(below));
    }
    for (Entry& e : all)
        if (e.valid && !isReplacedOrDropped(e.tag) && !isSubDirectoryEntry(e))
            d->entries.push_back(std::move(e));
    return true;
}

// The directory at offset and those linked after it, up to a link that
// leads nowhere readable or back into what was read; false if not even the
// first can be read.
bool BookWriter::readChain(const TiffSource& source, uint64_t offset, int depth, std::vector<uint64_t>* visited,
                           std::vector<Directory>* chain)
{
    while (offset != 0 && chain->size() < MaxChainLength &&
           std::find(visited->begin(), visited->end(), offset) == visited->end()) {
        Directory d;
        uint64_t next = 0;
        if (!readContent(source, offset, false, depth, visited, &d, &next))
            break;
        chain->push_back(std::move(d));
        offset = next;
    }
    return !chain->empty();
}

BookWriter::AddResult BookWriter::addPage(std::shared_ptr<const TiffSource> source, size_t index,
                                          const std::vector<Entry>& added)
{
    if (!source || index >= source->layout.directories.size())
        return AddResult::Corrupt;
    Page page;
    page.directory = std::make_unique<Directory>();
    std::vector<uint64_t> visited;
    if (!readContent(*source, source->layout.directories[index], true, 0, &visited, page.directory.get(), nullptr))
        return AddResult::Corrupt;
    std::vector<Entry>& entries = page.directory->entries;
    if (const Entry* bits = findEntry(entries, TagBitsPerSample))
        for (uint64_t k = 0; k < bits->count; ++k)
            page.wideSamples = page.wideSamples || entryInteger(*bits, source->layout.bigEndian, k) > 8;

    entries.insert(entries.begin(), added.begin(), added.end());  // first, so that they win over their tag's
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const Entry& a, const Entry& b) { return a.tag == b.tag; }),
                  entries.end());
    std::erase_if(entries, [](const Entry& e) { return !e.valid; });  // added to drop the page's own
    page.source = std::move(source);
    pages_.push_back(std::move(page));
    return AddResult::Ok;
}

BookWriter::AddResult BookWriter::keepPage(std::shared_ptr<const TiffSource> book, size_t index)
{
    if (!book || index >= book->layout.directories.size())
        return AddResult::Corrupt;
    Page page;
    page.source = std::move(book);
    page.keptIndex = index;
    if (const KnownChain* known = page.source->known.get()) {
        page.kept = known->facts[index];
    } else {
        const Layout& layout = page.source->layout;
        const std::vector<uint8_t> raw = directoryBytes(keptWindow(*page.source), layout, layout.directories[index]);
        if (raw.empty())
            return AddResult::Corrupt;
        page.kept = {raw.size(), takenSize(*page.source->bytes, layout, raw),
                     holdsEntry(raw.data(), OutputFormat{layout.bigTiff, layout.bigEndian}, TagPageNumber)};
    }
    pages_.push_back(std::move(page));
    return AddResult::Ok;
}

BookWriter::AddResult BookWriter::keepPages(const std::shared_ptr<const TiffSource>& book, size_t index,
                                            size_t count)
{
    for (size_t i = index; i < index + count; ++i)
        if (keepPage(book, i) != AddResult::Ok)
            return AddResult::Corrupt;
    return AddResult::Ok;
}

ReadWindow& BookWriter::keptWindow(const TiffSource& book)
{
    if (!keptWindow_ || &keptWindow_->file() != book.bytes.get())
        keptWindow_ = std::make_unique<ReadWindow>(*book.bytes, KeptWindowChunk);
    return *keptWindow_;
}

const uint8_t* BookWriter::keptDirectory(const Page& page)
{
    const Layout& layout = page.source->layout;
    const uint8_t* raw = keptWindow(*page.source).at(layout.directories[page.keptIndex], page.kept.size);
    const OutputFormat format{layout.bigTiff, layout.bigEndian};
    const bool whole = raw && format.countSize() + entryCountOf(raw, format) * format.entrySize() +
                                      format.nextSize() ==
                                  page.kept.size;
    return whole ? raw : nullptr;
}

// A kept page stays where it lies at place index of the new chain when it
// holds that place in book already and carries no page number.
bool BookWriter::staysInPlace(const Page& page, const TiffSource& book, size_t index) const
{
    return page.isKept() && page.source.get() == &book && page.keptIndex == index && !page.kept.numbered;
}

BookWriter::Reuse BookWriter::reuseIn(const TiffSource& book) const
{
    const size_t n = book.layout.directories.size();
    const size_t m = pages_.size();
    Reuse reuse;
    while (reuse.before < std::min(m, n) && staysInPlace(pages_[reuse.before], book, reuse.before))
        ++reuse.before;
    if (reuse.before > 0) {
        // The link that switches the book over must lie within one sector,
        // so that no crash can leave half of it written.
        const Page& last = pages_[reuse.before - 1];
        const uint64_t linkSize = book.layout.bigTiff ? 8 : 4;
        const uint64_t link = book.layout.directories[reuse.before - 1] + last.kept.size - linkSize;
        if (link / 512 != (link + linkSize - 1) / 512)
            reuse.before = 0;
    }
    while (reuse.before + reuse.after < std::min(m, n) &&
           staysInPlace(pages_[m - 1 - reuse.after], book, n - 1 - reuse.after))
        ++reuse.after;
    return reuse;
}

BookWriter::AppendEstimate BookWriter::estimateAppend(const TiffSource& book) const
{
    AppendEstimate estimate;
    estimate.growth = 1;  // the padding to a word boundary
    estimate.live = book.layout.bigTiff ? 16 : 8;
    const Reuse reuse = reuseIn(book);
    for (size_t i = 0; i < pages_.size(); ++i) {
        const Page& p = pages_[i];
        const bool written = i >= reuse.before && i + reuse.after < pages_.size();
        if (p.isKept()) {
            estimate.growth += written ? p.kept.size : 0;
            estimate.live += p.kept.taken;
            continue;
        }
        if (p.wideSamples && p.source->layout.bigEndian != book.layout.bigEndian)
            return estimate;
        const uint64_t bound = sizeBound(*p.directory);
        estimate.growth += bound;
        estimate.live += bound;
    }
    estimate.possible =
        book.layout.bigTiff || book.bytes->size() + estimate.growth <= std::numeric_limits<uint32_t>::max();
    return estimate;
}

uint64_t BookWriter::sizeBound(const Directory& d)
{
    // Counted with BigTIFF's larger entries and a padding byte per piece, so
    // the bound never comes out too small.
    uint64_t total = 16 + 20 * (d.entries.size() + 6 + d.pointed.size() + d.subDirectories.size());
    for (const Entry& e : d.entries)
        total += padded(e.value.size());
    for (const Blob& s : d.strips)
        total += 16 + padded(s.length);
    for (const PointedData& p : d.pointed)
        for (const Blob& b : p.blocks)
            total += 8 + padded(b.length);
    for (const SubDirectories& below : d.subDirectories)
        for (const std::vector<Directory>& chain : below.chains)
            for (const Directory& c : chain)
                total += 8 + sizeBound(c);
    return total;
}

bool BookWriter::needsBigTiff() const
{
    uint64_t total = 16;
    for (const Page& p : pages_)
        total += p.isKept() ? p.kept.taken : sizeBound(*p.directory);
    return total > std::numeric_limits<uint32_t>::max();
}

// Where everything of the new file goes and how its directories read. The
// file is: header, the directories of the pages with their values, then
// for each page its strips, the blocks its entries point at and the
// directories below it with their own data.
class BookWriter::Assembler {
public:
    // A piece of the data part: bytes of a source file or made here.
    struct Piece {
        const FileBytes* file = nullptr;  // nullptr: the bytes below
        Blob blob;
        std::vector<uint8_t> bytes;
    };

    explicit Assembler(const OutputFormat& format)
        : format_(format), enc_{format.bigEndian}, offsetSize_(fieldTypeSize(format.offsetType()))
    {
    }

    const Encoder& encoder() const { return enc_; }

    // The entries of d in the new file, positions left to placeData.
    std::vector<OutEntry> entriesOf(const Directory& d, bool sourceBigEndian) const
    {
        std::vector<OutEntry> out;
        out.reserve(d.entries.size() + 6);
        for (const Entry& e : d.entries) {
            OutEntry o;
            if (carryOver(e, sourceBigEndian, format_, enc_, &o))
                out.push_back(std::move(o));
        }
        if (!d.strips.empty()) {
            out.push_back(blank(d.tiled ? TagTileOffsets : TagStripOffsets, format_.offsetType(), d.strips.size()));
            OutEntry counts = generated(d.tiled ? TagTileByteCounts : TagStripByteCounts, format_.offsetType(),
                                        d.strips.size());
            for (const Blob& s : d.strips)
                enc_.put(counts.own, s.length, offsetSize_);
            out.push_back(std::move(counts));
        }
        for (const PointedData& p : d.pointed) {
            out.push_back(blank(p.tag, format_.offsetType(), p.blocks.size()));
            if (p.tag == TagJpegInterchange) {
                OutEntry length = generated(TagJpegInterchangeLength, format_.offsetType(), 1);
                enc_.put(length.own, p.blocks.front().length, offsetSize_);
                out.push_back(std::move(length));
            }
        }
        for (const SubDirectories& below : d.subDirectories)
            out.push_back(blank(below.tag, linkType(below.type), below.chains.size()));
        return out;
    }

    static void sortByTag(std::vector<OutEntry>& out)
    {
        std::stable_sort(out.begin(), out.end(), [](const OutEntry& a, const OutEntry& b) { return a.tag < b.tag; });
    }

    // Places a directory at `at` with its values behind it; returns where it ends.
    uint64_t placeDirectory(std::vector<OutEntry>& out, uint64_t at) const
    {
        at += format_.countSize() + out.size() * format_.entrySize() + format_.nextSize();
        for (OutEntry& o : out) {
            if (o.length > format_.inlineCapacity()) {
                o.position = at;
                at += padded(o.length);
            }
        }
        return at;
    }

    // Appends the directory's bytes, values included, to buffer.
    void encode(const std::vector<OutEntry>& out, uint64_t next, std::vector<uint8_t>& buffer) const
    {
        enc_.put(buffer, out.size(), int(format_.countSize()));
        const uint64_t capacity = format_.inlineCapacity();
        for (const OutEntry& o : out) {
            enc_.put(buffer, o.tag, 2);
            enc_.put(buffer, o.type, 2);
            enc_.put(buffer, o.count, format_.bigTiff ? 8 : 4);
            if (o.length <= capacity) {
                buffer.insert(buffer.end(), o.bytes(), o.bytes() + o.length);
                buffer.insert(buffer.end(), size_t(capacity - o.length), 0);
            } else {
                enc_.put(buffer, o.position, int(capacity));
            }
        }
        enc_.put(buffer, next, int(format_.nextSize()));
        for (const OutEntry& o : out) {
            if (o.length > capacity) {
                buffer.insert(buffer.end(), o.bytes(), o.bytes() + o.length);
                if (o.length & 1)
                    buffer.push_back(0);
            }
        }
    }

    // Gives the data of d its places from `at` on: strips, pointed blocks,
    // then the directories below it, each followed by its own data. Fills
    // their positions into out and lists the pieces in order.
    void placeData(const Directory& d, const FileBytes* file, bool sourceBigEndian, std::vector<OutEntry>& out,
                   uint64_t& at, std::vector<Piece>& pieces) const
    {
        if (!d.strips.empty()) {
            OutEntry& offsets = entry(out, d.tiled ? TagTileOffsets : TagStripOffsets);
            for (size_t k = 0; k < d.strips.size(); ++k) {
                enc_.put(offsets.own.data() + k * offsetSize_, at, offsetSize_);
                at += d.strips[k].length;
                pieces.push_back({file, d.strips[k], {}});
            }
        }
        for (const PointedData& p : d.pointed) {
            OutEntry& positions = entry(out, p.tag);
            for (size_t k = 0; k < p.blocks.size(); ++k) {
                const size_t first = firstOfItsKind(p.blocks, k);
                if (first < k) {  // the same table for another component: stored once
                    std::memcpy(positions.own.data() + k * offsetSize_, positions.own.data() + first * offsetSize_,
                                size_t(offsetSize_));
                    continue;
                }
                enc_.put(positions.own.data() + k * offsetSize_, at, offsetSize_);
                at += p.blocks[k].length;
                pieces.push_back({file, p.blocks[k], {}});
            }
        }
        for (const SubDirectories& below : d.subDirectories) {
            const int linkSize = fieldTypeSize(linkType(below.type));
            for (size_t c = 0; c < below.chains.size(); ++c) {
                const uint64_t first = placeChain(below.chains[c], file, sourceBigEndian, at, pieces);
                enc_.put(entry(out, below.tag).own.data() + c * size_t(linkSize), first, linkSize);
            }
        }
    }

private:
    // Places the directories of a chain one after the other, each with its
    // data; returns where the first one is.
    uint64_t placeChain(const std::vector<Directory>& chain, const FileBytes* file, bool sourceBigEndian,
                        uint64_t& at, std::vector<Piece>& pieces) const
    {
        std::vector<std::vector<OutEntry>> outs(chain.size());
        std::vector<uint64_t> places(chain.size());
        std::vector<size_t> pieceOf(chain.size());
        for (size_t j = 0; j < chain.size(); ++j) {
            if (at & 1) {  // directories begin on a word boundary
                pieces.push_back({nullptr, {}, {0}});
                ++at;
            }
            outs[j] = entriesOf(chain[j], sourceBigEndian);
            sortByTag(outs[j]);
            places[j] = at;
            pieceOf[j] = pieces.size();
            pieces.emplace_back();  // its bytes once everything below it has its place
            at = placeDirectory(outs[j], at);
            placeData(chain[j], file, sourceBigEndian, outs[j], at, pieces);
        }
        for (size_t j = 0; j < chain.size(); ++j)
            encode(outs[j], j + 1 < chain.size() ? places[j + 1] : 0, pieces[pieceOf[j]].bytes);
        return places.front();
    }

    // A link to directories takes the offset size of the new file.
    uint16_t linkType(uint16_t sourceType) const
    {
        const bool typedAsDirectory = sourceType == TypeIfd || sourceType == TypeIfd8;
        if (format_.bigTiff)
            return typedAsDirectory ? TypeIfd8 : TypeLong8;
        return typedAsDirectory ? TypeIfd : TypeLong;
    }

    // An entry whose values are filled in once the data has its places.
    static OutEntry blank(uint16_t tag, uint16_t type, uint64_t count)
    {
        OutEntry e = generated(tag, type, count);
        e.own.resize(size_t(e.length));
        return e;
    }

    static OutEntry& entry(std::vector<OutEntry>& out, uint16_t tag)
    {
        return *std::find_if(out.begin(), out.end(), [&](const OutEntry& o) { return o.tag == tag; });
    }

    OutputFormat format_;
    Encoder enc_;
    int offsetSize_;
};

BookWriter::WriteResult BookWriter::write(ByteSink& sink, const std::function<bool(size_t)>& afterPage)
{
    // The byte order of the pages with samples wider than a byte, whose
    // strips hold it too; without such pages the order most pages already
    // have. Values of the other pages are swapped.
    const auto wide = std::find_if(pages_.begin(), pages_.end(), [](const Page& p) { return p.wideSamples; });
    const auto bigEndianPages = size_t(
        std::count_if(pages_.begin(), pages_.end(), [](const Page& p) { return p.source->layout.bigEndian; }));
    const bool bigEndian = wide != pages_.end() ? wide->source->layout.bigEndian : bigEndianPages * 2 > pages_.size();
    return writeFrom(sink, needsBigTiff(), bigEndian, 0, 0, pages_.size(), 0, nullptr, afterPage);
}

BookWriter::WriteResult BookWriter::append(ByteSink& sink, const TiffSource& book, Commit* commit,
                                           const std::function<bool(size_t)>& afterPage)
{
    const std::vector<uint64_t>& chain = book.layout.directories;
    const Reuse reuse = reuseIn(book);
    const size_t last = pages_.size() - reuse.after;
    const uint64_t tail = reuse.after > 0 ? chain[chain.size() - reuse.after] : 0;
    uint64_t first = tail;
    written_ = {};
    if (reuse.before < last) {
        const WriteResult result = writeFrom(sink, book.layout.bigTiff, book.layout.bigEndian, book.bytes->size(),
                                             reuse.before, last, tail, &first, afterPage);
        if (result != WriteResult::Ok)
            return result;
    }
    commit->size = book.layout.bigTiff ? 8 : 4;
    commit->value = first;
    commit->position = reuse.before == 0
                           ? uint64_t(commit->size)
                           : chain[reuse.before - 1] + pages_[reuse.before - 1].kept.size - uint64_t(commit->size);

    // The chain after the switch: what was written, between the stretches
    // that stay where they lie.
    KnownChain whole;
    whole.layout.bigEndian = book.layout.bigEndian;
    whole.layout.bigTiff = book.layout.bigTiff;
    whole.layout.directories.reserve(pages_.size());
    whole.facts.reserve(pages_.size());
    const auto keepStretch = [&](size_t from, size_t to, size_t chainFrom) {
        for (size_t i = from; i < to; ++i) {
            whole.layout.directories.push_back(chain[chainFrom + i - from]);
            whole.facts.push_back(pages_[i].kept);
        }
    };
    keepStretch(0, reuse.before, 0);
    whole.layout.directories.insert(whole.layout.directories.end(), written_.layout.directories.begin(),
                                    written_.layout.directories.end());
    whole.facts.insert(whole.facts.end(), written_.facts.begin(), written_.facts.end());
    keepStretch(last, pages_.size(), chain.size() - reuse.after);
    written_ = std::move(whole);
    return WriteResult::Ok;
}

BookWriter::WriteResult BookWriter::writeFrom(ByteSink& sink, bool bigTiff, bool bigEndian, uint64_t start,
                                              size_t first, size_t last, uint64_t tail, uint64_t* firstDirectory,
                                              const std::function<bool(size_t)>& afterPage)
{
    const OutputFormat format{bigTiff, bigEndian};
    for (const Page& p : pages_)
        if (p.wideSamples && p.source->layout.bigEndian != format.bigEndian)
            return WriteResult::MixedByteOrder;  // its strip bytes would need swapping too
    const Assembler assembler(format);
    const Encoder& enc = assembler.encoder();
    const size_t count = last - first;
    const uint64_t headerSize = format.bigTiff ? 16 : 8;
    written_.layout = Layout{};
    written_.layout.bigEndian = bigEndian;
    written_.layout.bigTiff = bigTiff;
    std::vector<uint64_t>& directoryAt = written_.layout.directories;
    std::vector<DirectoryFacts>& facts = written_.facts;
    directoryAt.resize(count);
    facts.resize(count);

    // The entries of every page, and where its directory goes; a kept
    // page's directory loses its page number entry. Indices from here on
    // count from first.
    std::vector<std::vector<OutEntry>> directories(count);
    uint64_t at = start == 0 ? headerSize : start + (start & 1);
    for (size_t j = 0; j < count; ++j) {
        const Page& page = pages_[first + j];
        directoryAt[j] = at;
        if (page.isKept()) {
            const uint64_t size = page.kept.size - (page.kept.numbered ? format.entrySize() : 0);
            at += size;
            facts[j] = {size, page.kept.taken - (page.kept.size - size), false};
            continue;
        }
        std::vector<OutEntry>& out = directories[j];
        out = assembler.entriesOf(*page.directory, page.source->layout.bigEndian);
        OutEntry subfile = generated(TagNewSubfileType, TypeLong, 1);
        enc.put(subfile.own, FileTypePage, 4);
        out.push_back(std::move(subfile));
        Assembler::sortByTag(out);
        at = assembler.placeDirectory(out, at);
        facts[j].size = format.countSize() + out.size() * format.entrySize() + format.nextSize();
        facts[j].taken = at - directoryAt[j];
    }

    // All data follows the directories, page after page without gaps, so
    // that runs of pages which lie together in their file are copied in one
    // piece, now and when this book is edited again.
    const uint64_t directoriesEnd = at;
    std::vector<std::vector<Assembler::Piece>> data(count);
    for (size_t j = 0; j < count; ++j) {
        const Page& page = pages_[first + j];
        if (page.isKept())
            continue;
        const uint64_t dataStart = at;
        assembler.placeData(*page.directory, page.source->bytes.get(), page.source->layout.bigEndian,
                            directories[j], at, data[j]);
        facts[j].taken += at - dataStart;
    }

    std::vector<uint8_t> buffer;
    buffer.reserve(size_t(std::min<uint64_t>(directoriesEnd - start, DirectoryWriteSize + (size_t(64) << 10))));
    if (start == 0) {
        const char* order = format.bigEndian ? "MM" : "II";
        buffer.push_back(uint8_t(order[0]));
        buffer.push_back(uint8_t(order[1]));
        if (format.bigTiff) {
            enc.put(buffer, 43, 2);
            enc.put(buffer, 8, 2);
            enc.put(buffer, 0, 2);
            enc.put(buffer, headerSize, 8);
        } else {
            enc.put(buffer, 42, 2);
            enc.put(buffer, headerSize, 4);
        }
    } else if (start & 1) {
        buffer.push_back(0);  // directories begin on a word boundary
    }
    if (firstDirectory)
        *firstDirectory = directoryAt.front();
    for (size_t j = 0; j < count; ++j) {
        const uint64_t next = j + 1 < count ? directoryAt[j + 1] : tail;
        const Page& page = pages_[first + j];
        if (!page.isKept()) {
            assembler.encode(directories[j], next, buffer);
        } else if (const uint8_t* raw = keptDirectory(page)) {
            appendUnnumbered(raw, page.kept.size, format, enc, next, buffer);
        } else {
            return WriteResult::SourceDamaged;
        }
        if (buffer.size() >= DirectoryWriteSize) {
            if (!sink.write(buffer.data(), buffer.size()))
                return WriteResult::SinkFailed;
            buffer.clear();
        }
    }
    if (!buffer.empty() && !sink.write(buffer.data(), buffer.size()))
        return WriteResult::SinkFailed;

    // The data, neighbouring pieces of one file merged into one copy. With
    // a watcher the copying stops at every page end to report progress.
    const FileBytes* runFile = nullptr;
    Blob run;
    const auto flushRun = [&] {
        const bool ok = run.length == 0 || sink.copy(*runFile, run.offset, run.length);
        run = Blob{};
        return ok;
    };
    const auto add = [&](const Assembler::Piece& piece) {
        if (!piece.file)
            return flushRun() && sink.write(piece.bytes.data(), piece.bytes.size());
        if (piece.blob.length == 0)
            return true;
        if (run.length > 0 && piece.file == runFile && piece.blob.offset == run.offset + run.length) {
            run.length += piece.blob.length;
            return true;
        }
        if (!flushRun())
            return false;
        runFile = piece.file;
        run = piece.blob;
        return true;
    };
    for (size_t j = 0; j < count; ++j) {
        for (const Assembler::Piece& piece : data[j])
            if (!add(piece))
                return WriteResult::SinkFailed;
        if (afterPage) {
            if (!flushRun())
                return WriteResult::SinkFailed;
            if (!afterPage(j + 1))
                return WriteResult::Stopped;
        }
    }
    if (!flushRun())
        return WriteResult::SinkFailed;
    return WriteResult::Ok;
}

}  // namespace palvenor::imaging::tiff
