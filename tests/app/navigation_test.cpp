#include "FrameScene.h"
#include "Navigation.h"
#include "frmGotoDlg.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::FrameScene;

namespace {

// One 5-page book open in its window.
struct FiveScene : FrameScene {
    frmSample* w = open(book(5));
    Navigation nav() { return w->navigation(); }
    int page() { return w->oleImgEdit1().Page(); }
    QString seite() { return w->pages().seite(); }
    QString buchseite() { return w->pages().buchseiteField(); }
    bool enabled(const char* name) { return w->controls().isEnabled(QString::fromUtf8(name)); }
    void go(int p) { nav().GehZuSeite(QString::number(p)); }
};

const QString kPageCountMessage = QStringLiteral("Diese Datei enthält 5 Seiten");

}  // namespace

TEST(Navigation, NextAndPreviousStopAtTheEndsAndDisableTheirButton) {
    FiveScene s;
    s.go(4);
    s.nav().nextPage();
    EXPECT_EQ(s.page(), 5);
    EXPECT_EQ(s.w->pages().VorigeSeite, 4);
    EXPECT_FALSE(s.enabled("vor"));
    s.nav().nextPage();
    EXPECT_EQ(s.page(), 5);
    EXPECT_EQ(s.w->pages().VorigeSeite, 5);
    EXPECT_EQ(s.seite(), QStringLiteral("5"));

    s.go(2);
    s.nav().previousPage();
    EXPECT_EQ(s.page(), 1);
    EXPECT_FALSE(s.enabled("rueck"));
    EXPECT_TRUE(s.enabled("vor"));
    s.nav().previousPage();
    EXPECT_EQ(s.page(), 1);
    EXPECT_EQ(s.w->pages().VorigeSeite, 1);
    EXPECT_TRUE(s.prompter.shown().empty());
}

TEST(Navigation, FirstLastAndBackRememberThePreviousPage) {
    FiveScene s;
    s.go(3);
    s.nav().lastPage();
    EXPECT_EQ(s.page(), 5);
    EXPECT_FALSE(s.enabled("vor"));
    EXPECT_EQ(s.w->pages().VorigeSeite, 3);
    s.nav().back();
    EXPECT_EQ(s.page(), 3);
    s.nav().back();  // Back does not change the page it goes to
    EXPECT_EQ(s.page(), 3);
    s.nav().firstPage();
    EXPECT_EQ(s.page(), 1);
    EXPECT_EQ(s.w->pages().VorigeSeite, 3);
    EXPECT_TRUE(s.enabled("vor"));
    EXPECT_EQ(FrameScene::field(*s.w, "mag"), QString::number(qRound(s.w->oleImgEdit1().Zoom())) + "%");
}

TEST(Navigation, WithoutAFileNextAndPreviousDoNothing) {
    FrameScene scene;
    frmSample* w = scene.frame.DokumentAnlegen(QString(), QStringLiteral("NEU"), QString());
    w->pages().VorigeSeite = 7;
    w->navigation().nextPage();
    w->navigation().previousPage();
    EXPECT_EQ(w->pages().VorigeSeite, 7);
    EXPECT_EQ(w->oleImgEdit1().Page(), 1);
}

TEST(Navigation, PagesOutsideTheBookShowThePageCountAndKeepTheImage) {
    FiveScene s;
    s.go(2);
    const std::pair<const char*, const char*> cases[] = {
        {"9", "9"}, {"0", "0"}, {"-3", "-3"}, {"99999", "99999"}, {"1e9", "1000000000"}, {"abc", "0"}};
    for (const auto& [typed, shown] : cases) {
        s.prompter.clear();
        s.nav().GehZuSeite(QString::fromUtf8(typed));
        ASSERT_EQ(s.prompter.shown().size(), 1u) << typed;
        EXPECT_EQ(s.prompter.shown()[0].text, kPageCountMessage);
        EXPECT_EQ(s.prompter.shown()[0].buttons, Prompter::Buttons::Ok);
        EXPECT_EQ(s.page(), 2) << typed;
        EXPECT_EQ(s.seite(), QString::fromUtf8(shown)) << typed;
    }
}

TEST(Navigation, TypedPagesInSingleModeFollowTheFieldRules) {
    FiveScene s;
    s.w->pages().OffsetSetzen(QStringLiteral("11"), 1);  // image p shows p + 10
    const std::tuple<const char*, int, const char*> cases[] = {
        {"13", 3, "13"}, {"00", 5, "15"}, {"0", 1, "11"},     {"-4", 1, "11"},
        {"15", 5, "15"}, {"16", 5, "15"}, {"99999", 5, "15"}, {"1e9", 5, "15"},
        {"-99999", 1, "11"}, {"abc", 1, "11"}, {"12.4", 2, "12"}};
    for (const auto& [typed, image, field] : cases) {
        s.go(3);
        s.nav().enterInSeite(QString::fromUtf8(typed));
        EXPECT_EQ(s.page(), image) << typed;
        EXPECT_EQ(s.seite(), QString::fromUtf8(field)) << typed;
    }
    EXPECT_TRUE(s.prompter.shown().empty()) << s.prompter.texts().join('|').toStdString();
}

TEST(Navigation, TypedPagesInDoubleModeGoToTheSpreadHoldingThem) {
    FiveScene s;
    s.w->showDoublePages(true);
    const std::tuple<const char*, int, const char*> cases[] = {
        {"5", 3, "4"}, {"4", 3, "4"}, {"1", 1, "0"}, {"0", 1, "0"}, {"-2", 1, "0"},
        {"00", 5, "8"}, {"9", 5, "8"}, {"11", 5, "8"}, {"99999", 5, "8"}};
    for (const auto& [typed, image, field] : cases) {
        s.go(2);
        s.nav().enterInBuchseite(QString::fromUtf8(typed));
        EXPECT_EQ(s.page(), image) << typed;
        EXPECT_EQ(s.buchseite(), QString::fromUtf8(field)) << typed;
    }
    EXPECT_TRUE(s.prompter.shown().empty());
    // Book page 10 would be the left page of a sixth image: not in the book.
    s.go(2);
    s.nav().enterInBuchseite(QStringLiteral("10"));
    EXPECT_EQ(s.page(), 2);
    EXPECT_EQ(s.prompter.texts(), QStringList{kPageCountMessage});
    EXPECT_EQ(s.buchseite(), QStringLiteral("10"));
}

TEST(Navigation, APlusSignSetsTheOffsetInsteadOfMoving) {
    FiveScene s;
    s.go(3);
    s.nav().enterInSeite(QStringLiteral("+12"));
    EXPECT_EQ(s.page(), 3);
    EXPECT_EQ(s.w->pages().Versatz(), 9);
    EXPECT_EQ(s.seite(), QStringLiteral("12"));
    s.w->showDoublePages(true);
    s.nav().enterInBuchseite(QStringLiteral("+37"));
    EXPECT_EQ(s.w->pages().Versatz(), 2 * (19 - 3) - 1);
    EXPECT_EQ(s.buchseite(), QStringLiteral("36"));
}

TEST(Navigation, PaginationAsksForTheFirstPageAndCancelResetsIt) {
    FiveScene s;
    s.go(2);
    s.prompter.answerInput(QStringLiteral("7"));
    s.nav().pagination();
    ASSERT_EQ(s.prompter.shown().size(), 1u);
    EXPECT_EQ(s.prompter.shown()[0].text, QStringLiteral("Geben Sie die Nummer der ersten bzw. linken Seite ein"));
    EXPECT_EQ(s.prompter.shown()[0].title, QStringLiteral("Offset für Paginierung einstellen"));
    EXPECT_EQ(s.w->pages().Versatz(), 5);
    EXPECT_EQ(FrameScene::field(*s.w, "seite"), QStringLiteral("7"));
    s.prompter.answerInput(std::nullopt);
    s.nav().pagination();
    EXPECT_EQ(s.w->pages().Versatz(), 0);
    EXPECT_EQ(s.w->pages().Korrektur(), 0);
}

TEST(Navigation, TheSavePromptGuardsAChangedPage) {
    FiveScene s;
    s.go(2);
    s.w->oleImgEdit1().setImageModified(true);
    s.prompter.answer(Prompter::Answer::Cancel);
    s.nav().nextPage();
    EXPECT_EQ(s.page(), 2);
    EXPECT_EQ(s.w->pages().VorigeSeite, 1);  // as loading left it
    ASSERT_EQ(s.prompter.shown().size(), 1u);
    EXPECT_EQ(s.prompter.shown()[0].text, QStringLiteral("Sollen die Änderungen gespeichert werden?"));
    EXPECT_EQ(s.prompter.shown()[0].buttons, Prompter::Buttons::YesNoCancel);

    int saves = 0;
    s.w->saveCommand = [&] { return ++saves, 0; };
    s.w->pages().Geaendert = true;
    s.prompter.answer(Prompter::Answer::Yes);
    s.nav().nextPage();
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(s.w->pages().Geaendert);
    EXPECT_EQ(s.page(), 3);

    // A save dialog the user cancels stops the command.
    s.w->oleImgEdit1().setImageModified(true);
    s.w->saveCommand = [] { return imaging::ErrorDialogCancelled; };
    s.prompter.answer(Prompter::Answer::Yes);
    s.nav().lastPage();
    EXPECT_EQ(s.page(), 3);
}

TEST(Navigation, TheGoToDialogOpensOnTheModesBoxAndConvertsBookPages) {
    FiveScene s;
    s.go(2);
    s.prompter.onDialog([](QDialog& d) {
        auto* box = d.findChild<QLineEdit*>(QStringLiteral("txtPageNo"));
        EXPECT_TRUE(box->isEnabled());
        EXPECT_FALSE(d.findChild<QLineEdit*>(QStringLiteral("Text1"))->isEnabled());
        EXPECT_EQ(box->text(), QStringLiteral("2"));
        EXPECT_EQ(box->selectedText(), QStringLiteral("2"));
        d.findChild<QPushButton*>(QStringLiteral("cmdPlus"))->click();
        d.findChild<QPushButton*>(QStringLiteral("cmdPlus"))->click();
        d.findChild<QPushButton*>(QStringLiteral("cmdOKbutton"))->click();
        return d.result();
    });
    s.nav().goTo();
    EXPECT_EQ(s.page(), 4);
    EXPECT_EQ(s.w->pages().VorigeSeite, 2);

    s.w->showDoublePages(true);
    s.prompter.onDialog([](QDialog& d) {
        auto* text1 = d.findChild<QLineEdit*>(QStringLiteral("Text1"));
        EXPECT_TRUE(text1->isEnabled());
        text1->setText(QStringLiteral("7"));
        QTest::keyClick(text1, Qt::Key_Return);
        EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("txtPageNo"))->text(), QStringLiteral("4"));
        d.findChild<QPushButton*>(QStringLiteral("cmdOKbutton"))->click();
        return d.result();
    });
    s.nav().goTo();
    EXPECT_EQ(s.page(), 4);
    EXPECT_EQ(s.buchseite(), QStringLiteral("6"));

    s.prompter.onDialog([](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("2"));
        d.findChild<QPushButton*>(QStringLiteral("cmdCancelButton"))->click();
        return d.result();
    });
    s.nav().goTo();
    EXPECT_EQ(s.page(), 4);
}

TEST(Navigation, MenuEntriesAndKeysOfTheWindowTurnThePages) {
    FiveScene s;
    s.frame.show();
    auto trigger = [&](const char* name) {
        qobject_cast<QAction*>(s.w->controls().find(QString::fromUtf8(name)))->trigger();
    };
    trigger("mnuNext");
    EXPECT_EQ(s.page(), 2);
    trigger("mnuLast");
    EXPECT_EQ(s.page(), 5);
    trigger("mnuPrevious");
    EXPECT_EQ(s.page(), 4);
    trigger("mnuFirst");
    EXPECT_EQ(s.page(), 1);
    trigger("mnuBack");
    EXPECT_EQ(s.page(), 4);

    auto* seite = s.w->findChild<QLineEdit*>(QStringLiteral("seite"));
    seite->setText(QStringLiteral("3"));
    QTest::keyClick(seite, Qt::Key_Return);
    EXPECT_EQ(s.page(), 3);
    EXPECT_EQ(seite->selectedText(), QStringLiteral("3"));
}

TEST(Navigation, ALongBookGoesStraightToAFarPage) {
    FrameScene scene;
    frmSample* w = scene.open(scene.book(1000, QStringLiteral("lang.tif")));
    w->navigation().enterInSeite(QStringLiteral("1000"));
    EXPECT_EQ(w->oleImgEdit1().Page(), 1000);
    w->showDoublePages(true);
    w->navigation().enterInBuchseite(QStringLiteral("1001"));
    EXPECT_EQ(w->oleImgEdit1().Page(), 501);
    EXPECT_EQ(w->pages().buchseiteField(), QStringLiteral("1000"));
    w->navigation().enterInBuchseite(QStringLiteral("1999"));
    EXPECT_EQ(w->oleImgEdit1().Page(), 1000);
    EXPECT_TRUE(scene.prompter.shown().empty());
}
