#include "FrameScene.h"


#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::makeBook;

namespace {

// A running frame showing a 20-page book, with a request left by a second start.
struct HandOverScene : palvenor::test::FrameScene {
    QString book = makeBook(dir.path(), QStringLiteral("band.tif"), 20);
    frmSample* window = nullptr;

    HandOverScene() {
        frame.Kommandozeile = book;
        frame.mnuOpen_Click();
        window = frame.documents().Fenster(1);
    }
    void secondStartAsksFor(const QString& request) {
        ini.IniSchreiben(kHandOverSection, kHandOverKey, request);
        frame.documentPainted(*window);
    }
    QString flag() { return ini.IniLesen(kHandOverSection, kHandOverKey, QStringLiteral("-")); }
};

}  // namespace

TEST(HandOver, ARequestForTheShownBookMovesToItsPageInDoublePageMode) {
    const std::pair<QString, int> cases[] = {{QStringLiteral("/12"), 12}, {QStringLiteral("/99"), 1}};
    for (const auto& [suffix, page] : cases) {
        HandOverScene scene;
        scene.secondStartAsksFor(QLatin1Char('"') + scene.book + QLatin1Char('"') + suffix);
        EXPECT_EQ(scene.flag(), QStringLiteral("aktiv"));
        EXPECT_EQ(scene.window->oleImgEdit1().Page(), page);
        EXPECT_FALSE(scene.window->pages().isSingle());
        EXPECT_EQ(scene.window->pages().buchseiteField(), QString::number(2 * page - 2));
        EXPECT_EQ(scene.frame.documents().count(), 1);
        EXPECT_TRUE(scene.frame.Kommandozeile.isEmpty());
    }
}

TEST(HandOver, ARequestWithoutPageShowsTheFirstPageInTheSameMode) {
    HandOverScene scene;
    scene.window->oleImgEdit1().setPage(5);
    scene.window->oleImgEdit1().Display();
    scene.secondStartAsksFor(scene.book);
    EXPECT_EQ(scene.window->oleImgEdit1().Page(), 1);
    EXPECT_TRUE(scene.window->pages().isSingle());
}

TEST(HandOver, ARequestForAnotherBookOpensItInANewWindow) {
    HandOverScene scene;
    const QString other = makeBook(scene.dir.path(), QStringLiteral("zweiter.tif"), 6);
    scene.secondStartAsksFor(other + QStringLiteral("/4"));
    ASSERT_EQ(scene.frame.documents().count(), 2);
    frmSample* opened = scene.frame.documents().Fenster(2);
    EXPECT_EQ(opened->oleImgEdit1().Image(), other);
    EXPECT_EQ(opened->oleImgEdit1().Page(), 4);
    EXPECT_EQ(scene.flag(), QStringLiteral("aktiv"));
    EXPECT_TRUE(scene.frame.Kommandozeile.isEmpty());
}

TEST(HandOver, ATakenOrEmptyFlagIsLeftAlone) {
    for (const QString& value : {QStringLiteral("aktiv"), QString()}) {
        HandOverScene scene;
        scene.secondStartAsksFor(value);
        EXPECT_EQ(scene.frame.documents().count(), 1);
        EXPECT_EQ(scene.flag(), value);
    }
}

TEST(HandOver, ClosingADocumentClearsTheFlag) {
    HandOverScene scene;
    scene.secondStartAsksFor(scene.book + QStringLiteral("/2"));
    ASSERT_EQ(scene.flag(), QStringLiteral("aktiv"));
    scene.window->parentWidget()->close();
    EXPECT_EQ(scene.flag(), QString());
    EXPECT_EQ(scene.frame.documents().count(), 0);
}
