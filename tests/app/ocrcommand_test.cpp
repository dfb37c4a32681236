#include "FrameScene.h"
#include "MarkedPage.h"
#include "OcrService.h"
#include "TextAccuracy.h"
#include "frmOCR.h"

#include <QAction>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::FrameScene;

namespace {

// A book window showing the generated page, with the OCR window's text
// formatted without the lexicon.
struct OcrScene : FrameScene {
    ocr::FormatOptions savedOptions = ocr::formatOptions;
    frmSample* window = nullptr;

    OcrScene() {
        ocr::formatOptions.Lexikon = false;
        window = open(test::twoParagraphPage().book);
    }
    ~OcrScene() { ocr::formatOptions = savedOptions; }

    void chooseOcr() { window->findChild<QAction*>(QStringLiteral("mnuOCR"))->trigger(); }
    QString recognised() { return frame.ocr().window().RTF0->toPlainText(); }
};

}  // namespace

TEST(OcrCommand, TheMarkedParagraphsComeOutAsTheirText) {
    const test::MarkedPage& page = test::twoParagraphPage();
    ASSERT_TRUE(page.ok()) << "no sample page";
    OcrScene scene;
    scene.window->oleImgEdit1().setSelectionRect(page.area);
    scene.window->selectionPresent = true;

    scene.chooseOcr();
    EXPECT_TRUE(scene.frame.ocr().window().isVisible());
    EXPECT_FALSE(scene.window->selectionPresent);
    EXPECT_FLOAT_EQ(ocr::formatOptions.ResolutionFactor, 300.0f * 39);
    // Paragraphs are merged into flowing lines: compare the words.
    const double errorRate = textcheck::characterErrorRate(scene.recognised().simplified(), page.truth.simplified());
    EXPECT_LT(errorRate, 0.02) << scene.recognised().toStdString();
    EXPECT_TRUE(scene.prompter.shown().empty()) << scene.prompter.texts().join('|').toStdString();

    // Without a new rectangle the command only shows the window again.
    const QString text = scene.recognised();
    scene.chooseOcr();
    EXPECT_EQ(scene.recognised(), text);
}

TEST(OcrCommand, WithoutAMarkedAreaOnlyTheWindowComesForward) {
    ASSERT_TRUE(test::twoParagraphPage().ok()) << "no sample page";
    OcrScene scene;
    scene.frame.ocr().window().RTF0->setPlainText(QStringLiteral("früher erkannt"));
    scene.chooseOcr();
    EXPECT_TRUE(scene.frame.ocr().window().isVisible());
    EXPECT_EQ(scene.recognised(), QStringLiteral("früher erkannt"));
    EXPECT_TRUE(scene.prompter.shown().empty());
}
