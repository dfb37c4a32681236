#include "IniFile.h"
#include "RunningInstance.h"
#include "ScriptedPrompter.h"
#include "StartUp.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::ScriptedPrompter;

namespace {

struct StartUpScene {
    QTemporaryDir dir;
    IniFile ini{dir.filePath(QStringLiteral("Palvenor.ini"))};
    QString name = RunningInstance::defaultName(ini.path());
    RunningInstance first{name};
    RunningInstance second{name};
    ScriptedPrompter prompter;

    QString handOver() { return ini.IniLesen(kHandOverSection, kHandOverKey, QStringLiteral("-")); }
};

}  // namespace

TEST(StartUpTest, AloneTheProgramGoesOnWithTheVersionInItsCaption) {
    StartUpScene scene;
    const auto decision = StartUp(scene.prompter, scene.ini, scene.first).run(QStringLiteral("/a.tif"));
    EXPECT_FALSE(decision.quit);
    EXPECT_EQ(decision.caption, QStringLiteral("Palvenor %1.%2").arg(PALVENOR_VERSION_MAJOR).arg(PALVENOR_VERSION_MINOR));
    EXPECT_TRUE(scene.prompter.shown().empty());
    EXPECT_EQ(scene.handOver(), QStringLiteral("-"));
    EXPECT_TRUE(scene.second.anotherIsRunning());
}

TEST(StartUpTest, SecondStartAnsweredNoHandsItsRequestOverAndWakesTheFirst) {
    StartUpScene scene;
    ASSERT_TRUE(scene.first.listen());
    QSignalSpy woken(&scene.first, &RunningInstance::wakeRequested);
    scene.prompter.answer(Prompter::Answer::No);
    const auto decision =
        StartUp(scene.prompter, scene.ini, scene.second).run(QStringLiteral("/b/buch.tif/12"));
    EXPECT_TRUE(decision.quit);
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].text, QStringLiteral("Neue Instanz des Programms starten ?"));
    EXPECT_EQ(scene.prompter.shown()[0].title, QStringLiteral("Palvenor"));
    EXPECT_EQ(scene.prompter.shown()[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(scene.handOver(), QStringLiteral("/b/buch.tif/12"));
    EXPECT_TRUE(woken.wait(2000));
}

TEST(StartUpTest, SecondStartAnsweredNoWithoutRequestOnlyWakesTheFirst) {
    StartUpScene scene;
    ASSERT_TRUE(scene.first.listen());
    QSignalSpy woken(&scene.first, &RunningInstance::wakeRequested);
    scene.prompter.answer(Prompter::Answer::No);
    EXPECT_TRUE(StartUp(scene.prompter, scene.ini, scene.second).run(QString()).quit);
    EXPECT_EQ(scene.handOver(), QStringLiteral("-"));  // the INI file is not written
    EXPECT_TRUE(woken.wait(2000));
}

TEST(StartUpTest, SecondStartAnsweredYesRunsWithoutVersionInItsCaption) {
    StartUpScene scene;
    ASSERT_TRUE(scene.first.listen());
    scene.prompter.answer(Prompter::Answer::Yes);
    const auto decision = StartUp(scene.prompter, scene.ini, scene.second).run(QStringLiteral("/c.tif"));
    EXPECT_FALSE(decision.quit);
    EXPECT_EQ(decision.caption, QStringLiteral("Palvenor"));
    EXPECT_EQ(scene.handOver(), QStringLiteral("-"));
}

TEST(StartUpTest, TheRequestOfTheArgumentsIsAbsoluteAgainstTheStartingFolder) {
    const QString request = StartUp::requestOf({QStringLiteral("palvenor"), QStringLiteral("bücher/band.tif/4")});
    EXPECT_EQ(request, QDir::current().filePath(QStringLiteral("bücher/band.tif/4")));
    EXPECT_EQ(StartUp::requestOf({QStringLiteral("palvenor")}), QString());
}

TEST(StartUpTest, ARelativeRequestIsHandedOverAbsolute) {
    StartUpScene scene;
    ASSERT_TRUE(scene.first.listen());
    scene.prompter.answer(Prompter::Answer::No);
    const QString request = StartUp::requestOf({QStringLiteral("palvenor"), QStringLiteral("band.tif")});
    EXPECT_TRUE(StartUp(scene.prompter, scene.ini, scene.second).run(request).quit);
    EXPECT_EQ(scene.handOver(), QDir::current().filePath(QStringLiteral("band.tif")));
}
