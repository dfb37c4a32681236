// Pages a command does not touch stay as they were: after an insert, a
// delete, a move, an append and a replacement through the menus, every
// other page of a book made of real TIFF files of many kinds has the same
// strips, the same directory entries (with the data they point at, such as
// old-style JPEG tables) and the same pixels as the file it came from.

#include "PageScene.h"

#include "PageAdmin.h"
#include "RealFiles.h"

#include <QDir>

using namespace palvenor;
using namespace palvenor::test;

namespace {

using imaging::test::runTool;

struct SourcePage {
    QString file;
    std::string name;
};

}  // namespace

TEST(UntouchedPages, KeepTheirPixelsAndEntriesThroughEveryPageCommand) {
    TIFFSetWarningHandler(nullptr);  // the old and odd sample files warn on every read
    PageScene scene(3, QStringLiteral("rgb,grey,bw"));
    const QString pages = scene.path;
    const auto made = [&](const char* name) { return scene.dir.filePath(QString::fromUtf8(name)); };
    const auto sample = [](const char* name) {
        return QDir(imaging::test::tiffSamplesFolder()).filePath(QString::fromUtf8(name));
    };
    ASSERT_TRUE(imaging::test::writeRichPage(made("rich.tif")));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "g3", pages + ",2", made("g3.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "g4", pages + ",2", made("g4.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "lzw", pages + ",0", made("lzw.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "packbits", pages + ",1", made("packbits.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "jpeg", "-r", "16", pages + ",0", made("jpeg.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcp"), {"-c", "zip", pages + ",1", made("zip.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("tiffcrop"), {"-c", "zip", "-N", "2", pages, made("tiffcrop.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("convert"), {"-size", "90x60", "gradient:white-navy", "-depth", "8", "-density", "150",
                                                    "-compress", "Zip", made("magick.tif")}));
    ASSERT_TRUE(runTool(QStringLiteral("convert"), {"-size", "90x60", "pattern:checkerboard", "-monochrome",
                                                    "-compress", "Group4", made("magick-g4.tif")}));
    const std::vector<SourcePage> sources = {
        {made("g3.tif"), "g3"},
        {made("g4.tif"), "g4"},
        {made("lzw.tif"), "lzw"},
        {made("packbits.tif"), "packbits"},
        {made("jpeg.tif"), "jpeg"},
        {made("zip.tif"), "zip"},
        {made("tiffcrop.tif"), "zip (tiffcrop)"},
        {made("magick.tif"), "zip (ImageMagick)"},
        {made("magick-g4.tif"), "g4 (ImageMagick)"},
        {made("rich.tif"), "icc, xmp, private and annotation entries"},
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
    const QString added = scene.sampleBook(QStringLiteral("neu.tif"), 1, QStringLiteral("bw"), 5);
    scene.prompter.answerFile(added);
    scene.run("mnuAppendFile");
    order.push_back(-1);
    scene.goTo(3);
    scene.prompter.answerFile(added);
    scene.run("mnuRescanFile");
    order[2] = -1;
    ASSERT_EQ(messages(scene.prompter), QStringList());

    const std::vector<imaging::test::PageRecord> after = imaging::test::pageRecords(bookPath);
    ASSERT_EQ(after.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] < 0) continue;
        const SourcePage& source = sources[size_t(order[i])];
        const imaging::test::PageRecord before = imaging::test::pageRecords(source.file).at(0);
        EXPECT_TRUE(after[i].strips == before.strips) << source.name;
        EXPECT_EQ(after[i].entries, before.entries) << source.name;
        EXPECT_FALSE(before.picture.isNull()) << source.name;
        EXPECT_TRUE(after[i].picture == before.picture) << source.name;
    }
}
