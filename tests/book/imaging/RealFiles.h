#pragma once

// TIFF files as other programs write them: libtiff's own test images, pages
// recompressed by tiffcp, cut by tiffcrop and written by ImageMagick, and a
// page carrying the entries archives care about (colour profile, XMP,
// private and annotation entries). And a page's full record: its strips,
// every entry with the data its position entries point at, and its pixels.

#include "AnnotationTag.h"
#include "TiffFiles.h"
#include "TiffStructure.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <tiffio.h>

#include <string>
#include <vector>

namespace palvenor::imaging::test {

inline QString tiffSamplesFolder()
{
    return QStringLiteral(PALVENOR_TIFF_SAMPLES);
}

// libtiff's test images, by file name.
inline QStringList tiffSampleNames()
{
    return QDir(tiffSamplesFolder())
        .entryList({QStringLiteral("*.tif"), QStringLiteral("*.tiff")}, QDir::Files, QDir::Name);
}

// Runs a tool; false if it did not run or failed.
inline bool runTool(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(program, arguments);
    return tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

constexpr uint16_t PrivateTag = 65000;

// A colour page in Deflate, 118.11 pixels per centimetre.
inline PatternPage richColourPage()
{
    PatternPage page;
    page.samples = 3;
    page.photometric = PHOTOMETRIC_RGB;
    page.compression = COMPRESSION_ADOBE_DEFLATE;
    page.resolutionUnit = RESUNIT_CENTIMETER;
    page.xResolution = 118.11f;
    page.yResolution = 118.11f;
    return page;
}

// A page with the entries an archive puts there: colour profile, XMP,
// description, a private entry and an annotation entry. Mode "wb" writes
// big-endian.
inline bool writeRichPage(const QString& path, const PatternPage& page = richColourPage(), const char* mode = "w")
{
    static const TIFFFieldInfo extra[] = {
        {PrivateTag, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("Archivnummer")},
        {AnnotationTag, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_UNDEFINED, FIELD_CUSTOM, 1, 1,
         const_cast<char*>("Anmerkungen")},
    };
    Tiff tif = openTiff(path, mode);
    if (!tif || TIFFMergeFieldInfo(tif.get(), extra, 2) != 0)
        return false;
    setPatternTags(tif.get(), page, 0, 1);
    const QByteArray icc(600, '\x5a');
    const QByteArray xmp("<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF/></x:xmpmeta>");
    const QByteArray annotations("\x01\x02\x03\x04 Randnotiz", 15);
    TIFFSetField(tif.get(), TIFFTAG_ICCPROFILE, uint32_t(icc.size()), icc.constData());
    TIFFSetField(tif.get(), TIFFTAG_XMLPACKET, uint32_t(xmp.size()), xmp.constData());
    TIFFSetField(tif.get(), TIFFTAG_IMAGEDESCRIPTION, "Band 3, Blatt 17");
    TIFFSetField(tif.get(), PrivateTag, "Archiv 1923/7");
    TIFFSetField(tif.get(), AnnotationTag, uint32_t(annotations.size()), annotations.constData());
    return writePatternRows(tif.get(), page) && TIFFWriteDirectory(tif.get());
}

// Files written by other programs into folder; empty if a tool is missing
// or failed (the caller's assertion names which).
inline QStringList otherProgramsFiles(const QString& folder, QString* failed)
{
    const auto at = [&](const char* name) { return QDir(folder).filePath(QString::fromLatin1(name)); };
    PatternPage bw;
    bw.width = 200;
    bw.height = 120;
    bw.bits = 1;
    bw.photometric = PHOTOMETRIC_MINISWHITE;
    bw.compression = COMPRESSION_NONE;
    bw.rowsPerStrip = 120;
    PatternPage colour;
    colour.width = 160;
    colour.height = 96;
    colour.samples = 3;
    colour.photometric = PHOTOMETRIC_RGB;
    colour.compression = COMPRESSION_NONE;
    colour.rowsPerStrip = 16;
    PatternPage grey = colour;
    grey.samples = 1;
    grey.photometric = PHOTOMETRIC_MINISBLACK;
    if (!writePatternBook(at("bw.tif"), {bw}) || !writePatternBook(at("colour.tif"), {colour}) ||
        !writePatternBook(at("grey.tif"), {grey}) || !writeRichPage(at("rich.tif"))) {
        *failed = QStringLiteral("libtiff");
        return {};
    }
    struct Made {
        const char* name;
        QString program;
        QStringList arguments;
    };
    const QString tiffcp = QStringLiteral("tiffcp");
    const Made made[] = {
        {"tiffcp-g3.tif", tiffcp, {"-c", "g3", at("bw.tif"), at("tiffcp-g3.tif")}},
        {"tiffcp-g3-2d.tif", tiffcp, {"-c", "g3:2d", at("bw.tif"), at("tiffcp-g3-2d.tif")}},
        {"tiffcp-g4.tif", tiffcp, {"-c", "g4", at("bw.tif"), at("tiffcp-g4.tif")}},
        {"tiffcp-lzw.tif", tiffcp, {"-c", "lzw:2", at("colour.tif"), at("tiffcp-lzw.tif")}},
        {"tiffcp-zip.tif", tiffcp, {"-c", "zip", at("grey.tif"), at("tiffcp-zip.tif")}},
        {"tiffcp-packbits.tif", tiffcp, {"-c", "packbits", at("grey.tif"), at("tiffcp-packbits.tif")}},
        {"tiffcp-jpeg.tif", tiffcp, {"-c", "jpeg:50", "-r", "16", at("colour.tif"), at("tiffcp-jpeg.tif")}},
        {"tiffcp-tiles.tif", tiffcp, {"-c", "zip", "-t", "-w", "32", "-l", "32", at("colour.tif"), at("tiffcp-tiles.tif")}},
        {"tiffcp-bigendian.tif", tiffcp, {"-B", "-c", "packbits", at("rich.tif"), at("tiffcp-bigendian.tif")}},
        {"tiffcp-three.tif", tiffcp, {at("tiffcp-g4.tif"), at("tiffcp-jpeg.tif"), at("rich.tif"), at("tiffcp-three.tif")}},
        {"tiffcrop-rotated.tif", QStringLiteral("tiffcrop"), {"-R", "90", at("colour.tif"), at("tiffcrop-rotated.tif")}},
        {"tiffcrop-cut.tif", QStringLiteral("tiffcrop"),
         {"-U", "px", "-m", "10,20,10,20", at("grey.tif"), at("tiffcrop-cut.tif")}},
        {"magick-zip.tif", QStringLiteral("convert"),
         {"-size", "90x60", "gradient:white-navy", "-density", "150", "-compress", "Zip", at("magick-zip.tif")}},
        {"magick-g4.tif", QStringLiteral("convert"),
         {"-size", "90x60", "pattern:checkerboard", "-monochrome", "-compress", "Group4", at("magick-g4.tif")}},
        {"magick-jpeg.tif", QStringLiteral("convert"),
         {"-size", "90x60", "plasma:fractal", "-seed", "3", "-compress", "JPEG", at("magick-jpeg.tif")}},
        {"magick-rgba.tif", QStringLiteral("convert"),
         {"-size", "64x48", "gradient:#ff000080-#0000ffff", "-compress", "LZW", at("magick-rgba.tif")}},
        {"magick-16bit.tif", QStringLiteral("convert"),
         {"-size", "64x48", "gradient:black-white", "-depth", "16", at("magick-16bit.tif")}},
        {"magick-cmyk.tif", QStringLiteral("convert"),
         {"-size", "64x48", "gradient:cyan-yellow", "-colorspace", "CMYK", at("magick-cmyk.tif")}},
        {"magick-two.tif", QStringLiteral("convert"), {at("colour.tif"), at("tiffcp-g3.tif"), at("magick-two.tif")}},
    };
    QStringList files{at("rich.tif")};
    for (const Made& m : made) {
        if (!runTool(m.program, m.arguments)) {
            *failed = m.program + QLatin1Char(' ') + m.arguments.join(QLatin1Char(' '));
            return {};
        }
        files.append(at(m.name));
    }
    return files;
}

// ---------------------------------------------------------------------------
// A page's record, to tell whether a page operation left it as it was.

// Entries whose values are set for each book anew: the page's place and kind.
inline bool isPlaceEntry(uint16_t tag)
{
    return tag == TIFFTAG_SUBFILETYPE || tag == TIFFTAG_OSUBFILETYPE || tag == TIFFTAG_PAGENUMBER;
}

// The bytes a position entry points at, for the entries whose values are
// positions of data; empty for other entries.
inline QByteArray pointedBytes(const tiff::FileBytes& file, const std::vector<tiff::Entry>& entries,
                               const tiff::Entry& e, bool bigEndian)
{
    const auto read = [&](uint64_t offset, uint64_t length) {
        QByteArray bytes(qsizetype(length), '\0');
        return file.read(offset, bytes.data(), length) ? bytes : QByteArray("<außerhalb der Datei>");
    };
    QByteArray out;
    if (e.tag == TIFFTAG_JPEGIFOFFSET) {
        const tiff::Entry* length = tiff::findEntry(entries, TIFFTAG_JPEGIFBYTECOUNT);
        return read(tiff::entryInteger(e, bigEndian), length ? tiff::entryInteger(*length, bigEndian) : 0);
    }
    if (e.tag == TIFFTAG_JPEGQTABLES)
        for (uint64_t k = 0; k < e.count; ++k)
            out += read(tiff::entryInteger(e, bigEndian, k), 64);
    if (e.tag == TIFFTAG_JPEGDCTABLES || e.tag == TIFFTAG_JPEGACTABLES)
        for (uint64_t k = 0; k < e.count; ++k) {
            const uint64_t at = tiff::entryInteger(e, bigEndian, k);
            const QByteArray counts = read(at, 16);
            uint64_t values = 0;
            for (const char n : counts)
                values += uint8_t(n);
            out += read(at, 16 + values);
        }
    return out;
}

// Entries a copy writes anew with the same meaning: the lengths of the
// strips (their bytes are compared) and of the JPEG stream.
inline bool isLengthEntry(uint16_t tag)
{
    return tag == TIFFTAG_STRIPBYTECOUNTS || tag == TIFFTAG_TILEBYTECOUNTS || tag == TIFFTAG_JPEGIFBYTECOUNT;
}

inline bool isSubDirectoryEntry(const tiff::Entry& e)
{
    return e.type == tiff::TypeIfd || e.type == tiff::TypeIfd8 || e.tag == TIFFTAG_SUBIFD ||
           e.tag == TIFFTAG_EXIFIFD || e.tag == TIFFTAG_GPSIFD || e.tag == TIFFTAG_INTEROPERABILITYIFD;
}

// A checksum of the strips a strip position entry points at.
inline QByteArray stripBytes(const tiff::FileBytes& file, const std::vector<tiff::Entry>& entries,
                             const tiff::Entry& offsets, bool bigEndian)
{
    const tiff::Entry* counts = tiff::findEntry(
        entries, offsets.tag == TIFFTAG_TILEOFFSETS ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS);
    QCryptographicHash hash(QCryptographicHash::Md5);
    for (uint64_t k = 0; k < offsets.count && counts; ++k) {
        QByteArray strip(qsizetype(tiff::entryInteger(*counts, bigEndian, k)), '\0');
        if (!file.read(tiff::entryInteger(offsets, bigEndian, k), strip.data(), uint64_t(strip.size())))
            strip = "<außerhalb der Datei>";
        hash.addData(strip);
    }
    return hash.result();
}

std::string directoryText(const tiff::FileBytes& file, const tiff::Layout& layout, uint64_t offset, int depth);

// The value of an entry as a page operation has to keep it: the bytes, in
// big-endian order; for entries holding positions, what lies there.
inline QByteArray meaningOf(const tiff::FileBytes& file, const tiff::Layout& layout,
                            const std::vector<tiff::Entry>& entries, const tiff::Entry& e, int depth)
{
    if (e.tag == TIFFTAG_STRIPOFFSETS || e.tag == TIFFTAG_TILEOFFSETS)
        return stripBytes(file, entries, e, layout.bigEndian).toHex();
    if (isSubDirectoryEntry(e)) {
        QByteArray below;
        for (uint64_t k = 0; k < e.count; ++k)
            below += "{" + QByteArray::fromStdString(directoryText(file, layout, tiff::entryInteger(e, layout.bigEndian, k), depth + 1)) + "}";
        return below;
    }
    QByteArray value = pointedBytes(file, entries, e, layout.bigEndian);
    if (!value.isEmpty())
        return value.toHex();
    value = QByteArray(reinterpret_cast<const char*>(e.value.data()), qsizetype(e.value.size()));
    const int unit = tiff::fieldSwapUnit(e.type);
    if (!layout.bigEndian && unit > 1)
        for (qsizetype i = 0; i + unit <= value.size(); i += unit)
            std::reverse(value.begin() + i, value.begin() + i + unit);
    return value.toHex();
}

// Every entry of the directory at offset but its place in the book, one a
// line in tag order: tag, type (offset types as the classic file has them), count and
// meaning; then the directories linked after it.
inline std::string directoryText(const tiff::FileBytes& file, const tiff::Layout& layout, uint64_t offset, int depth)
{
    std::vector<tiff::Entry> entries;
    uint64_t next = 0;
    if (depth > 4 || !tiff::readDirectory(file, layout, offset, &entries, &next))
        return "<unlesbar>";
    // In tag order, as a directory has to be; some writers did not keep it.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const tiff::Entry& a, const tiff::Entry& b) { return a.tag < b.tag; });
    std::string text;
    for (const tiff::Entry& e : entries) {
        if (!e.valid || isPlaceEntry(e.tag) || isLengthEntry(e.tag))
            continue;
        text += std::to_string(e.tag) + " " + std::to_string(e.type) + " " + std::to_string(e.count) + " " +
                meaningOf(file, layout, entries, e, depth).toStdString() + "\n";
    }
    if (depth > 0 && next != 0)
        text += "->" + directoryText(file, layout, next, depth + 1);
    return text;
}

// The entries of page `page` (1-based), with everything below it.
inline std::string entriesOfPage(const QString& path, int page)
{
    tiff::FileBytes::OpenResult opened;
    const auto file = tiff::FileBytes::open(path, &opened);
    tiff::Layout layout;
    if (!file || tiff::readLayout(*file, &layout) != tiff::LayoutStatus::Ok || page > int(layout.directories.size()))
        return "<unlesbar>";
    return directoryText(*file, layout, layout.directories[size_t(page - 1)], 0);
}

struct PageRecord {
    RawPage strips;
    std::string entries;
    QImage picture;  // as libtiff's RGBA reader sees it; null where it cannot
};

inline std::vector<PageRecord> pageRecords(const QString& path)
{
    std::vector<PageRecord> records;
    const std::vector<RawPage> strips = rawPages(path);
    for (size_t i = 0; i < strips.size(); ++i)
        records.push_back({strips[i], entriesOfPage(path, int(i + 1)), libtiffPicture(path, int(i + 1))});
    return records;
}

}  // namespace palvenor::imaging::test
