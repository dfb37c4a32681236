// Scanned pages into an open book: AddScan and the scanner entries of the
// page menu, with SANE's test back end.
#include "ScanScene.h"
#include "ScanSpool.h"

#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>

using namespace palvenor;
using namespace palvenor::test;

TEST(ScanPages, AppendingToASavedG4BookStoresEveryNewPageAsG4) {
    ScanScene s;
    const QString book = s.scene.book(2);
    const std::vector<StoredPage> before = storedPages(book);
    frmSample* w = s.scene.open(book);
    s.prepare(true);
    s.statusAfter(2, "SANE_STATUS_NO_DOCS");
    s.acceptSettings();
    s.run(*w, "AddScan");

    const std::vector<StoredPage> after = storedPages(book);
    ASSERT_EQ(after.size(), 4u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(after[i].width, before[i].width);
        EXPECT_EQ(after[i].compression, before[i].compression);
    }
    for (int i = 2; i < 4; ++i) {
        EXPECT_EQ(after[i].compression, COMPRESSION_CCITTFAX4);
        EXPECT_EQ(after[i].width, kWidth100);
        EXPECT_EQ(after[i].blackPixelsInFirstRow, int(kWidth100));
    }
    EXPECT_EQ(w->oleImgEdit1().Page(), 4);
    EXPECT_EQ(FrameScene::field(*w, "seite"), QStringLiteral("4"));
    EXPECT_EQ(w->pages().Seitenzahl, 4);
    EXPECT_EQ(s.messages(), QStringList());
    EXPECT_TRUE(w->controls().isEnabled(QStringLiteral("AddScan")));
}

TEST(ScanPages, AddScanOnAnUnsavedCaptureAnsweredNoAppendsAndThenSaves) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    s.prepare(true);
    s.statusAfter(2, "SANE_STATUS_NO_DOCS");
    s.scene.prompter.answerFile(std::nullopt);  // the capture's Save As is cancelled
    s.run(*w, "mnuErfassen");
    ASSERT_EQ(w->oleImgEdit1().PageCount(), 2);
    ASSERT_TRUE(w->oleImgEdit1().Image().isEmpty());

    s.statusAfter(2, "SANE_STATUS_NO_DOCS");  // two more sheets (pages 3 and 4)
    s.set("read-return-value", QStringLiteral("Default"));
    s.scene.prompter.clear();
    s.scene.prompter.answer(Prompter::Answer::No);
    s.acceptSettings();
    const QString target = s.scene.dir.filePath(QStringLiteral("nachher.tif"));
    s.scene.prompter.answerFile(target, 1);
    s.run(*w, "AddScan");

    ASSERT_GE(s.scene.prompter.shown().size(), 2u);
    EXPECT_EQ(s.scene.prompter.shown()[0].text, QStringLiteral("Soll die angezeigte Seite gespeichert werden?"));
    EXPECT_EQ(s.scene.prompter.shown()[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(s.scene.prompter.shown().back().kind, QStringLiteral("save"));
    EXPECT_EQ(storedPages(target).size(), 4u);
    EXPECT_EQ(w->oleImgEdit1().Image(), target);
    EXPECT_TRUE(acquire::unsavedCaptures().isEmpty());
}

TEST(ScanPages, InsertGoesBeforeTheShownPageAndReadingAgainReplacesIt) {
    struct Case {
        const char* command;
        int shown;
        size_t pagesAfter;
    };
    for (const Case& c : {Case{"mnuInsertTwain", 2, 4u}, Case{"mnuRescanTwain", 3, 3u}}) {
        SCOPED_TRACE(c.command);
        ScanScene s;
        const QString book = s.scene.book(3);
        frmSample* w = s.scene.open(book);
        w->GehZuSeite(QString::number(c.shown));
        s.prepare(false);
        s.acceptSettings();  // asked for by inserting only
        s.run(*w, c.command);
        const std::vector<StoredPage> after = storedPages(book);
        ASSERT_EQ(after.size(), c.pagesAfter);
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i].width == kWidth100, int(i) + 1 == c.shown) << i;
        EXPECT_EQ(w->oleImgEdit1().Page(), c.shown);
    }
}

TEST(ScanPages, ClosingTheSettingsBeforeAScanScansNothing) {
    ScanScene s;
    const QString book = s.scene.book(2);
    frmSample* w = s.scene.open(book);
    s.prepare(false);
    s.scene.prompter.onDialog([](QDialog&) { return int(QDialog::Rejected); });
    s.run(*w, "mnuAppendTwain");
    EXPECT_EQ(storedPages(book).size(), 2u);
    EXPECT_EQ(s.messages(), QStringList());
}

TEST(ScanPages, TheSourceIsChosenAmongTheDevicesFoundAndThenSetUp) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    QStringList listed;
    s.scene.prompter.onDialog([&](QDialog& dialog) {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lstQuelle"));
        for (int i = 0; i < list->count(); ++i) listed << list->item(i)->data(Qt::UserRole).toString();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Twain-Quelle wählen"));
        list->setCurrentRow(1);
        return int(QDialog::Accepted);
    });
    QStringList modes;
    s.scene.prompter.onDialog([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Scanner-Einstellungen"));
        auto* mode = dialog.findChild<QComboBox*>(QStringLiteral("cboModus"));
        for (int i = 0; i < mode->count(); ++i) modes << mode->itemText(i);
        mode->setCurrentText(QStringLiteral("Schwarz-Weiß"));
        dialog.findChild<QSpinBox*>(QStringLiteral("txtAufloesung"))->setValue(150);
        dialog.findChild<QComboBox*>(QStringLiteral("cboVorlage"))->setCurrentText(QStringLiteral("Automatic Document Feeder"));
        return int(QDialog::Accepted);
    });
    s.run(*w, "mnuQuelle");
    EXPECT_EQ(listed, QStringList({"test:0", "test:1"}));
    EXPECT_EQ(modes, QStringList({"Schwarz-Weiß", "Graustufen", "Farbe"}));
    EXPECT_EQ(s.scanner.chosenSource(), QStringLiteral("test:1"));

    // The settings hold for the next capture: three feeder pages at 150 dpi.
    s.statusAfter(3, "SANE_STATUS_NO_DOCS");
    const QString target = s.scene.dir.filePath(QStringLiteral("eingestellt.tif"));
    s.scene.prompter.answerFile(target, 1);
    s.run(*w, "mnuErfassen");
    const std::vector<StoredPage> pages = storedPages(target);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].width, 472u);  // 80 mm at 150 dpi
    EXPECT_EQ(pages[0].bits, 1);
}

TEST(ScanPages, TheFileMenuCarriesTheScannerEntries) {
    ScanScene s;
    frmSample* w = s.emptyWindow();
    const std::pair<const char*, const char*> entries[] = {{"mnuQuelle", "Twain-&Quelle wählen"},
                                                           {"mnuScanPeferences", "Ein&stellungen"},
                                                           {"mnuErfassen", "Er&fassung beginnen"}};
    for (const auto& [name, caption] : entries) {
        auto* action = qobject_cast<QAction*>(w->controls().find(QString::fromUtf8(name)));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), QString::fromUtf8(caption));
        EXPECT_TRUE(action->isEnabled());
    }
    auto* button = qobject_cast<QAbstractButton*>(w->controls().find(QStringLiteral("AddScan")));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Scanner Seiten anfügen"));
    EXPECT_FALSE(button->isEnabled());
}
