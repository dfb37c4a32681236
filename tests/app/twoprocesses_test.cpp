#include "IniFile.h"
#include "RunningInstance.h"
#include "SampleBooks.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace palvenor;

namespace {

// The real program and a second start, both on one test-local user folder.
struct TwoStarts {
    QTemporaryDir home;
    QString iniPath = home.filePath(QStringLiteral("config/Palvenor.ini"));
    IniFile ini{iniPath};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess first;

    TwoStarts() {
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        first.setProcessEnvironment(environment);
    }
    ~TwoStarts() {
        first.kill();
        first.waitForFinished();
    }
    bool firstIsListening() {
        if (!first.waitForStarted()) return false;
        RunningInstance probe(RunningInstance::defaultName(iniPath));
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            if (probe.anotherIsRunning()) return true;
            QThread::msleep(100);
        }
        return false;
    }
    int secondStart(const QString& request) {
        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(PALVENOR_SECONDSTART), {request});
        second.waitForFinished(20000);
        return second.exitCode();
    }
    QString waitForFlag(const QString& expected) {
        QString value;
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            value = ini.IniLesen(kHandOverSection, kHandOverKey, QStringLiteral("-"));
            if (value == expected) break;
            QThread::msleep(100);
        }
        return value;
    }
};

}  // namespace

TEST(TwoProcesses, TheSecondStartHandsItsBookToTheRunningProgram) {
    TwoStarts starts;
    const QString book = test::makeBook(starts.home.path(), QStringLiteral("erster.tif"), 3);
    const QString other = test::makeBook(starts.home.path(), QStringLiteral("zweiter.tif"), 5);
    starts.first.start(QStringLiteral(PALVENOR_EXECUTABLE), {book});
    ASSERT_TRUE(starts.firstIsListening());

    EXPECT_EQ(starts.secondStart(other + QStringLiteral("/4")), 0);
    EXPECT_EQ(starts.waitForFlag(QStringLiteral("aktiv")), QStringLiteral("aktiv"));
    EXPECT_EQ(starts.first.state(), QProcess::Running);
}

TEST(TwoProcesses, ASocketLeftByACrashedProgramDoesNotBlockTheNextStart) {
    TwoStarts starts;
    starts.first.start(QStringLiteral(PALVENOR_EXECUTABLE), QStringList());
    ASSERT_TRUE(starts.firstIsListening());
    starts.first.kill();
    starts.first.waitForFinished();

    RunningInstance next(RunningInstance::defaultName(starts.iniPath));
    EXPECT_FALSE(next.anotherIsRunning());
    EXPECT_TRUE(next.listen());
}
