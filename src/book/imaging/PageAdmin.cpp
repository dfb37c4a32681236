#include "PageAdmin.h"

#include "AnnotationTag.h"
#include "BookReplacement.h"
#include "DiskState.h"
#include "ImageFile.h"
#include "TiffBookWriter.h"
#include "TiffEncode.h"
#include "TiffStructure.h"

#include <QFileInfo>
#include <QSaveFile>

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace palvenor::imaging {

namespace {

using tiff::BookWriter;
using tiff::FileBytes;
using tiff::TiffSource;

int g_failAfterPages = -1;
fault_injection::CommitStep g_crashAt = fault_injection::CommitStep::None;

ImagingError failure(int code, const QString& description)
{
    return ImagingError{code, description};
}

// What keeps a file from being written at path, in the user's words; empty
// when nothing is to be seen from outside.
QString unwritableReason(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists())
        return QStringLiteral("der Ordner %1 fehlt").arg(folder.filePath());
    if (!folder.isDir())
        return QStringLiteral("%1 ist kein Ordner").arg(folder.filePath());
    if (file.exists() && !file.isWritable())
        return QStringLiteral("die Datei ist schreibgeschützt");
    if (!folder.isWritable())
        return QStringLiteral("der Ordner %1 ist schreibgeschützt").arg(folder.filePath());
    return {};
}

ImagingError writeFailed(const QString& path, const QString& reason)
{
    return failure(StatusWriteFailed,
                   QStringLiteral("Die Datei konnte nicht geschrieben werden: %1 (%2)").arg(path, reason));
}

ImagingError corrupt(const QString& path)
{
    return failure(StatusCorruptFile, QStringLiteral("Die Bilddatei ist beschädigt: ") + path);
}

ImagingError pagesMissing(const QString& path, int first, int last, int pageCount)
{
    const QString which = first == last ? QStringLiteral("Seite %1").arg(first)
                                        : QStringLiteral("Die Seiten %1 bis %2").arg(first).arg(last);
    return failure(StatusBadPageNumber, QStringLiteral("%1 gibt es in %2 nicht; die Datei hat %3 Seiten.")
                                            .arg(which, path)
                                            .arg(pageCount));
}

// A file pages are taken from: a TIFF whose pages are copied as they are, or
// a picture file (BMP) whose page is decoded and encoded.
struct OpenedFile {
    QString path;
    std::shared_ptr<const TiffSource> tiff;
    // The file's pages as pictures: a BMP's from the start, a TIFF's once a
    // page of it has to be decoded.
    mutable std::unique_ptr<ImageFile> picture;

    int pageCount() const { return tiff ? int(tiff->layout.directories.size()) : picture->pageCount(); }

    const ImageFile* pictures(ImagingError* error) const
    {
        if (!picture)
            picture = ImageFile::open(path, error);
        return picture.get();
    }
};

// Where the directories of a TIFF lie: as this program last wrote it, or
// as read from the file.
ImagingError findPages(TiffSource& source)
{
    switch (findLayout(source.path, *source.bytes, &source.layout, &source.known)) {
    case tiff::LayoutStatus::Ok:
        break;
    case tiff::LayoutStatus::NoPages:
        return failure(StatusNoPages, QStringLiteral("Die Datei enthält keine Seiten: ") + source.path);
    default:
        return corrupt(source.path);
    }
    // Pages behind a broken link are lost already; copying the rest would
    // make that loss permanent without anyone noticing.
    if (source.layout.chainBroken)
        return corrupt(source.path);
    return {};
}

// Files opened for one operation, each once, whatever number of pages come
// from it. A book that is also the target stays open while its replacement
// is written; the rename leaves the open file valid.
class OpenFiles {
public:
    ImagingError open(const QString& path, const OpenedFile** file)
    {
        // The same name comes once per page; resolving it each time would
        // cost more than copying the page.
        if (auto it = byName_.find(path); it != byName_.end()) {
            *file = it->second;
            return {};
        }
        const QFileInfo info(path);
        const QString key = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
        if (auto it = files_.find(key); it != files_.end()) {
            *file = byName_[path] = &it->second;
            return {};
        }
        if (!info.exists())
            return failure(StatusFileNotFound, QStringLiteral("Datei nicht gefunden: ") + path);
        if (!info.isFile())
            return failure(StatusNotAnImage, QStringLiteral("%1 ist keine Bilddatei").arg(path));
        FileBytes::OpenResult result = FileBytes::OpenResult::Ok;
        std::shared_ptr<FileBytes> bytes = FileBytes::open(path, &result);
        if (!bytes)
            return failure(StatusNotAnImage, QStringLiteral("Die Datei ist keine lesbare Bilddatei: ") + path);
        uint8_t signature[4] = {};
        const uint64_t signatureSize = std::min<uint64_t>(sizeof signature, bytes->size());
        bytes->read(0, signature, signatureSize);
        OpenedFile opened;
        opened.path = path;
        if (tiff::hasTiffSignature(signature, signatureSize)) {
            auto source = std::make_shared<TiffSource>();
            source->path = path;
            source->bytes = std::move(bytes);
            if (ImagingError e = findPages(*source); !e.ok())
                return e;
            opened.tiff = std::move(source);
        } else {
            bytes.reset();
            ImagingError error;
            opened.picture = ImageFile::open(path, &error);
            if (!opened.picture)
                return error;
        }
        *file = byName_[path] = &files_.emplace(key, std::move(opened)).first->second;
        return {};
    }

private:
    std::map<QString, OpenedFile> files_;  // by canonical path
    std::map<QString, const OpenedFile*> byName_;
};

// Writes into a file's descriptor from a position on: a new book into its
// save file, or the pages appended to a book in place. Directories and
// values are gathered into larger writes; strip data goes from file to file
// inside the kernel where it can (copy_file_range), so a page's bytes are
// never copied through this process.
class FileSink final : public tiff::ByteSink {
public:
    explicit FileSink(QFileDevice* file, uint64_t position = 0) : file_(file), position_(position) {}

    bool write(const uint8_t* data, size_t length) override
    {
        if (length >= FlushSize)
            return flush() && put(data, length);
        pending_.insert(pending_.end(), data, data + length);
        return pending_.size() < FlushSize || flush();
    }

    bool copy(const FileBytes& from, uint64_t offset, uint64_t length) override
    {
        if (const uint8_t* memory = from.buffer())
            return write(memory + offset, size_t(length));
        if (length < SmallPiece)
            return copyThroughWindow(from, offset, length);
        if (!flush())
            return false;
#ifdef Q_OS_LINUX
        if (kernelCopy_ && from.descriptor() >= 0) {
            loff_t in = loff_t(offset);
            loff_t out = loff_t(position_);
            while (length > 0) {
                const ssize_t n = ::copy_file_range(from.descriptor(), &in, file_->handle(), &out, size_t(length), 0);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                    kernelCopy_ = false;  // not between these files: copy through memory from here on
                    break;
                }
                if (n < 0)
                    return failed(errno);
                if (n == 0) {
                    reason_ = QStringLiteral("Quelldatei endet vorzeitig");
                    return false;
                }
                length -= uint64_t(n);
            }
            offset = uint64_t(in);
            position_ = uint64_t(out);
            if (length == 0)
                return true;
        }
#endif
        scratch_.resize(size_t(std::min<uint64_t>(ScratchSize, std::max<uint64_t>(length, 1))));
        while (length > 0) {
            const uint64_t n = std::min<uint64_t>(length, scratch_.size());
            if (!from.read(offset, scratch_.data(), n)) {
                reason_ = QStringLiteral("Lesefehler in der Quelldatei");
                return false;
            }
            if (!put(scratch_.data(), size_t(n)))
                return false;
            offset += n;
            length -= n;
        }
        return true;
    }

    bool flush()
    {
        const bool ok = pending_.empty() || put(pending_.data(), pending_.size());
        pending_.clear();
        return ok;
    }

    // Why writing failed, for the message.
    QString reason() const { return reason_.isEmpty() ? file_->errorString() : reason_; }

private:
    static constexpr size_t FlushSize = size_t(256) << 10;
    static constexpr uint64_t ScratchSize = uint64_t(1) << 20;
    // Pieces below this size (the strips of a page of a book libtiff wrote,
    // one apart from the next by its directory) are gathered from a window
    // of their file and written together: a system call per piece would
    // cost more than the copying.
    static constexpr uint64_t SmallPiece = uint64_t(256) << 10;

    bool copyThroughWindow(const FileBytes& from, uint64_t offset, uint64_t length)
    {
        if (&from != windowFile_ || offset < windowStart_ || offset - windowStart_ + length > window_.size()) {
            windowFile_ = nullptr;
            window_.resize(size_t(std::min(std::max(length, ScratchSize), from.size() - std::min(offset, from.size()))));
            if (!from.read(offset, window_.data(), window_.size())) {
                reason_ = QStringLiteral("Lesefehler in der Quelldatei");
                return false;
            }
            windowFile_ = &from;
            windowStart_ = offset;
        }
        return write(window_.data() + (offset - windowStart_), size_t(length));
    }

    bool failed(int error)
    {
        switch (error) {
        case ENOSPC:
        case EDQUOT:
            reason_ = QStringLiteral("kein Platz mehr auf dem Datenträger");
            break;
        case EFBIG:
            reason_ = QStringLiteral("die Datei würde größer, als das System erlaubt");
            break;
        default:
            reason_ = QString::fromLocal8Bit(std::strerror(error));
        }
        return false;
    }

    bool put(const uint8_t* data, size_t length)
    {
#ifdef Q_OS_UNIX
        while (length > 0) {
            const ssize_t n = ::pwrite(file_->handle(), data, length, off_t(position_));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return failed(errno);
            if (n == 0)
                return failed(ENOSPC);
            data += n;
            length -= size_t(n);
            position_ += uint64_t(n);
        }
        return true;
#else
        return file_->write(reinterpret_cast<const char*>(data), qint64(length)) == qint64(length);
#endif
    }

    QFileDevice* file_;
    std::vector<uint8_t> pending_;
    std::vector<uint8_t> scratch_;
    std::vector<uint8_t> window_;  // bytes of windowFile_ from windowStart_
    const FileBytes* windowFile_ = nullptr;
    uint64_t windowStart_ = 0;
    uint64_t position_ = 0;
    bool kernelCopy_ = true;
    QString reason_;
};

// The page's annotation entry, to go into its directory over the page's
// own: no entry for unset, one that drops the page's own for an empty one.
std::vector<tiff::Entry> annotationEntry(const std::optional<QByteArray>& annotations)
{
    if (!annotations)
        return {};
    tiff::Entry entry;
    entry.tag = AnnotationTag;
    entry.type = tiff::TypeUndefined;
    entry.count = uint64_t(annotations->size());
    entry.valid = !annotations->isEmpty();
    entry.value.assign(annotations->begin(), annotations->end());
    return {entry};
}

// The entries to set over those of a page: its annotation entry first, so
// that it wins over one among the others.
std::vector<tiff::Entry> withAnnotations(const std::optional<QByteArray>& annotations,
                                         const std::vector<tiff::Entry>& others)
{
    std::vector<tiff::Entry> entries = annotationEntry(annotations);
    entries.insert(entries.end(), others.begin(), others.end());
    return entries;
}

// The entries describing a page whose picture is encoded anew, with the
// byte order of their values.
struct Describing {
    std::vector<tiff::Entry> entries;
    bool bigEndian = false;
};

// Those of page `page` of file; none for a file that is no TIFF.
Describing describingEntriesOf(const OpenedFile& file, int page, bool sameColours)
{
    if (!file.tiff)
        return {};
    return {tiff::describingEntries(*file.tiff, size_t(page - 1), sameColours), file.tiff->layout.bigEndian};
}

// A picture to be encoded, and how.
struct Encoding {
    int pageType = PageTypeUnknown;
    double dpi = 300;
    int compression = 0;  // TIFF code; 0 for the page type's default
    double yDpi = 0;      // 0 for the same as dpi
};

// Encodes picture as the next page, with its annotations and the
// describing entries of the page it replaces.
ImagingError addEncoded(BookWriter* writer, const QImage& picture, const Encoding& encoding, const QString& origin,
                        const std::optional<QByteArray>& annotations, Describing describing = {})
{
    QByteArray encoded;
    QString reason;
    if (!tiff::encodePage(picture, encoding.pageType, encoding.dpi, encoding.yDpi, encoding.compression, &encoded,
                          &reason))
        return failure(StatusConverterFailed,
                       QStringLiteral("Das Bild konnte nicht umgewandelt werden: %1 (%2)").arg(origin, reason));
    const ImagingError notConverted =
        failure(StatusConverterFailed, QStringLiteral("Das Bild konnte nicht umgewandelt werden: ") + origin);
    auto source = std::make_shared<TiffSource>();
    source->path = origin;
    source->bytes = FileBytes::fromBuffer(std::move(encoded));
    if (tiff::readLayout(*source->bytes, &source->layout) != tiff::LayoutStatus::Ok)
        return notConverted;
    if (describing.bigEndian != source->layout.bigEndian)
        tiff::swapByteOrder(describing.entries);
    if (writer->addPage(source, 0, withAnnotations(annotations, describing.entries)) != BookWriter::AddResult::Ok)
        return notConverted;
    return {};
}

bool isBlackAndWhiteG4(const PageInfo& info)
{
    return info.pageType == PageTypeBlackWhite && info.compression == COMPRESSION_CCITTFAX4;
}

// Decodes page `page` of file and encodes it again, as page type pageType
// (PageTypeUnknown: the page's own type), with its annotations.
ImagingError addDecoded(BookWriter* writer, const OpenedFile& file, const PageSource& page, int pageType)
{
    ImagingError error;
    const ImageFile* pictures = file.pictures(&error);
    if (!pictures)
        return error;
    const QImage picture = pictures->readPage(page.page, &error);
    if (picture.isNull())
        return error;
    const PageInfo info = pictures->pageInfo(page.page);
    const bool resolutionKnown = info.xResolution > 0;
    const Encoding encoding{pageType == PageTypeUnknown ? info.pageType : pageType,
                            resolutionKnown ? info.xResolution : page.resolution, 0,
                            resolutionKnown ? info.yResolution : 0};
    return addEncoded(writer, picture, encoding, page.file,
                      page.annotations ? page.annotations : pictures->annotationData(page.page),
                      describingEntriesOf(file, page.page, encoding.pageType == info.pageType));
}

// A TIFF page is copied as it is unless it has to become black and white.
ImagingError addFilePage(BookWriter* writer, const OpenedFile& file, const PageSource& page)
{
    const bool toBlackAndWhite = page.compression == PageCompression::BlackAndWhiteG4;
    if (!file.tiff)
        return addDecoded(writer, file, page, toBlackAndWhite ? PageTypeBlackWhite : PageTypeUnknown);
    if (toBlackAndWhite) {
        ImagingError error;
        const ImageFile* pictures = file.pictures(&error);
        if (!pictures)
            return error;
        if (!isBlackAndWhiteG4(pictures->pageInfo(page.page)))
            return addDecoded(writer, file, page, PageTypeBlackWhite);
    }
    if (writer->addPage(file.tiff, size_t(page.page - 1), annotationEntry(page.annotations)) !=
        BookWriter::AddResult::Ok)
        return corrupt(page.file);
    return {};
}

// A picture, on its own or as the new picture of a page of a file.
ImagingError addPictureSource(BookWriter* writer, const PageSource& page, size_t index, OpenFiles& files)
{
    if (page.picture.isNull())
        return failure(StatusNotAnImage, QStringLiteral("Seite %1 des neuen Buches hat kein Bild.").arg(index + 1));
    const bool toBlackAndWhite = page.compression == PageCompression::BlackAndWhiteG4;
    const Encoding encoding{toBlackAndWhite ? PageTypeBlackWhite : tiff::pageTypeForPicture(page.picture),
                            page.resolution, toBlackAndWhite ? 0 : page.pictureCompression, page.yResolution};
    Describing describing;
    if (!page.file.isEmpty()) {
        const OpenedFile* file = nullptr;
        if (ImagingError e = files.open(page.file, &file); !e.ok())
            return e;
        if (page.page < 1 || page.page > file->pageCount())
            return pagesMissing(page.file, page.page, page.page, file->pageCount());
        ImagingError unreadable;
        const ImageFile* pictures = file->pictures(&unreadable);
        const bool sameColours = pictures && pictures->pageInfo(page.page).pageType == encoding.pageType;
        describing = describingEntriesOf(*file, page.page, sameColours);
        if (page.quarterTurned)
            tiff::turnResolutionEntries(&describing.entries);
    }
    return addEncoded(writer, page.picture, encoding, QStringLiteral("Bild für Seite %1").arg(index + 1),
                      page.annotations, describing);
}

// The write failure the tests asked for, taken once: writing stops once
// that many pages are written.
std::function<bool(size_t)> injectedFault()
{
    const int failAfter = g_failAfterPages;
    g_failAfterPages = -1;
    if (failAfter < 0)
        return {};
    return [failAfter](size_t written) { return written < size_t(failAfter); };
}

ImagingError simulatedFault(const QString& target, int failAfter)
{
    return writeFailed(target, QStringLiteral("simulierter Schreibfehler nach %1 Seiten").arg(failAfter));
}

// A page of book taken as it is: its directory stays valid where it lies.
bool keepsItsPlace(const PageSource& page, const OpenedFile& file, const OpenedFile* book)
{
    return &file == book && page.picture.isNull() && !page.annotations &&
           page.compression == PageCompression::Own;
}

// Pages first.page, first.page + 1, ... of first.file, count of them,
// each taken as first says; a picture is a run of one. The pages of a
// book that an operation leaves as they are come as a few runs, however
// long the book is.
struct PageRun {
    PageSource first;
    int count = 1;
};

// page comes after the last page of run in its file and is taken as run's
// pages are.
bool continues(const PageRun& run, const PageSource& page)
{
    const PageSource& first = run.first;
    if (first.file.isEmpty() || !first.picture.isNull() || first.annotations || page.page != first.page + run.count)
        return false;
    PageSource inFirstsPlace = page;
    inFirstsPlace.page = first.page;
    return inFirstsPlace == first;
}

size_t pageCountOf(const std::vector<PageRun>& runs)
{
    size_t total = 0;
    for (const PageRun& run : runs)
        total += size_t(run.count);
    return total;
}

// Gives writer the pages of run, which begins at place `index` of the new
// book; those of book that stay as they are (book may be nullptr) are
// kept where they lie.
ImagingError addRun(BookWriter* writer, const PageRun& run, size_t index, OpenFiles& files, const OpenedFile* book)
{
    const PageSource& first = run.first;
    if (first.file.isEmpty() || !first.picture.isNull())
        return addPictureSource(writer, first, index, files);
    const OpenedFile* file = nullptr;
    if (ImagingError e = files.open(first.file, &file); !e.ok())
        return e;
    const int last = first.page + run.count - 1;
    if (first.page < 1 || last > file->pageCount())
        return pagesMissing(first.file, first.page, last, file->pageCount());
    if (keepsItsPlace(first, *file, book))
        return writer->keepPages(file->tiff, size_t(first.page - 1), size_t(run.count)) == BookWriter::AddResult::Ok
                   ? ImagingError{}
                   : corrupt(first.file);
    PageSource page = first;
    for (; page.page <= last; ++page.page)
        if (ImagingError e = addFilePage(writer, *file, page); !e.ok())
            return e;
    return {};
}

ImagingError addPages(BookWriter* writer, const std::vector<PageRun>& runs, OpenFiles& files,
                      const OpenedFile* book)
{
    writer->reserve(pageCountOf(runs));
    size_t index = 0;
    for (const PageRun& run : runs) {
        if (ImagingError e = addRun(writer, run, index, files, book); !e.ok())
            return e;
        index += size_t(run.count);
    }
    return {};
}

// Another program changed the book since it was opened or written here,
// or since book was read for this operation.
bool changedOnDisk(const OpenedFile& book)
{
    return uint64_t(QFileInfo(book.path).size()) != book.tiff->bytes->size() || changedSinceNoted(book.path);
}

bool syncData(QFile& file)
{
#ifdef Q_OS_UNIX
    return ::fdatasync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

// Switches book over to its new chain: one write of a link within one
// sector, the header's or that of the last directory kept before the first
// change.
bool switchChain(QFile& file, const tiff::Layout& layout, const BookWriter::Commit& commit)
{
    const int size = commit.size;
    uint8_t bytes[8] = {};
    for (int i = 0; i < size; ++i)
        bytes[i] = uint8_t(commit.value >> (layout.bigEndian ? 8 * (size - 1 - i) : 8 * i));
#ifdef Q_OS_UNIX
    return ::pwrite(file.handle(), bytes, size_t(size), off_t(commit.position)) == size;
#else
    return file.seek(qint64(commit.position)) && file.write(reinterpret_cast<const char*>(bytes), size) == size;
#endif
}

// A crash the tests asked for at step: the file is left as it stands.
bool crashesAt(fault_injection::CommitStep step)
{
    if (g_crashAt != step)
        return false;
    g_crashAt = fault_injection::CommitStep::None;
    return true;
}

ImagingError simulatedCrash(const QString& target)
{
    return writeFailed(target, QStringLiteral("simulierter Absturz"));
}

// Commits the pages to book where it lies: the new pages and the
// directories that cannot stay where they lie go after its end, are
// flushed, and then one link (the header's, or that of the last directory
// before the first change) is switched to the new chain and flushed again.
// A crash before the switch leaves the old book, one after it the new.
// Nothing, if the whole book is
// to be written anew instead: it changed on disk, it would have to become
// BigTIFF, the pages do not fit its byte order, or more than half of it
// would then be space no page uses.
std::optional<ImagingError> commitInPlace(const QString& target, const std::vector<PageRun>& pages,
                                          OpenFiles& files, const OpenedFile& book)
{
    if (changedOnDisk(book))
        return std::nullopt;
    BookWriter writer;
    if (ImagingError e = addPages(&writer, pages, files, &book); !e.ok())
        return e;
    const TiffSource& source = *book.tiff;
    const uint64_t size = source.bytes->size();
    const BookWriter::AppendEstimate estimate = writer.estimateAppend(source);
    if (!estimate.possible || size + estimate.growth > 2 * estimate.live)
        return std::nullopt;

    QFile file(book.path);
    if (!file.open(QIODevice::ReadWrite))
        return writeFailure(target, file.errorString());
    FileSink sink(&file, size);
    BookWriter::Commit commit;
    const int failAfter = g_failAfterPages;
    const BookWriter::WriteResult result = writer.append(sink, source, &commit, injectedFault());
    if (result == BookWriter::WriteResult::MixedByteOrder)
        return std::nullopt;
    if (result != BookWriter::WriteResult::Ok || !sink.flush() || !syncData(file)) {
        const QString reason = sink.reason();
        file.resize(qint64(size));  // the old chain never saw these bytes
        switch (result) {
        case BookWriter::WriteResult::Stopped:
            return simulatedFault(target, failAfter);
        case BookWriter::WriteResult::SourceDamaged:
            return corrupt(target);
        default:
            return writeFailed(target, reason);
        }
    }
    if (crashesAt(fault_injection::CommitStep::BeforeSwitch))
        return simulatedCrash(target);
    if (!switchChain(file, source.layout, commit))
        return writeFailed(target, QString::fromLocal8Bit(std::strerror(errno)));
    if (crashesAt(fault_injection::CommitStep::AfterSwitch))
        return simulatedCrash(target);
    if (!syncData(file))
        return writeFailed(target, QString::fromLocal8Bit(std::strerror(errno)));
    noteWrittenChain(book.path, writer.chainWritten());
    return ImagingError{};
}

ImagingError writeBookWith(const QString& target, const std::vector<PageRun>& pages, OpenFiles& files)
{
    if (pages.empty())
        return failure(StatusNoPages, QStringLiteral("Ein Buch braucht mindestens eine Seite: ") + target);

    const bool givesOwnPages =
        std::any_of(pages.begin(), pages.end(), [&](const PageRun& run) { return run.first.file == target; });
    if (const OpenedFile* book = nullptr; givesOwnPages && files.open(target, &book).ok() && book->tiff)
        if (std::optional<ImagingError> committed = commitInPlace(target, pages, files, *book))
            return *committed;

    BookWriter writer;
    if (ImagingError e = addPages(&writer, pages, files, nullptr); !e.ok())
        return e;

    const QString path = replacedPath(target);
    // The new book takes the old one's place by a rename, which would leave
    // the other names of the old one behind with the old pages.
    if (hasOtherLinks(path))
        return writeFailed(target, QStringLiteral("die Datei hat weitere harte Verknüpfungen, die beim Ersetzen "
                                                  "getrennt würden; bitte unter neuem Namen speichern"));
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly))
        return writeFailure(target, save.errorString());
    FileSink sink(&save);

    const int failAfter = g_failAfterPages;
    switch (writer.write(sink, injectedFault())) {
    case BookWriter::WriteResult::Ok:
        break;
    case BookWriter::WriteResult::Stopped:
        save.cancelWriting();
        return simulatedFault(target, failAfter);
    case BookWriter::WriteResult::SinkFailed:
        save.cancelWriting();
        return writeFailed(target, sink.reason());
    case BookWriter::WriteResult::SourceDamaged:  // only a change in place keeps directories
        save.cancelWriting();
        return corrupt(target);
    case BookWriter::WriteResult::MixedByteOrder:
        save.cancelWriting();
        return failure(StatusUnsupportedFormat,
                       QStringLiteral("Dieses Bildformat wird nicht unterstützt: Seiten mit mehr als 8 Bit je "
                                      "Abtastwert aus Dateien unterschiedlicher Bytereihenfolge"));
    }
    if (!sink.flush()) {
        save.cancelWriting();
        return writeFailed(target, sink.reason());
    }
    if (QString reason; !commitReplacement(save, path, &reason))
        return writeFailure(target, reason);
    noteWrittenChain(path, writer.chainWritten());
    return {};
}

// The book being changed: it must exist and be a TIFF.
ImagingError openBook(const QString& target, OpenFiles& files, const OpenedFile** book)
{
    removeSaveLeftovers(target);
    if (ImagingError e = files.open(target, book); !e.ok())
        return e;
    if (!(*book)->tiff)
        return failure(StatusUnsupportedFormat,
                       QStringLiteral("Dieses Bildformat wird nicht unterstützt: Seiten lassen sich nur in "
                                      "TIFF-Dateien ändern (%1)")
                           .arg(target));
    return {};
}

// The pages taken from source; count -1 runs to its last page.
ImagingError sourcePages(const QString& source, int sourcePage, int count, PageCompression compression,
                         OpenFiles& files, PageRun* pages)
{
    const OpenedFile* file = nullptr;
    if (ImagingError e = files.open(source, &file); !e.ok())
        return e;
    const int total = file->pageCount();
    if (count == -1)
        count = total - sourcePage + 1;
    if (sourcePage < 1 || count < 1 || sourcePage > total || count > total - sourcePage + 1)
        return pagesMissing(source, sourcePage, sourcePage + std::max(count, 1) - 1, total);
    pages->first = pageOfFile(source, sourcePage);
    pages->first.compression = compression;
    pages->count = count;
    return {};
}

// Pages first to last of the book as they are; none where last < first.
void bookPages(const QString& target, int first, int last, std::vector<PageRun>* pages)
{
    if (last >= first)
        pages->push_back({pageOfFile(target, first), last - first + 1});
}

}  // namespace

ImagingError writeFailure(const QString& target, const QString& systemReason)
{
    const QString reason = unwritableReason(target);
    return writeFailed(target, reason.isEmpty() ? systemReason : reason);
}

ImagingError writeBook(const QString& target, const std::vector<PageSource>& pages)
{
    // Saving a changed page lists every page of the book; those between
    // the changes go as runs.
    std::vector<PageRun> runs;
    for (const PageSource& page : pages) {
        if (!runs.empty() && continues(runs.back(), page))
            ++runs.back().count;
        else
            runs.push_back({page, 1});
    }
    OpenFiles files;
    return writeBookWith(target, runs, files);
}

ImagingError appendPages(const QString& target, const QString& source, int sourcePage, int count,
                         PageCompression compression)
{
    OpenFiles files;
    std::vector<PageRun> pages;
    if (QFileInfo::exists(target)) {
        const OpenedFile* book = nullptr;
        if (ImagingError e = openBook(target, files, &book); !e.ok())
            return e;
        bookPages(target, 1, book->pageCount(), &pages);
    }
    PageRun appended;
    if (ImagingError e = sourcePages(source, sourcePage, count, compression, files, &appended); !e.ok())
        return e;
    pages.push_back(appended);
    return writeBookWith(target, pages, files);
}

ImagingError insertPages(const QString& target, int position, const QString& source, int sourcePage, int count,
                         PageCompression compression)
{
    OpenFiles files;
    const OpenedFile* book = nullptr;
    if (ImagingError e = openBook(target, files, &book); !e.ok())
        return e;
    const int n = book->pageCount();
    if (position < 1 || position > n + 1)
        return failure(StatusBadPageNumber,
                       QStringLiteral("Vor Seite %1 kann nicht eingefügt werden; erlaubt sind die Seiten 1 bis %2.")
                           .arg(position)
                           .arg(n + 1));
    PageRun inserted;
    if (ImagingError e = sourcePages(source, sourcePage, count, compression, files, &inserted); !e.ok())
        return e;
    std::vector<PageRun> pages;
    bookPages(target, 1, position - 1, &pages);
    pages.push_back(inserted);
    bookPages(target, position, n, &pages);
    return writeBookWith(target, pages, files);
}

ImagingError replacePages(const QString& target, int position, const QString& source, int sourcePage, int count,
                          PageCompression compression)
{
    OpenFiles files;
    const OpenedFile* book = nullptr;
    if (ImagingError e = openBook(target, files, &book); !e.ok())
        return e;
    const int n = book->pageCount();
    if (position < 1 || position > n)
        return pagesMissing(target, position, position, n);
    PageRun replacement;
    if (ImagingError e = sourcePages(source, sourcePage, count, compression, files, &replacement); !e.ok())
        return e;
    std::vector<PageRun> pages;
    bookPages(target, 1, position - 1, &pages);
    pages.push_back(replacement);
    bookPages(target, position + replacement.count, n, &pages);
    return writeBookWith(target, pages, files);
}

ImagingError deletePages(const QString& target, int start, int count)
{
    OpenFiles files;
    const OpenedFile* book = nullptr;
    if (ImagingError e = openBook(target, files, &book); !e.ok())
        return e;
    const int n = book->pageCount();
    if (count == -1)
        count = n - start + 1;
    if (start < 1 || count < 1 || start > n || count > n - start + 1)
        return pagesMissing(target, start, start + std::max(count, 1) - 1, n);
    if (count == n)
        return failure(StatusBadPageNumber, QStringLiteral("Die letzte Seite kann nicht gelöscht werden."));
    std::vector<PageRun> pages;
    bookPages(target, 1, start - 1, &pages);
    bookPages(target, start + count, n, &pages);
    return writeBookWith(target, pages, files);
}

ImagingError movePage(const QString& target, int from, int to)
{
    OpenFiles files;
    const OpenedFile* book = nullptr;
    if (ImagingError e = openBook(target, files, &book); !e.ok())
        return e;
    const int n = book->pageCount();
    if (from < 1 || from > n)
        return pagesMissing(target, from, from, n);
    if (to < 1)
        return failure(StatusBadPageNumber,
                       QStringLiteral("Eine Seite kann nicht an die Stelle %1 versetzt werden.").arg(to));
    to = std::min(to, n);
    if (to == from)
        return {};
    // The pages between the two places close up behind the moved one.
    std::vector<PageRun> pages;
    if (to < from) {
        bookPages(target, 1, to - 1, &pages);
        bookPages(target, from, from, &pages);
        bookPages(target, to, from - 1, &pages);
    } else {
        bookPages(target, 1, from - 1, &pages);
        bookPages(target, from + 1, to, &pages);
        bookPages(target, from, from, &pages);
    }
    bookPages(target, std::max(from, to) + 1, n, &pages);
    return writeBookWith(target, pages, files);
}

namespace fault_injection {
void failAfterPages(int pages)
{
    g_failAfterPages = pages;
}

void crashAt(CommitStep step)
{
    g_crashAt = step;
}
}  // namespace fault_injection

}  // namespace palvenor::imaging
