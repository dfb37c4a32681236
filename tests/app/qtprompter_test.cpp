#include "QtPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace palvenor;

TEST(QtPrompter, ABoxBelongsToTheActiveWindowElseToTheProgramsWindow) {
    QWidget frame;
    QtPrompter prompter;
    prompter.setParentWindow(&frame);
    EXPECT_EQ(prompter.owner(), &frame) << "no window of the program is active";

    QWidget ocrWindow;
    ocrWindow.show();
    ocrWindow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ocrWindow));
    EXPECT_EQ(prompter.owner(), &ocrWindow);

    QWidget* boxParent = nullptr;
    QString boxText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxParent = box->parentWidget();
        boxText = box->text();
        box->button(QMessageBox::No)->click();
    });
    const auto answer = prompter.message(QStringLiteral("Änderungen gehen verloren! Fortsetzen?"),
                                         QStringLiteral("Palvenor"), Prompter::Buttons::YesNo,
                                         Prompter::Icon::Exclamation);
    EXPECT_EQ(answer, Prompter::Answer::No);
    EXPECT_EQ(boxParent, &ocrWindow);
    EXPECT_EQ(boxText, QStringLiteral("Änderungen gehen verloren! Fortsetzen?"));
}
