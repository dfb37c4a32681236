#include "PageScene.h"

#include "ImgScan.h"
#include "PageAdmin.h"
#include "PageSequenceCommands.h"
#include "ProgramTemp.h"
#include "RealFiles.h"

#include <QDir>
#include <QLabel>
#include <QFileInfo>

#include <functional>

using namespace palvenor;
using namespace palvenor::test;

namespace {

// A three-page source book whose pages differ from the open book's.
QString sourceBook(PageScene& scene, int pages = 3, const QString& kinds = QStringLiteral("bw")) {
    const QString file = scene.sampleBook(QStringLiteral("quelle.tif"), pages, kinds, 7);
    scene.label(file, "B");
    return file;
}

}  // namespace

TEST(InsertPages, AThreePageFileOnPage5Of10GivesPages5To7AndShowsPage5) {
    PageScene scene(10);
    const QString source = sourceBook(scene);
    scene.goTo(5);
    scene.prompter.answerFile(source);
    scene.run("mnuInsertFile");
    EXPECT_EQ(scene.sequence(), "A1 A2 A3 A4 B1 B2 B3 A5 A6 A7 A8 A9 A10");
    EXPECT_EQ(scene.view(), "5 [5] of 13 <>");
    EXPECT_TRUE(scene.shows(5));
    for (const TiffPage& page : readPages(scene.path)) EXPECT_EQ(page.compression, COMPRESSION_CCITTFAX4);
}

TEST(InsertPages, AColourFileGoesInAsBlackAndWhiteG4) {
    PageScene scene(2);
    const QString source = sourceBook(scene, 2, QStringLiteral("rgb,grey"));
    scene.prompter.answerFile(source);
    scene.run("mnuInsertFile");
    const std::vector<TiffPage> pages = readPages(scene.path);
    const std::vector<TiffPage> sources = readPages(source);
    ASSERT_EQ(pages.size(), 4u);
    for (const TiffPage& page : pages) EXPECT_EQ(page.compression, COMPRESSION_CCITTFAX4);
    for (size_t i = 0; i < sources.size(); ++i) EXPECT_EQ(pages[i].width, sources[i].width) << i;
    EXPECT_EQ(scene.sequence().substr(scene.sequence().size() - 5), "A1 A2");
}

TEST(InsertPages, AColourPageMadeBlackAndWhiteKeepsItsResolution) {
    PageScene scene(1);
    const QString source = scene.dir.filePath(QStringLiteral("farbig.tif"));
    ASSERT_TRUE(imaging::test::writeRichPage(source));  // 118.11 pixels per centimetre
    scene.prompter.answerFile(source);
    scene.run("mnuInsertFile");
    const TiffPage page = readPages(scene.path).at(0);
    const TiffPage original = readPages(source).at(0);
    EXPECT_EQ(page.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(page.width, original.width);
    EXPECT_FLOAT_EQ(page.xResolution, 118.11f);
    EXPECT_FLOAT_EQ(page.yResolution, 118.11f);
    EXPECT_EQ(page.resolutionUnit, RESUNIT_CENTIMETER);
}

TEST(InsertPages, ACancelledDialogChangesNothing) {
    PageScene scene(3);
    scene.goTo(2);
    const QByteArray before = bytesOf(scene.path);
    scene.run("mnuInsertFile");
    scene.run("mnuAppendFile");
    scene.run("mnuRescanFile");
    EXPECT_EQ(bytesOf(scene.path), before);
    EXPECT_EQ(messages(scene.prompter), QStringList());
    EXPECT_EQ(scene.view(), "2 [2] of 3 <>");
}

TEST(InsertPages, AnUnreadableFileIsReportedAndTheBookStaysTheTarget) {
    PageScene scene(3);
    const QString junk = writeFile(scene.dir.path(), QStringLiteral("kaputt.tif"), "kein Bild");
    scene.prompter.answerFile(junk);
    scene.run("mnuInsertFile");
    ASSERT_EQ(scene.prompter.shown().size(), 2u);
    EXPECT_EQ(scene.prompter.shown()[1].icon, Prompter::Icon::Critical);
    EXPECT_TRUE(scene.prompter.shown()[1].text.endsWith(QStringLiteral(" Fehlercode = 7D1")));
    EXPECT_EQ(scene.w->oleImgAdmin1().Image(), scene.path);
    putOnClipboard(framedPicture(90, 60));
    scene.run("mnuInsertClip");
    EXPECT_EQ(scene.sequence(), "90x60 A1 A2 A3");
}

TEST(InsertPages, TheClipboardPictureGoesInAsBlackAndWhiteAtTheShownPage) {
    PageScene scene(3);
    scene.goTo(2);
    putOnClipboard(framedPicture(123, 45, Qt::red));
    scene.run("mnuInsertClip");
    EXPECT_EQ(scene.sequence(), "A1 123x45 A2 A3");
    EXPECT_EQ(readPages(scene.path)[1].compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(scene.view(), "2 [2] of 4 <>");
    EXPECT_TRUE(scene.shows(2));
}

TEST(InsertPages, ABlankPageIsAWhite100By100Page) {
    PageScene scene(2);
    scene.run("mnuInsertLeer");
    EXPECT_EQ(scene.sequence(), "100x100 A1 A2");
    EXPECT_EQ(readPages(scene.path)[0].compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(scene.w->oleImgEdit1().picture().convertToFormat(QImage::Format_RGB32).pixel(50, 50),
              qRgb(255, 255, 255));
    EXPECT_EQ(scene.view(), "1 [1] of 3 ->");
}

TEST(InsertPages, TheTemporaryBitmapLiesInTheProgramsOwnFolder) {
    PageScene scene(2);
    putOnClipboard(framedPicture(40, 30));
    scene.run("mnuInsertClip");
    EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("tempx.bmp"))));
    const QFileInfo temp(tempPictureFile());
    EXPECT_EQ(temp.fileName(), QStringLiteral("tempx.bmp"));
    EXPECT_EQ(temp.absolutePath(), QFileInfo(programTempFolder()).absoluteFilePath());
    EXPECT_EQ(QImage(temp.filePath()).size(), QSize(40, 30));
    EXPECT_EQ(QFileInfo(programTempFolder()).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
    putOnClipboard(framedPicture(50, 20));
    scene.run("mnuInsertClip");
    EXPECT_EQ(QImage(temp.filePath()).size(), QSize(50, 20));
    EXPECT_EQ(scene.sequence(), "50x20 40x30 A1 A2");
}

TEST(InsertPages, AnEmptyClipboardIsToldAndChangesNothing) {
    PageScene scene(2);
    QGuiApplication::clipboard()->setText(QStringLiteral("nur Text"));
    const QByteArray before = bytesOf(scene.path);
    scene.run("mnuInsertClip");
    scene.run("mnuAppendClip");
    scene.run("mnuRescanClip");
    EXPECT_EQ(bytesOf(scene.path), before);
    EXPECT_EQ(scene.prompter.texts(), QStringList(3, QStringLiteral("Die Zwischenablage enthält kein Bild.")));
}

TEST(InsertPages, AFailedWriteShowsTheCommandsPositionAndLeavesBookAndView) {
    struct Case {
        const char* entry;
        const char* message;
        bool file;
    };
    const Case cases[] = {{"mnuAppendClip", "Pos.2 2006", false}, {"mnuAppendFile", "Pos.3 2006", true},
                          {"mnuInsertClip", "Pos.4 2006", false}, {"mnuInsertFile", "Pos.5 2006", true},
                          {"mnuInsertLeer", "Pos.6 2006", false}, {"mnuRescanFile", "Pos.8 2006", true}};
    for (const Case& c : cases) {
        PageScene scene(3);
        const QString source = sourceBook(scene, 1);
        scene.goTo(2);
        const QByteArray before = bytesOf(scene.path);
        putOnClipboard(framedPicture(30, 30));
        if (c.file) scene.prompter.answerFile(source);
        scene.runWithFailingWrite(c.entry);
        EXPECT_EQ(bytesOf(scene.path), before) << c.entry;
        ASSERT_FALSE(scene.prompter.shown().empty()) << c.entry;
        const auto& shown = scene.prompter.shown().back();
        EXPECT_EQ(shown.text, QString::fromUtf8(c.message));
        EXPECT_EQ(shown.icon, Prompter::Icon::None) << c.entry;
        EXPECT_EQ(shown.title, QStringLiteral("Palvenor"));
        EXPECT_EQ(scene.view(), "2 [2] of 3 <>") << c.entry;
    }
}

TEST(AppendPages, TheClipboardPictureGoesLastAndTheViewMovesOnePage) {
    PageScene scene(3);
    scene.goTo(1);
    putOnClipboard(framedPicture(77, 33));
    scene.run("mnuAppendClip");
    EXPECT_EQ(scene.sequence(), "A1 A2 A3 77x33");
    EXPECT_EQ(scene.view(), "2 [2] of 4 <>");
    EXPECT_TRUE(scene.shows(2));
}

TEST(AppendPages, TheToolBarButtonAppendsFromTheClipboard) {
    PageScene scene(2);
    auto* button = scene.w->findChild<QToolButton*>(QStringLiteral("Command1"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Seiten aus Zwischenablage anfügen"));
    EXPECT_TRUE(button->isEnabled());
    putOnClipboard(framedPicture(61, 17));
    button->click();
    EXPECT_EQ(scene.sequence(), "A1 A2 61x17");
    EXPECT_EQ(scene.view(), "2 [2] of 3 <>");
}

TEST(AppendPages, PagesOfEveryTypeKeepTheirOwnCompression) {
    PageScene scene(2);
    const QString source = sourceBook(scene, 4, QStringLiteral("grey,palette,rgb,bw"));
    scene.prompter.answerFile(source);
    scene.run("mnuAppendFile");
    EXPECT_EQ(scene.sequence(), "A1 A2 B1 B2 B3 B4");
    const std::vector<TiffPage> pages = readPages(scene.path);
    const std::vector<TiffPage> sources = readPages(source);
    for (size_t i = 0; i < sources.size(); ++i) EXPECT_EQ(pages[i + 2].compression, sources[i].compression);
    EXPECT_EQ(scene.view(), "2 [2] of 6 <>");
}

TEST(AppendPages, ABlackAndWhiteFileGoesInAsG4) {
    PageScene scene(1);
    const QString lzw = scene.dir.filePath(QStringLiteral("lzw.tif"));
    QImage page = framedPicture(64, 48).convertToFormat(QImage::Format_Mono);
    ASSERT_TRUE(page.save(lzw, "TIFF"));
    scene.prompter.answerFile(lzw);
    scene.run("mnuAppendFile");
    const std::vector<TiffPage> pages = readPages(scene.path);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(pages[1].width, 64u);
}

TEST(ReplacePages, ANamedFileReplacesExactlyTheShownPageWithoutADialog) {
    PageScene scene(4);
    const QString source = sourceBook(scene);
    scene.goTo(3);
    PageSequenceCommands(*scene.w).ReplacePageFromFile(source);
    EXPECT_EQ(scene.sequence(), "A1 A2 B1 A4");
    EXPECT_TRUE(scene.prompter.shown().empty());
    EXPECT_EQ(scene.view(), "3 [3] of 4 <>");
    EXPECT_TRUE(scene.shows(3));
}

TEST(ReplacePages, AChosenFileReplacesFromTheShownPageOn) {
    PageScene scene(5);
    const QString source = sourceBook(scene);
    scene.goTo(2);
    scene.prompter.answerFile(source);
    scene.run("mnuRescanFile");
    EXPECT_EQ(scene.sequence(), "A1 B1 B2 B3 A5");
    EXPECT_EQ(scene.view(), "2 [2] of 5 <>");
    EXPECT_TRUE(scene.shows(2));
}

TEST(ReplacePages, PagesBeyondTheEndLengthenTheBookAndItsPageCount) {
    PageScene scene(2);
    const QString source = sourceBook(scene);
    scene.goTo(2);
    scene.prompter.answerFile(source);
    scene.run("mnuRescanFile");
    EXPECT_EQ(scene.sequence(), "A1 B1 B2 B3");
    EXPECT_EQ(scene.view(), "2 [2] of 4 <>");
}

TEST(ReplacePages, TheClipboardPictureTakesTheShownPagesPlace) {
    PageScene scene(3);
    scene.goTo(2);
    putOnClipboard(framedPicture(88, 44, Qt::darkGreen));
    bool waitShown = false;
    QObject::connect(&scene.w->oleImgEdit1(), &imaging::oleImgEdit::pageShown, [&] {
        if (auto* label = scene.w->findChild<QLabel*>(QStringLiteral("Label1")))
            waitShown = !label->isHidden() && label->text() == QStringLiteral("Bitte warten ...");
    });
    scene.run("mnuRescanClip");
    EXPECT_TRUE(waitShown);
    EXPECT_TRUE(scene.w->findChild<QLabel*>(QStringLiteral("Label1"))->isHidden());
    EXPECT_EQ(scene.sequence(), "A1 88x44 A3");
    EXPECT_EQ(readPages(scene.path)[1].compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(scene.view(), "2 [2] of 3 <>");
    EXPECT_TRUE(scene.shows(2));
}

namespace {

// A scanner that records what it was set to when each call came.
class RecordingScanner : public imaging::ImgScan {
public:
    int openResult = 0;
    QStringList calls;
    std::function<void()> whileScanning = [] {};

    bool ScannerAvailable() const override { return true; }
    QStringList sources() const override { return {QStringLiteral("test:0")}; }
    void selectSource(const QString&) override {}
    int OpenScanner() override { return record("open"), openResult; }
    int StartScan() override { return record("start"), 0; }
    void CloseScanner() override { record("close"); }
    void ShowScanPreferences() override {}
    void ShowSelectSource() override {}
    int ScanToTarget() override { return record("scan"), whileScanning(), 0; }

private:
    void record(const char* call) {
        calls << QStringLiteral("%1 option=%2 page=%3 dest=%4 multi=%5 setup=%6 file=%7")
                     .arg(QString::fromUtf8(call))
                     .arg(PageOption)
                     .arg(Page)
                     .arg(DestImageControl)
                     .arg(MultiPage)
                     .arg(ShowSetupBeforeScan)
                     .arg(QFileInfo(Image).fileName());
    }
};

class ScannerFrame : public frmMDI {
public:
    using frmMDI::frmMDI;
    imaging::ImgScan* scanner() override { return scanner_; }
    imaging::ImgScan* scanner_ = nullptr;
};

struct ScannerScene {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    IniFile ini{dir.filePath(QStringLiteral("Palvenor.ini"))};
    RecentFiles recentFiles{dir.filePath(QStringLiteral("Palvenor.conf"))};
    ScannerFrame frame{prompter, ini, recentFiles};
    RecordingScanner scanner;
    frmSample* w = nullptr;

    ScannerScene() {
        frame.scanner_ = &scanner;
        frame.Kommandozeile = makeBook(dir.path(), QStringLiteral("buch.tif"), 4);
        frame.mnuOpen_Click();
        w = frame.documents().Fenster(frame.documents().count());
        w->GehZuSeite(QStringLiteral("2"));
    }
    void run(const char* entry) { w->findChild<QAction*>(QString::fromUtf8(entry))->trigger(); }
};

}  // namespace

TEST(ScannerPages, InsertAimsAtTheShownPageOfTheBook) {
    ScannerScene scene;
    scene.run("mnuInsertTwain");
    const QString set = QStringLiteral(" option=3 page=2 dest=1 multi=1 setup=1 file=buch.tif");
    EXPECT_EQ(scene.scanner.calls, QStringList({"open" + set, "scan" + set, "close" + set}));
    EXPECT_TRUE(scene.w->controls().isChecked(QStringLiteral("Voll")));
}

TEST(ScannerPages, AppendGoesToTheLastPageAndScansBehindIt) {
    ScannerScene scene;
    QStringList enabledWhileScanning;
    scene.scanner.whileScanning = [&] {
        for (const char* starter : {"AddScan", "mnuAppendTwain"})
            if (scene.w->controls().isEnabled(QString::fromUtf8(starter))) enabledWhileScanning << starter;
    };
    scene.run("mnuAppendTwain");
    EXPECT_EQ(enabledWhileScanning, QStringList());
    EXPECT_TRUE(scene.w->controls().isEnabled(QStringLiteral("AddScan")));
    const QString set = QStringLiteral(" option=2 page=0 dest=1 multi=1 setup=1 file=buch.tif");
    EXPECT_EQ(scene.scanner.calls, QStringList({"open" + set, "scan" + set, "close" + set}));
    EXPECT_EQ(scene.w->oleImgEdit1().Page(), 4);
    EXPECT_TRUE(scene.w->controls().isEnabled(QStringLiteral("mnuAppendTwain")));
}

TEST(ScannerPages, AScannerThatDoesNotOpenIsOnlyClosed) {
    ScannerScene scene;
    scene.scanner.openResult = 1;
    scene.run("mnuInsertTwain");
    ASSERT_EQ(scene.scanner.calls.size(), 2);
    EXPECT_TRUE(scene.scanner.calls[1].startsWith(QStringLiteral("close")));
}

TEST(ScannerPages, RescanOverwritesTheShownPageWithoutOpening) {
    ScannerScene scene;
    scene.run("mnuRescanTwain");
    EXPECT_EQ(scene.scanner.calls,
              QStringList({QStringLiteral("start option=4 page=2 dest=1 multi=1 setup=1 file=buch.tif")}));
}

TEST(ScannerPages, WithoutAScannerTheUserIsTold) {
    PageScene scene(2);
    const QByteArray before = bytesOf(scene.path);
    for (const char* entry : {"mnuInsertTwain", "mnuAppendTwain", "mnuRescanTwain"}) scene.run(entry);
    const QString told = QStringLiteral(
        "Es ist kein Scanner verfügbar.\nBitte schließen Sie einen Scanner an und wählen Sie ihn unter "
        "\"Twain-Quelle wählen\" aus.");
    EXPECT_EQ(scene.prompter.texts(), QStringList(3, told));
    EXPECT_EQ(bytesOf(scene.path), before);
}

TEST(ReplacePages, AFailedClipboardReplacementIsToldAndLeavesThePage) {
    PageScene scene(3);
    scene.goTo(2);
    const QByteArray before = bytesOf(scene.path);
    putOnClipboard(framedPicture(30, 30));
    scene.runWithFailingWrite("mnuRescanClip");
    EXPECT_EQ(bytesOf(scene.path), before);
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_TRUE(scene.prompter.shown()[0].text.endsWith(QStringLiteral(" Fehlercode = 7D6")));
    EXPECT_EQ(scene.prompter.shown()[0].icon, Prompter::Icon::Critical);
    EXPECT_TRUE(scene.shows(2));
}

TEST(InsertPages, AChangedPageIsOfferedForSavingFirst) {
    PageScene scene(2);
    scene.w->oleImgEdit1().setImageModified(true);
    putOnClipboard(framedPicture(30, 30));
    scene.prompter.answer(Prompter::Answer::Cancel);
    scene.run("mnuInsertClip");
    EXPECT_EQ(messages(scene.prompter), QStringList({QStringLiteral("Sollen die Änderungen gespeichert werden?")}));
    EXPECT_EQ(scene.sequence(), "A1 A2");
    scene.prompter.answer(Prompter::Answer::No);
    scene.run("mnuInsertClip");
    EXPECT_EQ(scene.sequence(), "30x30 A1 A2");
}

TEST(InsertPages, TheBookItselfAsTheSourceGoesInAsItWas) {
    PageScene scene(3);
    scene.goTo(2);
    scene.prompter.answerFile(scene.path);
    scene.run("mnuAppendFile");
    EXPECT_EQ(scene.sequence(), "A1 A2 A3 A1 A2 A3");
    EXPECT_EQ(scene.view(), "3 [3] of 6 <>");
    scene.prompter.answerFile(scene.path);
    scene.run("mnuInsertFile");
    const std::string twelve = "A1 A2 A1 A2 A3 A1 A2 A3 A3 A1 A2 A3";
    EXPECT_EQ(scene.sequence(), twelve);
    scene.goTo(12);
    scene.prompter.answerFile(scene.path);
    scene.run("mnuRescanFile");
    EXPECT_EQ(scene.sequence(), "A1 A2 A1 A2 A3 A1 A2 A3 A3 A1 A2 " + twelve);
    EXPECT_EQ(messages(scene.prompter), QStringList());
}
