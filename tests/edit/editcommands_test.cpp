#include "TransformScene.h"

#include "PastedPicture.h"

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

namespace {

// The selected scene with a black 3 x 2 block pasted at the selection.
struct PastedScene : SelectedScene {
    PastedScene() {
        QImage block(3, 2, QImage::Format_RGB32);
        block.fill(Qt::black);
        putOnClipboard(block);
        run("mnuPaste");
    }
    Points blockAt(int left, int top) {
        Points points;
        for (int x = left; x < left + 3; ++x)
            for (int y = top; y < top + 2; ++y) points.insert({x, y});
        return points;
    }
    // A drag with the left button, in page pixels (the page is shown at full size).
    void drag(QPoint from, QPoint to) {
        const QPoint corner = edit().pageOrigin();
        send(QEvent::MouseButtonPress, corner + from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, corner + (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, corner + to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, corner + to, Qt::LeftButton, Qt::NoButton);
    }
};

}  // namespace

TEST(Clipboard, PasteLaysThePictureAtTheSelectionAndEndsIt) {
    PastedScene s;
    const imaging::PastedPicture* pasted = s.edit().pastedPicture();
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->position(), QPoint(2, 3));
    EXPECT_EQ(pasted->picture().size(), QSize(3, 2));
    EXPECT_EQ(darkPoints(s.edit().picture()), markerPoints(60, 40));  // not fixed into the page yet
    EXPECT_FALSE(s.w->selectionPresent);
    for (const char* name : {"mnuTrimPage", "Zuschnitt", "mnuTrimPage180"}) EXPECT_FALSE(s.enabled(name)) << name;
    EXPECT_TRUE(s.edit().ImageModified());
}

TEST(Clipboard, APastedPictureIsDraggedOnThePageAndGoesIntoTheFileWhereItLies) {
    PastedScene s;
    s.drag(QPoint(3, 4), QPoint(23, 24));
    ASSERT_NE(s.edit().pastedPicture(), nullptr);
    EXPECT_EQ(s.edit().pastedPicture()->position(), QPoint(22, 23));
    EXPECT_EQ(darkPoints(s.edit().picture()), markerPoints(60, 40));
    s.run("mnuSave");
    EXPECT_EQ(s.edit().pastedPicture(), nullptr);
    Points expected = markerPoints(60, 40);
    expected.merge(s.blockAt(22, 23));
    EXPECT_EQ(darkPoints(pageOf(s.path, 1)), expected);
    EXPECT_EQ(darkPoints(s.edit().picture()), expected);
}

TEST(Clipboard, AChangeOfThePageFixesThePastedPictureFirst) {
    PastedScene s;
    s.drag(QPoint(2, 3), QPoint(30, 20));
    s.run("mnuInvert");
    EXPECT_EQ(s.edit().pastedPicture(), nullptr);
    Points ink = markerPoints(60, 40);
    ink.merge(s.blockAt(30, 20));
    EXPECT_EQ(darkPoints(pageOf(s.path, 1)).size(), size_t(60 * 40) - ink.size());
    for (const auto& [x, y] : s.blockAt(30, 20)) EXPECT_GT(qGray(pageOf(s.path, 1).pixel(x, y)), 128);
}

TEST(Clipboard, APressBesideThePastedPictureFixesItAndUndoTakesItOut) {
    PastedScene s;
    s.drag(QPoint(40, 30), QPoint(40, 30));
    EXPECT_EQ(s.edit().pastedPicture(), nullptr);
    Points expected = markerPoints(60, 40);
    expected.merge(s.blockAt(2, 3));
    EXPECT_EQ(darkPoints(s.edit().picture()), expected);
    s.run("mnuUndo");
    EXPECT_EQ(darkPoints(s.edit().picture()), markerPoints(60, 40));
    EXPECT_FALSE(s.edit().ImageModified());
}

TEST(Clipboard, UndoDropsAPictureNotFixedYet) {
    PastedScene s;
    s.run("mnuUndo");
    EXPECT_EQ(s.edit().pastedPicture(), nullptr);
    EXPECT_EQ(darkPoints(s.edit().picture()), markerPoints(60, 40));
    EXPECT_FALSE(s.edit().ImageModified());
    EXPECT_TRUE(messages(s.prompter).isEmpty());
    s.run("mnuSave");
    EXPECT_EQ(darkPoints(pageOf(s.path, 1)), markerPoints(60, 40));
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

namespace {

// Entries of the file, edit and view menus and the buttons that wait for a
// shown book; the trimming commands follow the selection instead.
const char* const kWaitingForABook[] = {"mnuPrint", "druck", "mnuSend", "mnuEdit", "mnuCopyPage", "mnuDrag",
                                        "mnuOptions", "mnuView", "mnuToolbar", "links", "rechts"};
const char* const kTrimming[] = {"Zuschnitt", "mnuTrimPage", "mnuTrimPage180"};

}  // namespace

TEST(MenuStates, DocumentEntriesWaitForABookAndTrimmingForASelection) {
    TransformScene s({QImage::Format_Mono});
    frmSample* empty = s.untitled();
    for (const char* name : kWaitingForABook)
        EXPECT_FALSE(empty->controls().isEnabled(QString::fromUtf8(name))) << name;
    for (const char* name : kTrimming) EXPECT_FALSE(empty->controls().isEnabled(QString::fromUtf8(name))) << name;
    EXPECT_TRUE(empty->controls().isEnabled(QStringLiteral("mnuNeu")));

    for (const char* name : kWaitingForABook) EXPECT_TRUE(s.enabled(name)) << name;
    for (const char* name : {"mnuUndo", "mnuCut", "mnuCopy", "mnuPaste", "mnuSelect", "mnuLeft", "mnuright", "mnuFlip",
                             "mnuLeftAll", "mnuRightAll", "mnuInvert", "mnuInvertAll", "mnuMaxComp", "mnuScaleToGray",
                             "mnuPrintPage", "mnuNeu1", "mnuNeu7"})
        EXPECT_TRUE(s.enabled(name)) << name;
    for (const char* name : kTrimming) EXPECT_FALSE(s.enabled(name)) << name;
    const QPoint corner = s.edit().pageOrigin();
    s.select(corner + QPoint(2, 3), corner + QPoint(12, 9));
    for (const char* name : kTrimming) EXPECT_TRUE(s.enabled(name)) << name;
    s.w->Bild_vorhanden();  // the book shown again keeps the drawn selection's commands
    for (const char* name : kTrimming) EXPECT_TRUE(s.enabled(name)) << name;
    s.select(corner + QPoint(5, 5), corner + QPoint(5, 5));  // a click ends the selection
    for (const char* name : kTrimming) EXPECT_FALSE(s.enabled(name)) << name;
}
