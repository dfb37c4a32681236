#include "FrameScene.h"
#include "Navigation.h"
#include "frmGotoDlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

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

namespace {

// Goes to a page through the window's go-to command; the user types 4 into
// the image page box and then leaves the dialog as leave says.
int pageAfterLeavingTheDialog(const std::function<void(frmGotoDlg&)>& leave) {
    test::FrameScene scene;
    frmSample* w = scene.open(scene.book(5));
    scene.prompter.onDialog([&leave](QDialog& dialog) {
        auto& goTo = static_cast<frmGotoDlg&>(dialog);
        goTo.show();
        goTo.findChild<QLineEdit*>(QStringLiteral("txtPageNo"))->setText(QStringLiteral("4"));
        leave(goTo);
        return goTo.result();
    });
    w->navigation().goTo();
    return w->oleImgEdit1().Page();
}

}  // namespace

TEST(GoToDialog, EscapeActsLikeCancel) {
    EXPECT_EQ(pageAfterLeavingTheDialog([](frmGotoDlg& dialog) {
                  QTest::keyClick(dialog.findChild<QLineEdit*>(QStringLiteral("txtPageNo")), Qt::Key_Escape);
              }),
              1);
}

TEST(GoToDialog, ClosingTheWindowActsLikeCancel) {
    EXPECT_EQ(pageAfterLeavingTheDialog([](frmGotoDlg& dialog) { dialog.close(); }), 1);
}

TEST(GoToDialog, OkGoesToTheTypedPage) {
    EXPECT_EQ(pageAfterLeavingTheDialog([](frmGotoDlg& dialog) {
                  dialog.findChild<QPushButton*>(QStringLiteral("cmdOKbutton"))->click();
              }),
              4);
}
