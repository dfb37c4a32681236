#include "PageScene.h"

#include "DeletedPage.h"
#include "PageAdmin.h"
#include "PageMoveCommands.h"
#include "ProgramTemp.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

using namespace palvenor;
using namespace palvenor::test;

namespace {

// What the go-to dialog proposes when the user opens it next.
QString goToProposal(PageScene& scene) {
    QString proposed;
    scene.prompter.onDialog([&proposed](QDialog& dialog) {
        proposed = dialog.findChild<QLineEdit*>(QStringLiteral("txtPageNo"))->text();
        dialog.findChild<QPushButton*>(QStringLiteral("cmdCancelButton"))->click();
        return dialog.result();
    });
    scene.run("mnuGoTo");
    return proposed;
}

}  // namespace

TEST(DeletePage, Page3Of5ShowsTheFormerPage4AsPage3) {
    PageScene scene(5);
    scene.goTo(3);
    scene.w->findChild<QLineEdit*>(QStringLiteral("mag"))->setText(QStringLiteral("333"));  // typed, not taken
    scene.run("mnuDeletePage");
    EXPECT_EQ(scene.sequence(), "A1 A2 A4 A5");
    EXPECT_EQ(scene.view(), "3 [3] of 4 <>");
    EXPECT_EQ(PageScene::field(*scene.w, "mag"),
              QString::number(qRound(scene.w->oleImgEdit1().Zoom())) + QLatin1Char('%'));
    EXPECT_TRUE(scene.shows(3));
    EXPECT_TRUE(scene.prompter.shown().empty());
}

TEST(DeletePage, Page5Of5ShowsPage4AndDisablesForward) {
    PageScene scene(5);
    scene.goTo(5);
    scene.run("mnuDeletePage");
    EXPECT_EQ(scene.sequence(), "A1 A2 A3 A4");
    EXPECT_EQ(scene.view(), "4 [4] of 4 <-");
    EXPECT_TRUE(scene.shows(4));
}

TEST(DeletePage, Page1ShowsTheFormerPage2) {
    PageScene scene(3);
    scene.run("mnuDeletePage");
    EXPECT_EQ(scene.sequence(), "A2 A3");
    EXPECT_EQ(scene.view(), "1 [1] of 2 ->");
    EXPECT_TRUE(scene.shows(1));
}

TEST(DeletePage, TheOnlyPageIsOnlyClearedFromTheView) {
    PageScene scene(1);
    const QByteArray before = bytesOf(scene.path);
    scene.run("mnuDeletePage");
    EXPECT_EQ(bytesOf(scene.path), before);
    EXPECT_TRUE(scene.w->oleImgEdit1().picture().isNull());
    EXPECT_EQ(scene.view(), "1 [1] of 1 --");
    EXPECT_FALSE(scene.enabled("mnuRestorePage"));
}

TEST(DeletePage, APageThatCannotBeKeptIsNotDeleted) {
    PageScene scene(4);
    scene.goTo(2);
    const QByteArray before = bytesOf(scene.path);
    scene.runWithFailingWrite("mnuDeletePage");
    EXPECT_EQ(bytesOf(scene.path), before);
    ASSERT_EQ(messages(scene.prompter).size(), 1);
    EXPECT_TRUE(messages(scene.prompter)[0].endsWith(QStringLiteral(" Fehlercode = 7D6")));
    EXPECT_EQ(scene.view(), "3 [3] of 4 <>");
    EXPECT_TRUE(scene.shows(3));
    EXPECT_FALSE(scene.enabled("mnuRestorePage"));
}

TEST(RestorePage, TheLastDeletedPageGoesBackWhereItWasUnchanged) {
    PageScene scene(5, QStringLiteral("bw,rgb,grey,palette"));
    const std::vector<TiffPage> original = readPages(scene.path);
    EXPECT_FALSE(scene.enabled("mnuRestorePage"));
    scene.goTo(2);
    scene.run("mnuDeletePage");
    scene.goTo(3);
    scene.run("mnuDeletePage");
    EXPECT_EQ(scene.sequence(), "A1 A3 A5");
    scene.goTo(1);
    scene.run("mnuRestorePage");
    EXPECT_EQ(scene.sequence(), "A1 A3 A4 A5");
    EXPECT_EQ(scene.view(), "3 [3] of 4 <>");
    EXPECT_TRUE(scene.shows(3));
    const std::vector<TiffPage> restored = readPages(scene.path);
    EXPECT_EQ(restored[2].compression, original[3].compression);
    EXPECT_EQ(restored[2].xResolution, original[3].xResolution);
    EXPECT_FALSE(scene.enabled("mnuRestorePage"));
}

TEST(RestorePage, APlaceBeyondABookShortenedMeanwhilePutsThePageLast) {
    PageScene scene(4);
    scene.goTo(4);
    scene.run("mnuDeletePage");
    ASSERT_TRUE(scene.w->oleImgAdmin1().DeletePages(3, 1).ok());  // from outside the window
    scene.w->oleImgEdit1().setImage(scene.path);
    scene.goTo(1);
    scene.run("mnuRestorePage");
    EXPECT_EQ(scene.sequence(), "A1 A2 A4");
    EXPECT_EQ(scene.view(), "3 [3] of 3 <-");
}

TEST(RestorePage, AFailedRestoreIsToldAndKeepsThePageForAnotherTry) {
    PageScene scene(3);
    scene.goTo(2);
    scene.run("mnuDeletePage");
    const QByteArray before = bytesOf(scene.path);
    scene.runWithFailingWrite("mnuRestorePage");
    EXPECT_EQ(bytesOf(scene.path), before);
    ASSERT_EQ(messages(scene.prompter).size(), 1);
    EXPECT_TRUE(messages(scene.prompter)[0].endsWith(QStringLiteral(" Fehlercode = 7D6")));
    EXPECT_EQ(scene.view(), "2 [2] of 2 <-");
    scene.run("mnuRestorePage");
    EXPECT_EQ(scene.sequence(), "A1 A2 A3");
}

TEST(RestorePage, TheKeptPageGoesWithItsWindow) {
    PageScene scene(3);
    scene.run("mnuDeletePage");
    const QString kept = PageMoveCommands::deletedPageOf(*scene.w).file();
    EXPECT_TRUE(QFile::exists(kept));
    EXPECT_TRUE(kept.startsWith(programTempFolder()));
    delete scene.w;
    EXPECT_FALSE(QFile::exists(kept));
}

TEST(MovePage, Page2Of6ToPosition5EndsBeforeTheFormerPage6) {
    PageScene scene(6);
    scene.goTo(2);
    scene.prompter.answerInput(QStringLiteral("5"));
    scene.run("mnuVersatzSeite");
    EXPECT_EQ(scene.sequence(), "A1 A3 A4 A5 A2 A6");
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].text, QStringLiteral("neue Position eingeben (0 = Abbruch )"));
    EXPECT_EQ(scene.prompter.shown()[0].title, QStringLiteral("Zielseite eingeben"));
    EXPECT_EQ(scene.view(), "5 [5] of 6 <>");
    EXPECT_TRUE(scene.shows(5));
    EXPECT_EQ(goToProposal(scene), QStringLiteral("1"));
    EXPECT_EQ(goToProposal(scene), QStringLiteral("5"));
}

TEST(MovePage, AnEmptyZeroOrNonNumericPositionOrCancelDoesNothing) {
    for (const std::optional<QString>& answer :
         {std::optional<QString>(QString()), std::optional<QString>(QStringLiteral("0")),
          std::optional<QString>(QStringLiteral("abc")), std::optional<QString>(QStringLiteral("-3")),
          std::optional<QString>()}) {
        PageScene scene(4);
        scene.goTo(2);
        const QByteArray before = bytesOf(scene.path);
        scene.prompter.answerInput(answer);
        scene.run("mnuVersatzSeite");
        EXPECT_EQ(bytesOf(scene.path), before) << answer.value_or(QStringLiteral("(cancel)")).toStdString();
        EXPECT_EQ(scene.view(), "2 [2] of 4 <>");
    }
}

TEST(MovePage, APositionBeyondTheEndPutsThePageLast) {
    PageScene scene(4);
    scene.goTo(2);
    scene.prompter.answerInput(QStringLiteral("99"));
    scene.run("mnuVersatzSeite");
    EXPECT_EQ(scene.sequence(), "A1 A3 A4 A2");
    EXPECT_EQ(scene.view(), "4 [4] of 4 <-");
    EXPECT_TRUE(scene.shows(4));
}

TEST(MovePage, ToTheStartOrEndShowsThePageThereAndProposesWhereItCameFrom) {
    struct Case {
        const char* entry;
        int from;
        const char* sequence;
        const char* view;
        int shown;
    };
    const Case cases[] = {{"mnuVersatzAnfang", 4, "A4 A1 A2 A3 A5", "1 [1] of 5 ->", 1},
                          {"mnuVersatzEnde", 2, "A1 A3 A4 A5 A2", "5 [5] of 5 <-", 5},
                          {"mnuVersatzEnde", 5, "A1 A2 A3 A4 A5", "5 [5] of 5 <-", 5}};
    for (const Case& c : cases) {
        PageScene scene(5);
        scene.goTo(c.from);
        scene.run(c.entry);
        EXPECT_EQ(scene.sequence(), c.sequence) << c.entry << c.from;
        EXPECT_EQ(scene.view(), c.view) << c.entry << c.from;
        EXPECT_TRUE(scene.shows(c.shown)) << c.entry << c.from;
        EXPECT_EQ(goToProposal(scene), QString::number(c.from)) << c.entry << c.from;
    }
}

TEST(MovePage, TheOnlyPageStaysAlone) {
    PageScene scene(1);
    const QByteArray before = bytesOf(scene.path);
    for (const char* entry : {"mnuVersatzAnfang", "mnuVersatzEnde"}) scene.run(entry);
    scene.prompter.answerInput(QStringLiteral("2"));
    scene.run("mnuVersatzSeite");
    EXPECT_EQ(bytesOf(scene.path), before);
    EXPECT_TRUE(scene.shows(1));
}

TEST(MovePage, AColourPageMovesUnchangedAndTheClipboardIsLeftAlone) {
    PageScene scene(4, QStringLiteral("bw,grey,palette,rgb"));
    const std::vector<TiffPage> original = readPages(scene.path);
    ASSERT_EQ(original[3].photometric, PHOTOMETRIC_RGB);
    QGuiApplication::clipboard()->setText(QStringLiteral("Notiz des Benutzers"));
    scene.run("mnuLast");
    scene.run("mnuVersatzAnfang");
    const std::vector<TiffPage> moved = readPages(scene.path);
    EXPECT_EQ(scene.sequence(), "A4 A1 A2 A3");
    EXPECT_EQ(moved[0].raw, original[3].raw);
    EXPECT_EQ(moved[0].compression, original[3].compression);
    EXPECT_EQ(moved[0].photometric, PHOTOMETRIC_RGB);
    EXPECT_EQ(moved[0].xResolution, original[3].xResolution);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Notiz des Benutzers"));
    EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
}

TEST(MovePage, AFailedMoveIsToldAndChangesNothing) {
    PageScene scene(4);
    scene.goTo(3);
    const QByteArray before = bytesOf(scene.path);
    scene.runWithFailingWrite("mnuVersatzAnfang");
    EXPECT_EQ(bytesOf(scene.path), before);
    ASSERT_EQ(messages(scene.prompter).size(), 1);
    EXPECT_TRUE(messages(scene.prompter)[0].endsWith(QStringLiteral(" Fehlercode = 7D6")));
    EXPECT_EQ(scene.view(), "3 [3] of 4 <>");
}
