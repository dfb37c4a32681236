#include "OcrEngine.h"
#include "OcrJob.h"
#include "OcrWindowScene.h"
#include "ScriptedEngine.h"
#include "frmOCR.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace palvenor;
using namespace palvenor::ocr;
using palvenor::test::ScriptedEngine;

namespace {

ResultsItem item(char code, int x, float confidence = 0.95f) {
    ResultsItem it;
    it.OCRCha = code;
    it.Confidence = confidence;
    it.XPos = int16_t(x);
    it.YPos = 10;
    it.XDim = 10;
    it.YDim = 20;
    return it;
}

QByteArray blockOf(const std::vector<ResultsItem>& items, int32_t headerId = 0) {
    Results results;
    results.header.StructId = headerId;
    results.header.XPixelsPerInch = results.header.YPixelsPerInch = 300;
    results.header.NumItems = int32_t(items.size());
    results.items = items;
    return packResults(results);
}

// Letter mode without the lexicon, so a job's text is its characters.
struct JobScene : test::OcrWindowScene {
    ScriptedEngine engine;
    FormatOptions savedOptions = formatOptions;

    ~JobScene() { formatOptions = savedOptions; }
    JobScene() {
        formatOptions.Format = false;
        formatOptions.Lexikon = false;
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QGuiApplication::clipboard()->setImage(picture);
        engine.block = blockOf({item('a', 0), item('b', 12)});
    }
    void run(QWidget* documentWindow = nullptr) { OcrJob(engine, window, prompter, documentWindow).RunOcr(); }
    QString text() { return window.RTF0->toPlainText(); }
};

}  // namespace

TEST(OcrJob, AFinishedJobIsFetchedFormattedAndTheEngineShutDown) {
    JobScene s;
    s.run();
    EXPECT_EQ(s.engine.calls, (QStringList{"SetErrorMode -1 1", "Initialise", "DoJob 7", "ResultsSize",
                                           "Results", "Shutdown -1"}));
    EXPECT_EQ(s.engine.jobInfo.size(), JobInfo::kSize);
    JobInfo sent;
    ASSERT_TRUE(fromBytes(s.engine.jobInfo, &sent));
    EXPECT_EQ(sent.JobType, 2);
    EXPECT_EQ(sent.InputFile, 0u);
    EXPECT_EQ(sent.PageNo, 0);
    EXPECT_EQ(s.text(), QStringLiteral("ab"));
    EXPECT_TRUE(s.prompter.shown().empty());
    EXPECT_EQ(s.window.lastResults.items.size(), 2u);
    EXPECT_TRUE(s.window.cursor().shape() == Qt::ArrowCursor);
}

TEST(OcrJob, APointerChosenDuringTheJobStaysAfterIt) {
    JobScene s;
    QWidget document;
    auto* view = new QWidget(&document);
    auto* tool = new QWidget(&document);
    view->setCursor(Qt::CrossCursor);
    tool->setCursor(Qt::CrossCursor);
    s.engine.statuses = {0, 1};
    s.engine.onStatus = [&] {
        if (tool->cursor().shape() == Qt::WaitCursor) tool->setCursor(Qt::OpenHandCursor);
    };
    s.run(&document);
    EXPECT_EQ(view->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(tool->cursor().shape(), Qt::OpenHandCursor);
    EXPECT_EQ(document.cursor().shape(), Qt::ArrowCursor);
}

TEST(OcrJob, ASetUpFailureSaysSoAndDoesNotShutDown) {
    for (const bool failInitialise : {false, true}) {
        JobScene s;
        (failInitialise ? s.engine.initialiseResult : s.engine.setErrorModeResult) = 3;
        s.run();
        ASSERT_EQ(s.prompter.shown().size(), 1u);
        EXPECT_EQ(s.prompter.shown()[0].text, QStringLiteral("Fehler bei OCR-Initialisierung"));
        EXPECT_EQ(s.prompter.shown()[0].buttons, Prompter::Buttons::Ok);
        EXPECT_EQ(s.prompter.shown()[0].icon, Prompter::Icon::None);
        EXPECT_FALSE(s.engine.calls.contains(QStringLiteral("Shutdown -1")));
        EXPECT_FALSE(s.engine.calls.contains(QStringLiteral("DoJob 7")));
    }
}

TEST(OcrJob, AFailedJobLeavesTheTextAndAddsNoMessageOfItsOwn) {
    enum Failure { DoJobFails, StatusCallFails, StatusNotFinished, NoResultSize };
    for (const Failure failure : {DoJobFails, StatusCallFails, StatusNotFinished, NoResultSize}) {
        JobScene s;
        s.window.changeTextByProgram([&] { s.window.RTF0->setPlainText(QStringLiteral("alt")); });
        if (failure == DoJobFails) s.engine.doJobResult = 5;
        if (failure == StatusCallFails) s.engine.statusResult = 5;
        if (failure == StatusNotFinished) s.engine.statuses = {0, 4};
        if (failure == NoResultSize) s.engine.block.clear();
        s.run();
        EXPECT_EQ(s.text(), QStringLiteral("alt")) << failure;
        EXPECT_TRUE(s.prompter.shown().empty()) << failure;
        EXPECT_EQ(s.engine.calls.back(), QStringLiteral("Shutdown -1")) << failure;
        EXPECT_TRUE(s.window.cursor().shape() == Qt::ArrowCursor) << failure;
    }
}

TEST(OcrJob, TheStatusIsAskedEveryHundredMillisecondsUntilTheJobEnds) {
    JobScene s;
    s.engine.statuses = {0, 0, 0, 1};
    QElapsedTimer clock;
    clock.start();
    s.run();
    EXPECT_EQ(s.engine.statusCalls, 4);
    EXPECT_GE(clock.elapsed(), 4 * OcrJob::kPollIntervalMs);
    EXPECT_EQ(s.text(), QStringLiteral("ab"));
}

TEST(OcrJob, NoCharactersEmptiesTheTextUnlessItIsToBeAppendedTo) {
    for (const bool append : {false, true}) {
        JobScene s;
        s.engine.block = blockOf({});
        ASSERT_EQ(s.engine.block.size(), ResultsHeader::kSize);
        s.window.changeTextByProgram([&] { s.window.RTF0->setPlainText(QStringLiteral("alt")); });
        s.window.AppendNext = append;
        s.run();
        EXPECT_EQ(s.text(), append ? QStringLiteral("alt") : QString()) << append;
        EXPECT_FALSE(s.window.AppendNext);
        ASSERT_EQ(s.prompter.shown().size(), 1u);
        EXPECT_EQ(s.prompter.shown()[0].text, QStringLiteral("Keine Zeichen erkannt"));
        EXPECT_EQ(s.prompter.shown()[0].icon, Prompter::Icon::Information);
    }
}

TEST(OcrJob, WrongIdsAreReportedWithTheIdAndNothingIsFormatted) {
    struct Case {
        QByteArray block;
        const char* message;
    };
    std::vector<ResultsItem> badItems{item('a', 0)};
    badItems[0].StructId = 9;
    const Case cases[] = {{blockOf({item('a', 0)}, 42), "Falsche Kennung der Kopfzeilen42"},
                          {blockOf(badItems), "Falsche Kennung der Struktur der Zeichen9"}};
    for (const Case& c : cases) {
        JobScene s;
        s.engine.block = c.block;
        s.window.changeTextByProgram([&] { s.window.RTF0->setPlainText(QStringLiteral("alt")); });
        s.run();
        ASSERT_GE(s.prompter.shown().size(), 1u) << c.message;
        EXPECT_EQ(s.prompter.shown()[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(s.prompter.shown()[0].icon, Prompter::Icon::Critical);
        EXPECT_EQ(s.window.lastResults.header.NumItems, 0) << c.message;
        EXPECT_EQ(s.text(), QString()) << c.message;  // and then: no characters
        EXPECT_EQ(s.prompter.shown().back().text, QStringLiteral("Keine Zeichen erkannt"));
    }
}

TEST(OcrJob, AClipboardWithoutAPictureRunsNoJob) {
    JobScene s;
    QGuiApplication::clipboard()->setText(QStringLiteral("kein Bild"));
    s.run();
    EXPECT_EQ(s.engine.calls, (QStringList{"SetErrorMode -1 1", "Initialise", "Shutdown -1"}));
    EXPECT_TRUE(s.prompter.shown().empty());
}
