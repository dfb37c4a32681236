#include "FrameScene.h"
#include "frmGotoDlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace palvenor;

TEST(GoToDialog, CarriesTheCaptionsAndBoxesOfBothModes) {
    DocumentTable none;
    frmGotoDlg dialog(none);
    EXPECT_EQ(dialog.findChild<QGroupBox*>(QStringLiteral("Frame1"))->title(), QStringLiteral("Einzelseiten"));
    EXPECT_EQ(dialog.findChild<QGroupBox*>(QStringLiteral("Frame2"))->title(),
              QStringLiteral("Doppelseiten (Bücher)"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblLabel1"))->text(), QStringLiteral("Gehe zu Seite"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Gehe zu Seite"));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancelButton"))->text(),
              QStringLiteral("Abbrechen"));
    EXPECT_NE(dialog.findChild<QPushButton*>(QStringLiteral("cmdOKbutton")), nullptr);
}

TEST(GoToDialog, StepsHaveNoBoundsAndBookPagesShowTheirImageWhateverTheOffset) {
    test::FrameScene scene;
    frmSample* w = scene.open(scene.book(5));
    w->showDoublePages(true);
    w->pages().OffsetSetzen(QStringLiteral("20"), 1);
    frmGotoDlg dialog(scene.frame.documents());
    auto* text1 = dialog.findChild<QLineEdit*>(QStringLiteral("Text1"));
    EXPECT_EQ(text1->text(), w->pages().buchseiteField());
    EXPECT_EQ(text1->selectedText(), text1->text());
    text1->setText(QStringLiteral("7"));
    QTest::keyClick(text1, Qt::Key_Enter);
    EXPECT_EQ(dialog.txtPageNo(), QStringLiteral("4"));

    dialog.findChild<QLineEdit*>(QStringLiteral("txtPageNo"))->setText(QStringLiteral("1"));
    dialog.stepDown();
    dialog.stepDown();
    EXPECT_EQ(dialog.txtPageNo(), QStringLiteral("-1"));
    dialog.stepUp();
    EXPECT_EQ(dialog.txtPageNo(), QStringLiteral("0"));

    dialog.findChild<QPushButton*>(QStringLiteral("cmdCancelButton"))->click();
    EXPECT_EQ(dialog.Text1(), QString());
    EXPECT_EQ(dialog.txtPageNo(), QString());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
