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
    TagStripOffsets = 273,
    TagStripByteCounts = 279,
    TagFreeOffsets = 288,
    TagFreeByteCounts = 289,
    TagPageNumber = 297,
    TagTileWidth = 322,
    TagTileOffsets = 324,
    TagTileByteCounts = 325,
    TagSubIfds = 330,
    TagJpegInterchange = 513,
    TagJpegInterchangeLength = 514,
    TagJpegQTables = 519,
    TagJpegDcTables = 520,
    TagJpegAcTables = 521,
    TagExifIfd = 34665,
    TagGpsIfd = 34853,
    TagInteroperabilityIfd = 40965,
};

constexpr uint32_t FileTypePage = 2;

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

bool isIntegerType(uint16_t type)
{
    return type == TypeShort || type == TypeLong || type == TypeLong8;
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

namespace {

}  // namespace

BookWriter::AddResult BookWriter::addPage(std::shared_ptr<const TiffSource> source, size_t index,
                                          const std::vector<Entry>& added)
{
    if (!source || index >= source->layout.directories.size())
        return AddResult::Corrupt;
    const bool big = source->layout.bigEndian;
    const uint64_t fileSize = source->bytes->size();
    std::vector<Entry> all;
    if (!readDirectory(*source->bytes, source->layout, source->layout.directories[index], &all))
        return AddResult::Corrupt;

    Page page;
    page.tiled = findEntry(all, TagTileWidth) && findEntry(all, TagTileOffsets);
    const Entry* offsets = findEntry(all, page.tiled ? TagTileOffsets : TagStripOffsets);
    const Entry* counts = findEntry(all, page.tiled ? TagTileByteCounts : TagStripByteCounts);
    if (!offsets || !counts || !offsets->valid || !counts->valid || offsets->count == 0 ||
        offsets->count != counts->count || !isIntegerType(offsets->type) || !isIntegerType(counts->type))
        return AddResult::Corrupt;
    page.strips.reserve(size_t(offsets->count));
    for (uint64_t k = 0; k < offsets->count; ++k) {
        Blob strip{entryInteger(*offsets, big, k), entryInteger(*counts, big, k)};
        if (strip.length > 0 && (strip.offset > fileSize || strip.length > fileSize - strip.offset))
            return AddResult::Corrupt;  // strip cut off: the file is truncated
        page.strips.push_back(strip);
    }

    if (const Entry* bits = findEntry(all, TagBitsPerSample); bits && bits->valid)
        for (uint64_t k = 0; k < bits->count; ++k)
            page.wideSamples = page.wideSamples || entryInteger(*bits, big, k) > 8;

    page.pointed = pointedData(*source->bytes, all, big);

    page.entries = added;  // first, so that they win over entries of their tag below
    for (Entry& e : all) {
        if (isReplacedOrDropped(e.tag) || !e.valid || e.type == TypeIfd || e.type == TypeIfd8)
            continue;
        page.entries.push_back(std::move(e));
    }
    std::stable_sort(page.entries.begin(), page.entries.end(),
                     [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    page.entries.erase(std::unique(page.entries.begin(), page.entries.end(),
                                   [](const Entry& a, const Entry& b) { return a.tag == b.tag; }),
                       page.entries.end());
    std::erase_if(page.entries, [](const Entry& e) { return !e.valid; });  // added to drop the page's own
    page.source = std::move(source);
    pages_.push_back(std::move(page));
    return AddResult::Ok;
}

bool BookWriter::needsBigTiff() const
{
    // Upper bound of the classic layout's size, counted with BigTIFF's larger
    // entries so the choice never comes out too small.
    uint64_t total = 16;
    for (const Page& p : pages_) {
        total += 16 + 20 * (p.entries.size() + 6);
        for (const Entry& e : p.entries)
            total += padded(e.value.size());
        total += 16 * p.strips.size();
        for (const Blob& s : p.strips)
            total += padded(s.length);
        for (const PointedData& d : p.pointed)
            for (const Blob& b : d.blocks)
                total += 8 + padded(b.length);
    }
    return total > std::numeric_limits<uint32_t>::max();
}

BookWriter::WriteResult BookWriter::write(ByteSink& sink, const std::function<bool(size_t)>& afterPage)
{
    OutputFormat format;
    format.bigTiff = needsBigTiff();
    // The byte order of the pages with samples wider than a byte, whose
    // strips hold it too; without such pages the order most pages already
    // have. Values of the other pages are swapped.
    const auto wide = std::find_if(pages_.begin(), pages_.end(), [](const Page& p) { return p.wideSamples; });
    const auto bigEndianPages = size_t(
        std::count_if(pages_.begin(), pages_.end(), [](const Page& p) { return p.source->layout.bigEndian; }));
    format.bigEndian = wide != pages_.end() ? wide->source->layout.bigEndian : bigEndianPages * 2 > pages_.size();
    for (const Page& p : pages_)
        if (p.wideSamples && p.source->layout.bigEndian != format.bigEndian)
            return WriteResult::MixedByteOrder;  // its strip bytes would need swapping too
    const Encoder enc{format.bigEndian};
    const int offsetSize = fieldTypeSize(format.offsetType());
    const size_t total = pages_.size();
    const uint64_t headerSize = format.bigTiff ? 16 : 8;

    // The entries of every page, and where its directory goes.
    std::vector<std::vector<OutEntry>> directories(total);
    std::vector<uint64_t> directoryAt(total + 1);
    uint64_t at = headerSize;
    for (size_t i = 0; i < total; ++i) {
        const Page& page = pages_[i];
        std::vector<OutEntry>& out = directories[i];
        out.reserve(page.entries.size() + 6);
        for (const Entry& e : page.entries) {
            OutEntry o;
            if (carryOver(e, page.source->layout.bigEndian, format, enc, &o))
                out.push_back(std::move(o));
        }
        OutEntry subfile = generated(TagNewSubfileType, TypeLong, 1);
        enc.put(subfile.own, FileTypePage, 4);
        out.push_back(std::move(subfile));
        OutEntry number = generated(TagPageNumber, TypeShort, 2);
        enc.put(number.own, i, 2);  // counted from 0, then the number of pages
        enc.put(number.own, total, 2);
        out.push_back(std::move(number));
        OutEntry offsets = generated(page.tiled ? TagTileOffsets : TagStripOffsets, format.offsetType(),
                                     page.strips.size());
        offsets.own.resize(size_t(offsets.length));  // filled in once the strips have their places
        out.push_back(std::move(offsets));
        OutEntry counts = generated(page.tiled ? TagTileByteCounts : TagStripByteCounts, format.offsetType(),
                                    page.strips.size());
        for (const Blob& s : page.strips)
            enc.put(counts.own, s.length, offsetSize);
        out.push_back(std::move(counts));
        for (const PointedData& d : page.pointed) {
            OutEntry positions = generated(d.tag, format.offsetType(), d.blocks.size());
            positions.own.resize(size_t(positions.length));  // filled in once the blocks have their places
            out.push_back(std::move(positions));
            if (d.tag == TagJpegInterchange) {
                OutEntry length = generated(TagJpegInterchangeLength, format.offsetType(), 1);
                enc.put(length.own, d.blocks.front().length, offsetSize);
                out.push_back(std::move(length));
            }
        }
        std::stable_sort(out.begin(), out.end(), [](const OutEntry& a, const OutEntry& b) { return a.tag < b.tag; });

        directoryAt[i] = at;
        at += format.countSize() + out.size() * format.entrySize() + format.nextSize();
        for (OutEntry& o : out) {
            if (o.length > format.inlineCapacity()) {
                o.position = at;
                at += padded(o.length);
            }
        }
    }
    directoryAt[total] = at;

    // All strip data follows the directories, page after page without gaps,
    // so that runs of pages which lie together in their file are copied in
    // one piece, now and when this book is edited again.
    for (size_t i = 0; i < total; ++i) {
        const Page& page = pages_[i];
        for (OutEntry& o : directories[i]) {
            if (o.tag == TagStripOffsets || o.tag == TagTileOffsets) {
                for (size_t k = 0; k < page.strips.size(); ++k) {
                    enc.put(o.own.data() + k * offsetSize, at, offsetSize);
                    at += page.strips[k].length;
                }
            }
        }
        for (const PointedData& d : page.pointed) {
            OutEntry& positions = *std::find_if(directories[i].begin(), directories[i].end(),
                                                [&](const OutEntry& o) { return o.tag == d.tag; });
            for (size_t k = 0; k < d.blocks.size(); ++k) {
                const size_t first = firstOfItsKind(d.blocks, k);
                if (first < k) {  // the same table for another component: stored once
                    std::memcpy(positions.own.data() + k * offsetSize, positions.own.data() + first * offsetSize,
                                size_t(offsetSize));
                    continue;
                }
                enc.put(positions.own.data() + k * offsetSize, at, offsetSize);
                at += d.blocks[k].length;
            }
        }
    }

    std::vector<uint8_t> buffer;
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
    for (size_t i = 0; i < total; ++i) {
        const std::vector<OutEntry>& out = directories[i];
        enc.put(buffer, out.size(), int(format.countSize()));
        const uint64_t capacity = format.inlineCapacity();
        for (const OutEntry& o : out) {
            enc.put(buffer, o.tag, 2);
            enc.put(buffer, o.type, 2);
            enc.put(buffer, o.count, format.bigTiff ? 8 : 4);
            if (o.length <= capacity) {
                buffer.insert(buffer.end(), o.bytes(), o.bytes() + o.length);
                buffer.insert(buffer.end(), size_t(capacity - o.length), 0);
            } else {
                enc.put(buffer, o.position, int(capacity));
            }
        }
        enc.put(buffer, i + 1 < total ? directoryAt[i + 1] : 0, int(format.nextSize()));
        for (const OutEntry& o : out) {
            if (o.length > capacity) {
                buffer.insert(buffer.end(), o.bytes(), o.bytes() + o.length);
                if (o.length & 1)
                    buffer.push_back(0);
            }
        }
        if (buffer.size() >= (size_t(1) << 20)) {
            if (!sink.write(buffer.data(), buffer.size()))
                return WriteResult::SinkFailed;
            buffer.clear();
        }
    }
    if (!buffer.empty() && !sink.write(buffer.data(), buffer.size()))
        return WriteResult::SinkFailed;

    // Strip data, neighbouring pieces of one file merged into one copy. With
    // a watcher the copying stops at every page end to report progress.
    const FileBytes* runFile = nullptr;
    Blob run;
    const auto flushRun = [&] {
        const bool ok = run.length == 0 || sink.copy(*runFile, run.offset, run.length);
        run = Blob{};
        return ok;
    };
    const auto add = [&](const FileBytes* file, const Blob& piece) {
        if (piece.length == 0)
            return true;
        if (run.length > 0 && file == runFile && piece.offset == run.offset + run.length) {
            run.length += piece.length;
            return true;
        }
        if (!flushRun())
            return false;
        runFile = file;
        run = piece;
        return true;
    };
    for (size_t i = 0; i < total; ++i) {
        const Page& page = pages_[i];
        const FileBytes* file = page.source->bytes.get();
        for (const Blob& s : page.strips)
            if (!add(file, s))
                return WriteResult::SinkFailed;
        for (const PointedData& d : page.pointed)
            for (size_t k = 0; k < d.blocks.size(); ++k)
                if (firstOfItsKind(d.blocks, k) == k && !add(file, d.blocks[k]))
                    return WriteResult::SinkFailed;
        if (afterPage) {
            if (!flushRun())
                return WriteResult::SinkFailed;
            if (!afterPage(i + 1))
                return WriteResult::Stopped;
        }
    }
    if (!flushRun())
        return WriteResult::SinkFailed;
    return WriteResult::Ok;
}

}  // namespace palvenor::imaging::tiff
