// The whole-book entries of the book window's "&Texterkennung" menu on a
// rendered book: the text of every page under its book page number in the
// OCR window, the range question, cancelling, pages kept until they change,
// and the searchable PDF and ALTO files saved from the menu.

#include "BookOcrChecks.h"
#include "BookOcrRun.h"
#include "FrameScene.h"
#include "frmOCR.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::longWords;
using palvenor::test::shareFound;

namespace {

constexpr int kLongestRunMs = 600000;

// A book window on a rendered two-page book whose text is known, with the
// OCR window's text formatted without the lexicon.
struct BookOcrScene : test::FrameScene {
    ocr::FormatOptions savedOptions = ocr::formatOptions;
    QString truthFile = dir.filePath(QStringLiteral("buch.txt"));
    QString bookFile = test::makeBook(dir.path(), QStringLiteral("buch.tif"), 2, QStringLiteral("bw,grey"), truthFile);
    frmSample* window = nullptr;

    BookOcrScene() {
        ocr::formatOptions.Lexikon = false;
        window = open(bookFile);
    }
    ~BookOcrScene() { ocr::formatOptions = savedOptions; }

    QStringList truth() const { return QString::fromUtf8(test::readAll(truthFile)).split(u'\f'); }
    BookOcrRun& run() { return *BookOcrRun::of(*window); }
    QAction* entry(const char* name) { return window->findChild<QAction*>(QString::fromUtf8(name)); }
    // Chooses the entry and waits for the run it starts; false when the run
    // did not end complete.
    bool runEntry(const char* name) {
        QSignalSpy finished(&run(), &BookOcrRun::finished);
        entry(name)->trigger();
        return (!finished.isEmpty() || finished.wait(kLongestRunMs)) && finished.first().first().toBool();
    }
    bool recogniseAll() {
        prompter.answerInput(QString());
        return runEntry("mnuBookOcr");
    }
    QString ocrText() { return frame.ocr().window().RTF0->toPlainText(); }
};

TEST(BookOcrMenu, EveryPageShowsInTheOcrWindowUnderItsBookPageNumber) {
    BookOcrScene scene;
    ASSERT_FALSE(scene.bookFile.isEmpty());
    scene.window->pages().OffsetSetzen(QStringLiteral("5"), 1);
    QSignalSpy finished(&scene.run(), &BookOcrRun::finished);
    scene.prompter.answerInput(QString());
    scene.entry("mnuBookOcr")->trigger();

    // The window stays usable while the book is read: the progress shows
    // beside the page, which can be turned.
    EXPECT_TRUE(scene.window->findChild<QWidget*>(QStringLiteral("BookOcrProgress"))->isVisibleTo(scene.window));
    EXPECT_EQ(scene.window->findChild<QProgressBar*>(QStringLiteral("BookOcrProgressBar"))->text(), QStringLiteral("Seite 0 von 2"));
    scene.entry("mnuNext")->trigger();
    EXPECT_EQ(scene.window->oleImgEdit1().Page(), 2);

    ASSERT_TRUE(finished.wait(kLongestRunMs));
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_EQ(scene.window->findChild<QProgressBar*>(QStringLiteral("BookOcrProgressBar"))->text(), QStringLiteral("Seite 2 von 2"));
    EXPECT_FALSE(scene.window->findChild<QWidget*>(QStringLiteral("BookOcrProgress"))->isVisibleTo(scene.window));
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].text,
              QStringLiteral("Welche Seiten sollen erkannt werden (z. B. 3-7)? Leer lassen für alle 2 Seiten."));
    EXPECT_EQ(scene.prompter.shown()[0].title, QStringLiteral("Ganzes Buch erkennen"));

    const QString text = scene.ocrText();
    ASSERT_TRUE(text.startsWith(QStringLiteral("— Seite 5 —\n\n"))) << text.toStdString();
    const qsizetype second = text.indexOf(QStringLiteral("\n\n— Seite 6 —\n\n"));
    ASSERT_GT(second, 0) << text.toStdString();
    const QStringList truth = scene.truth();
    EXPECT_GE(shareFound(longWords(truth[0]), text.left(second)), 0.9);
    EXPECT_LT(shareFound(longWords(truth[1]), text.left(second)), 0.5);
    EXPECT_GE(shareFound(longWords(truth[1]), text.mid(second)), 0.9);
    EXPECT_TRUE(scene.frame.ocr().window().isVisible());
}

TEST(BookOcrMenu, ARangeIsRecognisedAloneAndABadOneIsRefused) {
    BookOcrScene scene;
    ASSERT_FALSE(scene.bookFile.isEmpty());
    for (const auto& [typed, message] :
         {std::pair{QStringLiteral("zwei"), QStringLiteral("Ungültige Seitenangabe „zwei“; erwartet wird A-B.")},
          std::pair{QStringLiteral("2-3"), QStringLiteral("Die Seiten 2-3 liegen nicht im Buch; es hat 2 Seiten.")}}) {
        scene.prompter.clear();
        scene.prompter.answerInput(typed);
        scene.entry("mnuBookOcr")->trigger();
        EXPECT_FALSE(scene.run().running());
        ASSERT_EQ(scene.prompter.shown().size(), 2u);
        EXPECT_EQ(scene.prompter.shown()[1].text, message);
        EXPECT_EQ(scene.prompter.shown()[1].icon, Prompter::Icon::Exclamation);
    }
    scene.prompter.answerInput(QStringLiteral(" 2-2 "));
    ASSERT_TRUE(scene.runEntry("mnuBookOcr"));
    EXPECT_EQ(scene.run().lastRecognised(), std::vector<int>{2});
    EXPECT_TRUE(scene.ocrText().startsWith(QStringLiteral("— Seite 2 —\n\n")));
    EXPECT_FALSE(scene.ocrText().contains(QStringLiteral("— Seite 1 —")));
}

TEST(BookOcrMenu, OnlyAChangedPageIsRecognisedAgain) {
    BookOcrScene scene;
    ASSERT_FALSE(scene.bookFile.isEmpty());
    ASSERT_TRUE(scene.recogniseAll());
    EXPECT_EQ(scene.run().lastRecognised(), std::vector<int>({1, 2}));
    const QString first = scene.ocrText();

    ASSERT_TRUE(scene.recogniseAll());
    EXPECT_TRUE(scene.run().lastRecognised().empty());
    EXPECT_EQ(scene.ocrText(), first);

    scene.entry("mnuNext")->trigger();
    ASSERT_EQ(scene.window->oleImgEdit1().Page(), 2);
    scene.entry("mnuInvert")->trigger();
    ASSERT_TRUE(scene.recogniseAll());
    EXPECT_EQ(scene.run().lastRecognised(), std::vector<int>{2});
    const qsizetype second = first.indexOf(QStringLiteral("— Seite 2 —"));
    EXPECT_EQ(scene.ocrText().left(second), first.left(second));
}

TEST(BookOcrMenu, CancellingLeavesTheOcrWindowAsItWasAndOneRunGoesAtATime) {
    BookOcrScene scene;
    ASSERT_FALSE(scene.bookFile.isEmpty());
    scene.frame.ocr().window().RTF0->setPlainText(QStringLiteral("früher erkannt"));
    QSignalSpy finished(&scene.run(), &BookOcrRun::finished);
    scene.prompter.answerInput(QString());
    scene.entry("mnuBookOcr")->trigger();
    scene.entry("mnuOcrPdf")->trigger();  // one run at a time
    scene.window->findChild<QPushButton*>(QStringLiteral("BookOcrCancel"))->click();
    ASSERT_TRUE(finished.wait(kLongestRunMs));
    EXPECT_FALSE(finished.first().first().toBool());
    EXPECT_FALSE(scene.run().running());
    EXPECT_EQ(scene.ocrText(), QStringLiteral("früher erkannt"));
    ASSERT_EQ(scene.prompter.shown().size(), 2u);
    EXPECT_EQ(scene.prompter.shown()[1].text, QStringLiteral("Die Texterkennung des Buches läuft schon."));
}

TEST(BookOcrMenu, PdfAndAltoAreSavedFromTheMenuRecognisingTheBookFirst) {
    BookOcrScene scene;
    ASSERT_FALSE(scene.bookFile.isEmpty());
    const QString pdf = scene.dir.filePath(QStringLiteral("buch.pdf"));
    scene.prompter.answerFile(pdf);
    ASSERT_TRUE(scene.runEntry("mnuOcrPdf"));
    EXPECT_EQ(scene.run().lastRecognised(), std::vector<int>({1, 2}));
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].kind, QStringLiteral("save"));
    EXPECT_EQ(scene.prompter.shown()[0].title, QStringLiteral("Als durchsuchbares PDF speichern"));
    const QStringList truth = scene.truth();
    for (int k = 1; k <= 2; ++k)
        EXPECT_GE(shareFound(longWords(truth[k - 1]), test::pdfPageText(pdf, k)), 0.9) << "page " << k;

    const QString alto = scene.dir.filePath(QStringLiteral("alto"));
    ASSERT_TRUE(QDir().mkpath(alto));
    scene.prompter.answerFile(alto);
    ASSERT_TRUE(scene.runEntry("mnuOcrAlto"));
    EXPECT_TRUE(scene.run().lastRecognised().empty());  // the pages of the PDF
    EXPECT_EQ(scene.prompter.shown().back().kind, QStringLiteral("folder"));
    EXPECT_EQ(scene.prompter.shown().back().title, QStringLiteral("Als ALTO speichern"));
    EXPECT_EQ(QDir(alto).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("0001.xml"), QStringLiteral("0002.xml"), QStringLiteral("buch.txt")}));
    const test::ToolRun valid = test::validateAlto(QStringLiteral(PALVENOR_ALTO_SCHEMA),
                                                   {QDir(alto).filePath(QStringLiteral("0001.xml")),
                                                    QDir(alto).filePath(QStringLiteral("0002.xml"))});
    EXPECT_EQ(valid.exitCode, 0) << valid.err.toStdString();
    EXPECT_GE(shareFound(longWords(truth[1]), QString::fromUtf8(test::readAll(QDir(alto).filePath(QStringLiteral("buch.txt"))))),
              0.9);
}

TEST(BookOcrMenu, AnUnwritablePlaceIsToldBeforeAnythingIsRecognised) {
    BookOcrScene scene;
    ASSERT_FALSE(scene.bookFile.isEmpty());
    const QString nowhere = scene.dir.filePath(QStringLiteral("fehlt/buch.pdf"));
    scene.prompter.answerFile(nowhere);
    scene.entry("mnuOcrPdf")->trigger();
    EXPECT_FALSE(scene.run().running());
    ASSERT_EQ(scene.prompter.shown().size(), 2u);
    EXPECT_EQ(scene.prompter.shown()[1].text, QStringLiteral("„%1“ kann nicht geschrieben werden.").arg(nowhere));
    EXPECT_EQ(scene.prompter.shown()[1].icon, Prompter::Icon::Critical);

    scene.prompter.clear();
    scene.prompter.answerFile(scene.bookFile);
    scene.entry("mnuOcrPdf")->trigger();
    EXPECT_FALSE(scene.run().running());
    ASSERT_EQ(scene.prompter.shown().size(), 2u);
    EXPECT_EQ(scene.prompter.shown()[1].text, QStringLiteral("Die Ausgabe „%1“ ist das Buch selbst.").arg(scene.bookFile));
    EXPECT_EQ(test::runProgram(QStringLiteral("tiffinfo"), {scene.bookFile}).exitCode, 0);

    const QString notAFolder = test::writeFile(scene.dir.path(), QStringLiteral("datei"), "kein Ordner");
    scene.prompter.clear();
    scene.prompter.answerFile(notAFolder);
    scene.entry("mnuOcrAlto")->trigger();
    EXPECT_FALSE(scene.run().running());
    ASSERT_EQ(scene.prompter.shown().size(), 2u);
    EXPECT_EQ(scene.prompter.shown()[1].text, QStringLiteral("„%1“ kann nicht geschrieben werden.").arg(notAFolder));
    EXPECT_EQ(test::readAll(notAFolder), QByteArray("kein Ordner"));
}

TEST(BookOcrMenu, TheEntriesWaitForAShownBook) {
    test::FrameScene scene;
    frmSample* empty = scene.untitled();
    const QString book = scene.book(1);
    frmSample* shown = scene.open(book);
    for (const char* name : {"mnuBookOcr", "mnuOcrPdf", "mnuOcrAlto"}) {
        EXPECT_FALSE(empty->findChild<QAction*>(QString::fromUtf8(name))->isEnabled()) << name;
        EXPECT_TRUE(shown->findChild<QAction*>(QString::fromUtf8(name))->isEnabled()) << name;
    }
    const QStringList captions{shown->findChild<QAction*>(QStringLiteral("mnuBookOcr"))->text(),
                               shown->findChild<QAction*>(QStringLiteral("mnuOcrPdf"))->text(),
                               shown->findChild<QAction*>(QStringLiteral("mnuOcrAlto"))->text()};
    EXPECT_EQ(captions, QStringList({QStringLiteral("&Ganzes Buch erkennen…"), QStringLiteral("Als durchsuchbares &PDF speichern…"),
                                     QStringLiteral("Als &ALTO speichern…")}));
}

}  // namespace
