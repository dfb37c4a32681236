#include "TransformScene.h"

#include <QMenuBar>

using namespace palvenor;
using namespace palvenor::test;

namespace {

// The marker page at full size with the selection (2, 3)-(12, 9) around
// the L of the marker, the page drawn from the view's corner.
struct SelectedScene : TransformScene {
    SelectedScene() : TransformScene({QImage::Format_Mono}) {
        edit().setZoom(100);
        QCoreApplication::processEvents();
        const QPoint corner = edit().pageOrigin();
        select(corner + QPoint(2, 3), corner + QPoint(12, 9));
    }
    QImage clipboard() { return QGuiApplication::clipboard()->image(); }
};

}  // namespace

TEST(EditMenu, HoldsUndoTheClipboardAndThePageTransforms) {
    TransformScene s({QImage::Format_Mono});
    QStringList entries;
    for (QAction* action : s.w->findChild<QMenu*>(QStringLiteral("mnuEdit"))->actions())
        if (!action->isSeparator()) entries << action->objectName() + QLatin1Char(' ') + action->text();
    EXPECT_EQ(entries, QStringList({
                           QStringLiteral("mnuUndo Rückgängig"),
                           QStringLiteral("mnuCut &Ausschneiden"),
                           QStringLiteral("mnuCopy &Kopieren"),
                           QStringLiteral("mnuPaste &Einfügen"),
                           QStringLiteral("mnuCopyPage &Seite kopieren"),
                           QStringLiteral("mnuLeft &Links drehen 90°"),
                           QStringLiteral("mnuright &Rechts drehen 90°"),
                           QStringLiteral("mnuFlip &Um 180° drehen"),
                           QStringLiteral("mnuLeftAll alle links &drehen"),
                           QStringLiteral("mnuRightAll &alle rechts drehen"),
                           QStringLiteral("mnuInvert &Invertieren"),
                           QStringLiteral("mnuInvertAll alle In&vertieren"),
                           QStringLiteral("mnuTrimPage &Beschneiden"),
                           QStringLiteral("mnuTrimPage180 Beschneiden &+ 180° drehen"),
                           QStringLiteral("mnuMaxComp &Max. Kompression (S/W)"),
                           QStringLiteral("mnuDrag &Ziehen"),
                           QStringLiteral("mnuSelect Aus&wählen"),
                           QStringLiteral("mnuOptions Optionen..."),
                       }));
}

TEST(Clipboard, CopyPutsTheSelectionOnTheClipboard) {
    SelectedScene s;
    s.run("mnuCopy");
    const QImage copied = s.clipboard();
    ASSERT_EQ(copied.size(), QSize(10, 6));
    Points marker = markerPoints(60, 40);
    marker.erase({56, 34});  // the dot lies outside the selection
    EXPECT_EQ(darkPoints(copied), mapped(marker, [](int x, int y) { return std::pair{x - 2, y - 3}; }));
}

TEST(Clipboard, CopyAndCutWithoutASelectionDoNothing) {
    TransformScene s({QImage::Format_Mono});
    QGuiApplication::clipboard()->clear();
    s.run("mnuCopy");
    s.run("mnuCut");
    EXPECT_TRUE(s.clipboardEmpty());
    EXPECT_EQ(darkPoints(s.edit().picture()), markerPoints(60, 40));
    EXPECT_TRUE(messages(s.prompter).isEmpty());
}

TEST(Clipboard, CutWhitensTheSelectionAndUndoBringsItBack) {
    SelectedScene s;
    s.run("mnuCut");
    EXPECT_EQ(darkPoints(s.edit().picture()), Points({{56, 34}}));
    EXPECT_EQ(darkPoints(s.clipboard()).size(), markerPoints(60, 40).size() - 1);
    s.run("mnuUndo");
    EXPECT_EQ(darkPoints(s.edit().picture()), markerPoints(60, 40));
}

TEST(Clipboard, PasteGoesToTheSelectionAndEndsIt) {
    SelectedScene s;
    QImage block(3, 2, QImage::Format_RGB32);
    block.fill(Qt::black);
    putOnClipboard(block);
    s.run("mnuPaste");
    const Points dark = darkPoints(s.edit().picture());
    for (int x = 2; x < 5; ++x)
        for (int y = 3; y < 5; ++y) EXPECT_TRUE(dark.count({x, y})) << x << "," << y;
    EXPECT_TRUE(dark.count({2, 8}));  // the rest of the marker stays
    EXPECT_FALSE(s.w->selectionPresent);
    for (const char* name : {"mnuTrimPage", "Zuschnitt", "mnuTrimPage180"}) EXPECT_FALSE(s.enabled(name)) << name;
    EXPECT_TRUE(s.edit().ImageModified());
}

TEST(Clipboard, PasteWithoutAPictureDoesNothing) {
    TransformScene s({QImage::Format_Mono});
    QGuiApplication::clipboard()->setText(QStringLiteral("kein Bild"));
    s.run("mnuPaste");
    EXPECT_FALSE(s.edit().ImageModified());
    EXPECT_TRUE(messages(s.prompter).isEmpty());
}

TEST(Undo, TakesBackTurnsAndInversionsStepByStep) {
    TransformScene s({QImage::Format_Grayscale8});
    const QImage original = s.edit().picture();
    s.run("mnuright");
    s.run("mnuFlip");
    const QImage turned = s.edit().picture();
    s.run("mnuLeft");
    s.run("mnuUndo");
    EXPECT_EQ(s.edit().picture(), turned);
    s.run("mnuUndo");
    s.run("mnuUndo");
    EXPECT_EQ(s.edit().picture(), original);
    EXPECT_EQ(s.edit().ImageWidth(), 60);
    EXPECT_FALSE(s.edit().ImageModified());
    EXPECT_TRUE(messages(s.prompter).isEmpty());
}

TEST(Undo, AnInversionWrittenToTheFileCanBeTakenBackInTheView) {
    TransformScene s({QImage::Format_Mono});
    s.run("mnuInvert");
    s.run("mnuUndo");
    EXPECT_EQ(darkPoints(s.edit().picture()), markerPoints(60, 40));
    EXPECT_TRUE(s.edit().ImageModified());  // the file holds the inverted page until saved
}

TEST(Undo, WithNothingToUndoThePlainMessageAppears) {
    TransformScene s({QImage::Format_Mono});
    s.run("mnuright");
    s.run("mnuUndo");
    s.run("mnuUndo");
    ASSERT_EQ(s.prompter.shown().size(), 1u);
    EXPECT_EQ(s.prompter.shown()[0].text, QStringLiteral("Die Operation kann nicht rückgängig gemacht werden"));
    EXPECT_EQ(s.prompter.shown()[0].icon, Prompter::Icon::None);
    EXPECT_EQ(s.prompter.shown()[0].buttons, Prompter::Buttons::Ok);
}

TEST(Undo, ANewPageStartsWithNothingToUndo) {
    TransformScene s({QImage::Format_Mono, QImage::Format_Mono});
    s.run("mnuright");
    s.prompter.answer(Prompter::Answer::No);  // do not save the turned page
    s.goTo(2);
    s.run("mnuUndo");
    EXPECT_EQ(messages(s.prompter).last(), QStringLiteral("Die Operation kann nicht rückgängig gemacht werden"));
}

TEST(NotOffered, EachCommandSaysItIsNotAvailableYet) {
    TransformScene s({QImage::Format_Mono});
    const QByteArray before = bytesOf(s.path);
    // Only "Auswählen" is open to the user; the others stay greyed out with a shown book.
    for (const char* name : {"mnuCopyPage", "mnuOptions", "mnuDrag", "mnuSend", "mnuToolbar"}) {
        EXPECT_FALSE(s.enabled(name)) << name;
        s.w->controls().setEnabled(QString::fromUtf8(name), true);
    }
    for (const char* name : {"mnuCopyPage", "mnuOptions", "mnuDrag", "mnuSelect", "mnuSend", "mnuToolbar"}) {
        s.prompter.clear();
        s.run(name);
        ASSERT_EQ(s.prompter.shown().size(), 1u) << name;
        EXPECT_EQ(s.prompter.shown()[0].text, QStringLiteral("Funktion noch nicht verfügbar")) << name;
        EXPECT_EQ(s.prompter.shown()[0].icon, Prompter::Icon::None) << name;
    }
    EXPECT_EQ(bytesOf(s.path), before);
    EXPECT_FALSE(s.edit().ImageModified());
}

TEST(NewDocument, EachOfTheSevenEntriesOpensANewWindowOfItsPageType) {
    TransformScene s({QImage::Format_Mono});
    const char* const captions[] = {"Schwarz-Weiß", "Grau 4", "Grau 8", "Palette 4", "Palette 8", "RGB 24", "BGR 24"};
    for (int k = 1; k <= 7; ++k) {
        const QByteArray name = "mnuNeu" + QByteArray::number(k);
        auto* entry = s.w->findChild<QAction*>(QString::fromUtf8(name));
        ASSERT_NE(entry, nullptr) << k;
        EXPECT_EQ(entry->text(), QString::fromUtf8(captions[k - 1]));
        const int windows = s.frame.documents().count();
        s.prompter.answerFile(s.dir.filePath(QStringLiteral("neu%1.tif").arg(k)), 1);
        entry->trigger();
        ASSERT_EQ(s.frame.documents().count(), windows + 1) << k;
        frmSample* made = s.frame.documents().Fenster(windows + 1);
        EXPECT_EQ(made->oleImgEdit1().PageType(), k);
        EXPECT_EQ(s.w->oleImgEdit1().Image(), s.path);
        EXPECT_EQ(darkPoints(s.w->oleImgEdit1().picture()), markerPoints(60, 40));
    }
}
