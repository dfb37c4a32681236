// A fresh capture through the "Er&fassung beginnen" command with SANE's test
// back end: pages shown as they arrive, saved as CCITT G4, failures told.
#include "ScanScene.h"
#include "ScanSpool.h"

#include <QFileInfo>

#include <cstring>

using namespace palvenor;
using namespace palvenor::test;

namespace {

constexpr const char* kNavigation[] = {"mnuBack", "mnuFirst", "mnuGoTo", "mnuLast",
                                       "mnuNext", "mnuPrevious", "rueck", "vor"};

// What the window showed each time a page arrived: shown page and `seite`.
struct ArrivalLog {
    QStringList seen;
    void follow(acquire::ImgScan1& scanner, frmSample& window) {
        QObject::connect(&scanner, &imaging::ImgScan::pageScanned, &window, [this, &window] {
            seen << QStringLiteral("%1/%2/%3")
                        .arg(window.oleImgEdit1().Page())
                        .arg(FrameScene::field(window, "seite"))
                        .arg(window.oleImgEdit1().PageCount());
        });
    }
};

// The raw pages as they came from the device, in order.
struct RawPages {
    std::vector<acquire::ScannedPage> pages;
    explicit RawPages(ScanScene& s) {
        QObject::connect(&s.scanner.scanner(), &acquire::Scanner::pageAvailable, &s.scanner,
                         [this](const acquire::ScannedPage& page) { pages.push_back(page); });
    }
};

// Every page of the file is G4 and decodes, row for row, to the bits of the
// raw page of its place; the file has no page more or less.
::testing::AssertionResult storedAsScanned(const QString& file, const std::vector<acquire::ScannedPage>& raw) {
    TIFF* tif = TIFFOpen(QFile::encodeName(file).constData(), "r");
    if (!tif) return ::testing::AssertionFailure() << "cannot open " << file.toStdString();
    size_t index = 0;
    do {
        if (index == raw.size()) return TIFFClose(tif), ::testing::AssertionFailure() << "more pages than came";
        const acquire::ScannedPage& page = raw[index];
        uint32_t width = 0, height = 0;
        uint16_t compression = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
        if (width != uint32_t(page.width) || height != uint32_t(page.height) || compression != COMPRESSION_CCITTFAX4)
            return TIFFClose(tif), ::testing::AssertionFailure() << "page " << index + 1 << " is " << width << " × "
                                                                 << height << ", compression " << compression;
        std::vector<uint8_t> row(TIFFScanlineSize(tif));
        for (uint32_t y = 0; y < height; ++y)
            if (TIFFReadScanline(tif, row.data(), y, 0) != 1 ||
                std::memcmp(row.data(), page.data.constData() + qsizetype(y) * page.bytesPerLine, row.size()) != 0)
                return TIFFClose(tif), ::testing::AssertionFailure() << "page " << index + 1 << " differs in row " << y;
        ++index;
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    if (index != raw.size()) return ::testing::AssertionFailure() << index << " pages of " << raw.size();
    return ::testing::AssertionSuccess();
}

bool savedAsG4BlackPages(const QString& file, size_t count, uint32_t width) {
    const std::vector<StoredPage> pages = storedPages(file);
    if (pages.size() != count) return false;
    for (const StoredPage& page : pages)
        if (page.bits != 1 || page.compression != COMPRESSION_CCITTFAX4 || page.width != width ||
            page.blackPixelsInFirstRow != int(width))
            return false;
    return true;
}


}  // namespace

TEST(Capture, ThreePagesFromTheFeederAreShownAsTheyArriveAndSavedAsG4) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    s.prepare(true);
    s.statusAfter(3, "SANE_STATUS_NO_DOCS");
    ArrivalLog log;
    log.follow(s.scanner, *w);
    const QString target = s.scene.dir.filePath(QStringLiteral("band1.tif"));
    s.scene.prompter.answerFile(target, 1);
    s.run(*w, "mnuErfassen");

    EXPECT_EQ(log.seen, QStringList({"1/1/1", "2/2/2", "3/3/3"}));
    ASSERT_EQ(s.scene.prompter.shown().size(), 1u);
    EXPECT_EQ(s.scene.prompter.shown()[0].kind, QStringLiteral("save"));
    EXPECT_TRUE(savedAsG4BlackPages(target, 3, kWidth100));
    EXPECT_EQ(w->oleImgEdit1().Image(), target);
    EXPECT_EQ(w->pages().Seitenzahl, 3);
    for (const char* name : kNavigation) EXPECT_FALSE(w->controls().isEnabled(QString::fromUtf8(name))) << name;
    EXPECT_TRUE(acquire::unsavedCaptures().isEmpty());
}

// Pages are read, encoded and shown at the same time; each page is of its
// own height, so that a page out of place would show.
TEST(Capture, PagesReadWhileOthersAreEncodedComeWholeAndInOrder) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    s.prepare(true, 300);
    s.set("test-picture", QStringLiteral("Grid"));
    s.statusAfter(5, "SANE_STATUS_NO_DOCS");
    s.onArrival([&s](int arrived) { s.set("br-y", QString::number(100 - 7 * arrived)); });
    RawPages raw(s);
    ArrivalLog log;
    log.follow(s.scanner, *w);
    const QString target = s.scene.dir.filePath(QStringLiteral("fuenf.tif"));
    s.scene.prompter.answerFile(target, 1);
    s.run(*w, "mnuErfassen");

    ASSERT_EQ(raw.pages.size(), 5u);
    std::vector<int> heights;
    for (const acquire::ScannedPage& page : raw.pages) heights.push_back(page.height);
    EXPECT_EQ(heights, std::vector<int>({1181, 1181, 1098, 1015, 933}));
    EXPECT_TRUE(storedAsScanned(target, raw.pages));
    EXPECT_EQ(log.seen, QStringList({"1/1/1", "2/2/2", "3/3/3", "4/4/4", "5/5/5"}));
    EXPECT_EQ(s.messages(), QStringList());
}

// Cancelled while the third page is read: the two pages that came are
// stored whole, whether or not they were still being encoded, and nothing
// of the third.
TEST(Capture, ACancelInTheMiddleOfARunKeepsTheWholePagesAndNoPartOfTheNext) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    s.prepare(true, 300);
    s.set("test-picture", QStringLiteral("Grid"));
    s.slowPages();
    RawPages raw(s);
    s.cancelWhileReading(3);
    const QString target = s.scene.dir.filePath(QStringLiteral("zwei.tif"));
    s.scene.prompter.answerFile(target, 1);
    s.run(*w, "mnuErfassen");

    EXPECT_TRUE(s.cancelled);
    EXPECT_EQ(raw.pages.size(), 2u);
    EXPECT_TRUE(storedAsScanned(target, raw.pages));
    EXPECT_EQ(w->pages().Seitenzahl, 2);
    EXPECT_EQ(s.messages(), QStringList());
}

TEST(Capture, AModifiedBookIsOfferedForSavingFirstAndCancelScansNothing) {
    ScanScene s;
    frmSample* w = s.scene.open(s.scene.book(2));
    w->pages().Geaendert = true;
    s.scene.prompter.answer(Prompter::Answer::Cancel);
    s.run(*w, "mnuErfassen");
    EXPECT_EQ(s.messages(), QStringList({"Sollen die Änderungen gespeichert werden?"}));
    EXPECT_EQ(w->oleImgEdit1().PageCount(), 2);
    EXPECT_TRUE(acquire::unsavedCaptures().isEmpty());
}

TEST(Capture, AJamOrAnOpenCoverIsToldAndThePagesScannedSoFarAreSaved) {
    const std::pair<const char*, QString> cases[] = {
        {"SANE_STATUS_JAMMED", QStringLiteral("Papierstau im Einzug des Scanners.")},
        {"SANE_STATUS_COVER_OPEN", QStringLiteral("Die Abdeckung des Scanners ist offen.")}};
    for (const auto& [status, text] : cases) {
        ScanScene s;
        frmSample* w = s.emptyWindow();
        s.prepare(true);
        s.statusAfter(2, status);
        const QString target = s.scene.dir.filePath(QStringLiteral("teil.tif"));
        s.scene.prompter.answerFile(target, 1);
        s.run(*w, "mnuErfassen");
        EXPECT_EQ(s.messages().value(0),
                  text + QStringLiteral("\nDie bisher eingelesenen Seiten bleiben erhalten."));
        EXPECT_TRUE(savedAsG4BlackPages(target, 2, kWidth100)) << status;
    }
}

TEST(Capture, AFailureBeforeTheFirstPageIsToldAndNothingIsSaved) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    s.prepare(false);
    s.set("read-return-value", QStringLiteral("SANE_STATUS_COVER_OPEN"));
    s.run(*w, "mnuErfassen");
    EXPECT_EQ(s.messages(), QStringList({"Die Abdeckung des Scanners ist offen."}));
    EXPECT_TRUE(w->oleImgEdit1().Image().isEmpty());
}

TEST(Capture, ADeviceThatFailsToOpenIsToldAndNothingIsScanned) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    s.scanner.selectSource(QStringLiteral("test:9"));
    s.run(*w, "mnuErfassen");
    EXPECT_EQ(s.messages(),
              QStringList({"Der Scanner \"test:9\" lässt sich nicht öffnen.\n"
                           "Der Scanner ist nicht bereit oder nicht vorhanden."}));
    EXPECT_TRUE(acquire::unsavedCaptures().isEmpty());
}

TEST(Capture, CancelInTheMiddleOfAPageKeepsThePagesBefore) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    s.prepare(true, 300);
    s.slowPages();
    s.cancelWhileReading(2);
    const QString target = s.scene.dir.filePath(QStringLiteral("eins.tif"));
    s.scene.prompter.answerFile(target, 1);
    s.run(*w, "mnuErfassen");
    EXPECT_TRUE(s.cancelled);
    EXPECT_EQ(s.messages(), QStringList());  // the user cancelled: nothing to tell
    EXPECT_TRUE(savedAsG4BlackPages(target, 1, 944));
}

TEST(Capture, CancelInTheFirstPageEndsTheCaptureWithoutSaving) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    s.prepare(false, 300);
    s.slowPages();
    s.cancelWhileReading(1);
    s.run(*w, "mnuErfassen");
    EXPECT_TRUE(s.cancelled);
    EXPECT_EQ(s.messages(), QStringList());
    EXPECT_EQ(s.scene.prompter.shown().size(), 0u);
    EXPECT_TRUE(w->oleImgEdit1().Image().isEmpty());
}

TEST(Capture, AnUnsavedCaptureIsOfferedOnTheNextStartAndSaved) {
    DataFolder data;
    const QString target = data.dir.filePath(QStringLiteral("wieder.tif"));
    {
        ScanScene s;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.dir.path()));
        frmSample* w = s.emptyWindow();
        s.prepare(true);
        s.statusAfter(2, "SANE_STATUS_NO_DOCS");
        s.scene.prompter.answerFile(std::nullopt);  // Save As cancelled
        s.run(*w, "mnuErfassen");
        ASSERT_EQ(acquire::unsavedCaptures().size(), 1);
        EXPECT_EQ(storedPages(acquire::unsavedCaptures()[0]).size(), 2u);
    }
    FrameScene next;
    next.prompter.answer(Prompter::Answer::Yes);
    next.prompter.answerFile(target, 1);
    next.frame.offerUnsavedCaptures();
    EXPECT_EQ(next.prompter.texts().value(0),
              QStringLiteral("Es gibt eine nicht gespeicherte Erfassung mit 2 Seiten. Wiederherstellen?"));
    EXPECT_TRUE(savedAsG4BlackPages(target, 2, kWidth100));
    EXPECT_TRUE(acquire::unsavedCaptures().isEmpty());
    EXPECT_EQ(next.frame.documents().count(), 1);
}

TEST(Capture, AnUnsavedCaptureDeclinedOnTheNextStartIsRemoved) {
    DataFolder data;
    {
        ScanScene s;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.dir.path()));
        frmSample* w = s.emptyWindow();
        s.prepare(false);
        s.scene.prompter.answerFile(std::nullopt);
        s.run(*w, "mnuErfassen");
    }
    ASSERT_EQ(acquire::unsavedCaptures().size(), 1);
    FrameScene next;
    next.prompter.answer(Prompter::Answer::No);
    next.frame.offerUnsavedCaptures();
    EXPECT_EQ(next.prompter.texts(),
              QStringList({"Es gibt eine nicht gespeicherte Erfassung mit 1 Seiten. Wiederherstellen?"}));
    EXPECT_TRUE(acquire::unsavedCaptures().isEmpty());
    EXPECT_EQ(next.frame.documents().count(), 0);
}

TEST(Capture, TheFrameBeginsACaptureInANewWindowThatGoesWhenNothingCame) {
    ScanScene s;
    s.prepare(true);
    s.statusAfter(2, "SANE_STATUS_NO_DOCS");
    const QString target = s.scene.dir.filePath(QStringLiteral("neu.tif"));
    s.scene.prompter.answerFile(target, 1);
    auto* capture = s.scene.frame.findChild<QAction*>(QStringLiteral("mnuErfassen"));
    ASSERT_NE(capture, nullptr);
    EXPECT_EQ(capture->text(), QStringLiteral("Er&fassung beginnen"));
    capture->trigger();
    ASSERT_EQ(s.scene.frame.documents().count(), 1);
    EXPECT_EQ(s.scene.frame.documents().Fenster(1)->oleImgEdit1().Image(), target);
    EXPECT_TRUE(savedAsG4BlackPages(target, 2, kWidth100));

    s.set("read-return-value", QStringLiteral("SANE_STATUS_COVER_OPEN"));
    capture->trigger();
    EXPECT_EQ(s.messages().value(0), QStringLiteral("Die Abdeckung des Scanners ist offen."));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.scene.frame.documents().count(), 1);
}
