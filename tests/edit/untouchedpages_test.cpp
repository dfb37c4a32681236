// Pages a command does not touch stay as they were: after an insert, a
// delete and a move through the menus, every other page of a book made of
// real TIFF files of many kinds decodes to the same pixels and carries the
// same directory entries as the file it came from.

#include "PageScene.h"

#include "PageAdmin.h"

#include <QDir>
#include <QtEndian>

#include <set>

using namespace palvenor;
using namespace palvenor::test;

namespace {

// Entries whose values are places in the file (they differ in every file
// that holds the same data) or the page's role and number in its book.
const std::set<uint16_t> kPlaceEntries = {
    273,    // StripOffsets
    254,    // NewSubfileType: a page of a book
    297,    // PageNumber
    324,    // TileOffsets
    330,    // SubIFDs
    513,    // JPEGInterchangeFormat
    519,    // JPEGQTables
    520,    // JPEGDCTables
    521,    // JPEGACTables
    34665,  // ExifIFD
    34853,  // GPSInfo
};

// The directory entries of page `page` (1-based) of a classic TIFF, one line
// per entry: the tag and its values, numbers as numbers whatever their byte
// order and width, bytes and text as hex.
QStringList entriesOf(const QString& path, int page) {
    const QByteArray file = bytesOf(path);
    if (file.size() < 8) return {};
    const bool little = file.startsWith("II");
    const auto u16 = [&](qsizetype at) -> uint64_t {
        const auto* p = reinterpret_cast<const uchar*>(file.constData() + at);
        return little ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
    };
    const auto u32 = [&](qsizetype at) -> uint64_t {
        const auto* p = reinterpret_cast<const uchar*>(file.constData() + at);
        return little ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
    };
    const auto u64 = [&](qsizetype at) -> uint64_t {
        const auto* p = reinterpret_cast<const uchar*>(file.constData() + at);
        return little ? qFromLittleEndian<quint64>(p) : qFromBigEndian<quint64>(p);
    };
    uint64_t directory = u32(4);
    for (int i = 1; i < page && directory; ++i) directory = u32(qsizetype(directory + 2 + 12 * u16(qsizetype(directory))));
    QStringList entries;
    const uint64_t count = u16(qsizetype(directory));
    for (uint64_t e = 0; e < count; ++e) {
        const qsizetype at = qsizetype(directory + 2 + 12 * e);
        const auto tag = uint16_t(u16(at));
        const uint64_t type = u16(at + 2);
        const uint64_t n = u32(at + 4);
        if (tag == 0 || kPlaceEntries.count(tag)) continue;  // tag 0 is no entry at all
        static const int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
        const int size = type < 14 ? sizes[type] : 0;
        const qsizetype values = size * n <= 4 ? at + 8 : qsizetype(u32(at + 8));
        QString line = QString::number(tag) + QLatin1Char(':');
        const bool wholeEight = type == 12;  // a double; rationals are two numbers
        for (uint64_t v = 0; v < (size == 8 && !wholeEight ? 2 * n : n); ++v) {
            const QLatin1Char space(' ');
            if (wholeEight)
                line += space + QString::number(u64(values + qsizetype(8 * v)));
            else if (size == 2)
                line += space + QString::number(u16(values + qsizetype(2 * v)));
            else if (size >= 4)
                line += space + QString::number(u32(values + qsizetype(4 * v)));
            else
                line += file.mid(values + qsizetype(v), 1).toHex();
        }
        entries << line;
    }
    entries.sort();  // a directory in the wrong order is written in the right one
    return entries;
}

// Page `page` decoded by libtiff to RGBA, top row first.
std::vector<uint32_t> pixelsOf(const QString& path, int page) {
    std::vector<uint32_t> pixels;
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif || !TIFFSetDirectory(tif, tdir_t(page - 1))) {
        if (tif) TIFFClose(tif);
        return pixels;
    }
    uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    pixels.resize(size_t(width) * height);
    if (!TIFFReadRGBAImageOriented(tif, width, height, pixels.data(), ORIENTATION_TOPLEFT, 0)) pixels.clear();
    TIFFClose(tif);
    return pixels;
}

// A grey page written by libtiff with a colour profile, an XMP packet, a
// private entry and its own resolution.
QString pageWithExtras(const QString& path) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tif) return {};
    static const TIFFFieldInfo privateField[] = {
        {65000, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("Palvenor-Test")}};
    TIFFMergeFieldInfo(tif, privateField, 1);
    const uint32_t width = 80, height = 40;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 72.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 144.0f);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
    const QByteArray icc(128, '\x42');
    const QByteArray xmp("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">Seite</x:xmpmeta>");
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, uint32_t(icc.size()), icc.constData());
    TIFFSetField(tif, TIFFTAG_XMLPACKET, uint32_t(xmp.size()), xmp.constData());
    TIFFSetField(tif, 65000, "eigener Eintrag");
    std::vector<uint8_t> row(width);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) row[x] = uint8_t(x * 3 + y * 5);
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
    return path;
}

struct SourcePage {
    QString file;
    std::string name;
};

// Runs a libtiff tool; false when it fails.
bool runTool(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

TEST(UntouchedPages, KeepTheirPixelsAndEntriesThroughInsertDeleteAndMove) {
    TIFFSetWarningHandler(nullptr);  // the old and odd sample files warn on every read
    PageScene scene(3, QStringLiteral("rgb,grey,bw"));
    const QString pages = scene.path;
    const auto made = [&](const char* name) { return scene.dir.filePath(QString::fromUtf8(name)); };
    const auto sample = [](const char* name) {
        return QDir(QStringLiteral(PALVENOR_TIFF_SAMPLES)).filePath(QString::fromUtf8(name));
    };
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "g3", pages + ",2", made("g3.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "g4", pages + ",2", made("g4.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "lzw", pages + ",0", made("lzw.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "packbits", pages + ",1", made("packbits.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "jpeg", "-r", "16", pages + ",0", made("jpeg.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcrop"), {"-c", "zip", "-N", "2", pages, made("zip.tif")}));
    const std::vector<SourcePage> sources = {
        {made("g3.tif"), "g3"},
        {made("g4.tif"), "g4"},
        {made("lzw.tif"), "lzw"},
        {made("packbits.tif"), "packbits"},
        {made("jpeg.tif"), "jpeg"},
        {made("zip.tif"), "zip (tiffcrop)"},
        {pageWithExtras(made("extras.tif")), "icc, xmp, private entry"},
        {sample("ojpeg_zackthecat_subsamp22_single_strip.tiff"), "old JPEG 2x2"},
        {sample("ojpeg_single_strip_no_rowsperstrip.tiff"), "old JPEG without RowsPerStrip"},
        {sample("quad-tile.jpg.tiff"), "tiled JPEG"},
        {sample("minisblack-1c-16b.tiff"), "16-bit grey"},
        {sample("palette-1c-4b.tiff"), "4-bit palette"},
        {sample("custom_dir_EXIF_GPS.tiff"), "EXIF and GPS"},
    };
    std::vector<imaging::PageSource> book;
    for (const SourcePage& source : sources) {
        imaging::PageSource page;
        page.file = source.file;
        book.push_back(page);
    }
    const QString bookPath = made("real.tif");
    const imaging::ImagingError written = imaging::writeBook(bookPath, book);
    ASSERT_TRUE(written.ok()) << imaging::failureText(written).toStdString();
    scene.path = bookPath;
    scene.open(bookPath);
    scene.w = scene.frame.documents().Fenster(scene.frame.documents().count());
    ASSERT_EQ(scene.w->oleImgEdit1().PageCount(), int(sources.size()));

    std::vector<int> order(sources.size());  // source index of each page, -1 for a new page
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    scene.goTo(2);
    putOnClipboard(framedPicture(40, 40));
    scene.run("mnuInsertClip");
    order.insert(order.begin() + 1, -1);
    scene.goTo(6);
    scene.run("mnuDeletePage");
    order.erase(order.begin() + 5);
    scene.goTo(4);
    scene.run("mnuVersatzEnde");
    std::rotate(order.begin() + 3, order.begin() + 4, order.end());
    ASSERT_EQ(messages(scene.prompter), QStringList());

    ASSERT_EQ(readPages(bookPath).size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] < 0) continue;
        const SourcePage& source = sources[size_t(order[i])];
        const int page = int(i) + 1;
        EXPECT_EQ(entriesOf(bookPath, page).join(QLatin1Char('\n')).toStdString(),
                  entriesOf(source.file, 1).join(QLatin1Char('\n')).toStdString())
            << source.name;
        const std::vector<uint32_t> pixels = pixelsOf(source.file, 1);
        EXPECT_FALSE(pixels.empty()) << source.name;
        EXPECT_TRUE(pixelsOf(bookPath, page) == pixels) << source.name;
    }
}
