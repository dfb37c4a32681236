#pragma once

// Assembles a multi-page TIFF from pages of other TIFF files without decoding
// them: every directory entry of a page is carried over as bytes (converted
// only where the byte order or the offset size of the new file demands), its
// strips or tiles are copied unchanged, and only the entries that hold file
// positions or the page's place in the book are written anew.
//
// A book can also be changed where it lies: the new pages and new
// directories go after its end. The stretches of its chain that stay as
// they are (the pages before the first change, those after the last) are
// linked in where they lie; the directories between are copied, pointing
// at their strips and values where they lie already. One link then
// switches the book over (see append()).
//
// Pages carry no page number entry: it holds the page's place and the
// number of pages, so every insertion or deletion would change every
// directory, and a stale one would misinform the readers that use it.
//
// The new file is written front to back in one pass: first the directories of
// all pages with their out-of-line values, then the strip data of all pages
// in page order. Every position is known before anything is written, so
// nothing has to be patched later; the directories lie together, so a later
// open walks the chain with few reads; and the strips of neighbouring pages
// lie together, so the next edit copies them in long runs.

#include "TiffStructure.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace palvenor::imaging::tiff {

// A TIFF whose pages can be copied.
struct TiffSource {
    QString path;
    std::shared_ptr<FileBytes> bytes;
    Layout layout;
    // The facts of its directories where this program wrote it last and it
    // is as it was written; null where they are to be read.
    std::shared_ptr<const KnownChain> known;
};

// The entries of directory `index` of source that describe the page rather
// than how its picture is stored (resolution, description, dates, XMP,
// private entries and the like), to go with a new encoding of its picture;
// the colour profile only where keepColourProfile says its colours stay.
// Values are in the byte order of source.
std::vector<Entry> describingEntries(const TiffSource& source, size_t index, bool keepColourProfile);

// Describing entries of a page turned by a quarter: its horizontal and
// vertical resolution trade places, in their own unit.
void turnResolutionEntries(std::vector<Entry>* entries);

// Receives the bytes of the new file in order.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(const uint8_t* data, size_t length) = 0;
    // Appends length bytes of `from` starting at offset.
    virtual bool copy(const FileBytes& from, uint64_t offset, uint64_t length) = 0;
};

class BookWriter {
public:
    enum class AddResult { Ok, Corrupt };
    // SourceDamaged: a kept directory no longer lies within its book.
    enum class WriteResult { Ok, SinkFailed, Stopped, MixedByteOrder, SourceDamaged };

    // Adds directory `index` of source as the next page, with `added` entries
    // set over any of the same tag; an added entry that is not valid drops
    // the page's entry of its tag. Corrupt if the directory, its strip
    // table or its strips do not lie within the file.
    AddResult addPage(std::shared_ptr<const TiffSource> source, size_t index,
                      const std::vector<Entry>& added = {});
    // Adds directory `index` of book as the next page of an append() to
    // that book (kept pages are for append() only): its directory stays
    // where it lies, or is copied with only its link changed and its page
    // number entry dropped. What the directory takes comes from the book's
    // known chain; without one the directory is read, and Corrupt if it
    // does not lie within the file.
    AddResult keepPage(std::shared_ptr<const TiffSource> book, size_t index);
    // Keeps directories index to index + count - 1 of book, as keepPage().
    AddResult keepPages(const std::shared_ptr<const TiffSource>& book, size_t index, size_t count);
    size_t pageCount() const { return pages_.size(); }
    // Makes room for that many pages in all.
    void reserve(size_t pages) { pages_.reserve(pages); }

    // What append() would do to book: whether the pages fit its byte order
    // and offset size, and, in bytes, at most how much it adds and about how
    // much of the book the pages then take.
    struct AppendEstimate {
        bool possible = false;
        uint64_t growth = 0;
        uint64_t live = 0;
    };
    AppendEstimate estimateAppend(const TiffSource& book) const;

    // The one write that switches a book over to the chain append() made:
    // `value`, `size` bytes in the book's byte order, at `position` (the
    // header's link, or the link of the last directory kept before the
    // first change). It never spans two disk sectors. The book's chain after
    // the switch is chainWritten().
    struct Commit {
        uint64_t position = 0;
        uint64_t value = 0;
        int size = 0;
    };

    // Writes after the end of book, whose pages are the kept ones, the data
    // of the other pages and the directories that cannot stay where they
    // lie; the book itself is left as it is. commit receives the write that
    // switches it over; afterPage as for write().
    WriteResult append(ByteSink& sink, const TiffSource& book, Commit* commit,
                       const std::function<bool(size_t)>& afterPage = {});

    // Writes every page. afterPage(n), if given, runs once the data of n
    // pages is written; it returning false stops the writing with Stopped.
    WriteResult write(ByteSink& sink, const std::function<bool(size_t)>& afterPage = {});

    // The file that write() produced or would produce is BigTIFF (needed
    // beyond 4 GiB).
    bool needsBigTiff() const;

    // The chain of the book the last write() or append() made, whole, with
    // what each of its directories takes.
    const KnownChain& chainWritten() const { return written_; }

private:
    using Blob = Stretch;
    // An entry whose values are positions of data blocks of the page (the
    // old JPEG scheme's stream and tables), copied after its strips.
    struct PointedData {
        uint16_t tag = 0;
        std::vector<Blob> blocks;
    };
    struct Directory;
    // The directories an entry points at (sub-images, EXIF, GPS): for each
    // of its values the directory there and those linked after it.
    struct SubDirectories {
        uint16_t tag = 0;
        uint16_t type = 0;
        std::vector<std::vector<Directory>> chains;
    };
    // What a directory carries into the new file.
    struct Directory {
        std::vector<Entry> entries;  // carried over, sorted by tag
        bool tiled = false;
        std::vector<Blob> strips;  // none in a directory of only entries (EXIF)
        std::vector<PointedData> pointed;
        std::vector<SubDirectories> subDirectories;
    };
    // A page added, with the content of its directory, or one kept, whose
    // directory is taken from its book as it lies.
    struct Page {
        std::shared_ptr<const TiffSource> source;
        std::unique_ptr<Directory> directory;  // none for a kept page
        DirectoryFacts kept;                   // a kept page's directory in its book
        size_t keptIndex = 0;                  // its place in its book's chain
        bool wideSamples = false;  // more than 8 bits per sample: strip bytes depend on byte order

        bool isKept() const { return !directory; }
    };
    class Assembler;  // lays the new file out and encodes its directories

    static bool readContent(const TiffSource& source, uint64_t offset, bool isPage, int depth,
                            std::vector<uint64_t>* visited, Directory* directory, uint64_t* next);
    static bool readChain(const TiffSource& source, uint64_t offset, int depth, std::vector<uint64_t>* visited,
                          std::vector<Directory>* chain);
    static std::vector<PointedData> pointedData(const FileBytes& file, const std::vector<Entry>& all,
                                                bool bigEndian);
    static uint64_t sizeBound(const Directory& directory);
    // The pages an append() to book leaves where they lie: the first
    // `before` and the last `after`.
    struct Reuse {
        size_t before = 0;
        size_t after = 0;
    };
    Reuse reuseIn(const TiffSource& book) const;
    bool staysInPlace(const Page& page, const TiffSource& book, size_t index) const;
    ReadWindow& keptWindow(const TiffSource& book);
    // A kept page's directory as it lies in its book, valid until the next
    // read of it; nullptr if it no longer lies there.
    const uint8_t* keptDirectory(const Page& page);
    // Writes pages [first, last) from offset start on (from the beginning:
    // with a header), in the given offset size and byte order, the last
    // linked to tail. firstDirectory receives where the first one begins;
    // written_ where each of them lies and what it takes.
    WriteResult writeFrom(ByteSink& sink, bool bigTiff, bool bigEndian, uint64_t start, size_t first, size_t last,
                          uint64_t tail, uint64_t* firstDirectory, const std::function<bool(size_t)>& afterPage);

    std::vector<Page> pages_;
    std::unique_ptr<ReadWindow> keptWindow_;  // over the book of the kept pages, whose directories lie together
    KnownChain written_;
};

}  // namespace palvenor::imaging::tiff
