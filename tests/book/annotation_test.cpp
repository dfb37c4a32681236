#include "AnnotationCommands.h"
#include "AnnotationTag.h"
#include "FrameScene.h"
#include "PageMouse.h"
#include "SavePrompt.h"
#include "imaging/TiffFiles.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCheckBox>
#include <QDate>
#include <QDialog>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::FrameScene;
using imaging::Annotation;
using imaging::AnnotationKind;

namespace {

const char* const kTrimCommands[] = {"mnuTrimPage", "Zuschnitt", "mnuTrimPage180"};

// A book of black-and-white pages (1240 x 1754 pixels) in a shown frame.
struct AnnotationScene : FrameScene {
    QString path = book(3);
    frmSample* w = nullptr;
    AnnotationScene() {
        frame.resize(1100, 800);
        frame.show();
        w = open(path);
        QCoreApplication::processEvents();
    }
    imaging::oleImgEdit& edit() { return w->oleImgEdit1(); }
    ControlSet& controls() { return w->controls(); }
    bool checked(const char* name) { return controls().isChecked(QString::fromUtf8(name)); }
    bool enabled(const char* name) { return controls().isEnabled(QString::fromUtf8(name)); }
    void trigger(const char* name) { qobject_cast<QAction*>(controls().find(QString::fromUtf8(name)))->trigger(); }
    QWidget* widget(const char* name) { return qobject_cast<QWidget*>(controls().find(QString::fromUtf8(name))); }
    void clickButton(const char* name, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(widget(name), button);
    }
    QString deleteTag() { return AnnotationCommands::deleteTag(*w); }

    // Full size, scrolled to the top left corner: a point of the view is
    // the same point of the page.
    void atFullSize() {
        edit().setZoom(100);
        QCoreApplication::processEvents();
        edit().horizontalScrollBar()->setValue(0);
        edit().verticalScrollBar()->setValue(0);
    }
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QWidget* viewport = edit().viewport();
        QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }
    void drag(const std::vector<QPoint>& points) {
        send(QEvent::MouseButtonPress, points.front(), Qt::LeftButton, Qt::LeftButton);
        for (size_t i = 1; i < points.size(); ++i) send(QEvent::MouseMove, points[i], Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, points.back(), Qt::LeftButton, Qt::NoButton);
    }
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        send(QEvent::MouseButtonPress, at, button, button);
        send(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    const std::vector<Annotation>& annotations() { return edit().annotationLayer().items(); }
    // A frame from the tool bar, drawn at full size.
    void drawFrame(QRect box) {
        clickButton("rechtoffen");
        drag({box.topLeft(), box.bottomRight() + QPoint(1, 1)});
    }
    // Plays the user's part on the next dialog: its title, and the result.
    void onDialog(QString* title, const std::function<void(QDialog&)>& play) {
        prompter.onDialog([title, play](QDialog& dialog) {
            *title = dialog.windowTitle();
            play(dialog);
            return int(QDialog::Accepted);
        });
    }
    void chooseStamp(const QString& stamp) {
        prompter.onDialog([stamp](QDialog& dialog) {
            auto* list = dialog.findChild<QListWidget*>(QStringLiteral("stempel"));
            list->setCurrentItem(list->findItems(stamp, Qt::MatchExactly).value(0));
            return int(QDialog::Accepted);
        });
        clickButton("stempel");
    }
};

QByteArray tagOfPage(const QString& book, int page) {
    imaging::test::Tiff tif = imaging::test::openTiff(book);
    if (!tif || !TIFFSetDirectory(tif.get(), tdir_t(page - 1))) return {};
    uint32_t count = 0;
    void* data = nullptr;
    if (!TIFFGetField(tif.get(), imaging::AnnotationTag, &count, &data) || !data) return {};
    return QByteArray(static_cast<const char*>(data), qsizetype(count));
}

uint16_t compressionOfPage(const QString& book, int page) {
    imaging::test::Tiff tif = imaging::test::openTiff(book);
    uint16_t compression = 0;
    if (tif && TIFFSetDirectory(tif.get(), tdir_t(page - 1)))
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
    return compression;
}

}  // namespace

TEST(Selection, ADrawnRectangleSetsTheFlagAndEnablesTrimmingAClickClearsBoth) {
    AnnotationScene s;
    for (const char* name : kTrimCommands) {  // the trimming commands belong to the page transforms
        auto* command = new QAction(s.w);
        command->setObjectName(QString::fromUtf8(name));
        s.controls().add(command);
    }
    EXPECT_TRUE(s.checked("mark"));
    EXPECT_TRUE(s.edit().SelectionRectangle());
    EXPECT_EQ(s.edit().MousePointer(), imaging::oleImgEdit::PointerMark);
    EXPECT_FALSE(s.w->selectionPresent);
    s.atFullSize();

    s.drag({{100, 120}, {200, 200}, {300, 260}});
    EXPECT_TRUE(s.w->selectionPresent);
    for (const char* name : kTrimCommands) EXPECT_TRUE(s.enabled(name)) << name;
    EXPECT_EQ(s.edit().SelectionRect(), QRect(100, 120, 200, 140));
    EXPECT_EQ(QRect(QPoint(s.w->x1, s.w->y1), QPoint(s.w->x2, s.w->y2)), QRect(QPoint(1500, 1800), QPoint(4500, 3900)));

    s.click({400, 400});
    EXPECT_FALSE(s.w->selectionPresent);
    for (const char* name : kTrimCommands) EXPECT_FALSE(s.enabled(name)) << name;
    EXPECT_TRUE(s.edit().SelectionRect().isEmpty());

    s.drag({{10, 10}, {10, 60}});  // no width, yet some height
    EXPECT_TRUE(s.w->selectionPresent);
    for (const char* name : kTrimCommands) EXPECT_TRUE(s.enabled(name)) << name;
}

TEST(HandMode, TheHandEndsTheSelectionAndPushesTheScrolledPage) {
    AnnotationScene s;
    s.atFullSize();
    s.drag({{100, 100}, {300, 300}});
    ASSERT_TRUE(s.w->selectionPresent);
    s.clickButton("hand");
    EXPECT_FALSE(s.w->selectionPresent);
    EXPECT_FALSE(s.edit().SelectionRectangle());
    EXPECT_TRUE(s.edit().SelectionRect().isEmpty());
    EXPECT_EQ(s.edit().MousePointer(), imaging::oleImgEdit::PointerHand);
    EXPECT_TRUE(s.checked("hand"));
    EXPECT_FALSE(s.checked("mark"));
    EXPECT_TRUE(s.checked("mnuNoTool"));

    s.edit().setZoom(200);
    QCoreApplication::processEvents();
    QScrollBar* across = s.edit().horizontalScrollBar();
    QScrollBar* down = s.edit().verticalScrollBar();
    across->setValue(200);
    down->setValue(200);
    PageMouse mouse(*s.w);
    mouse.mouseDown(PageMouse::LeftButton, 0, 1000, 1000);
    // Each move: x, y in twips, then where the scroll bars are.
    const std::tuple<double, double, int, int> moves[] = {
        {975, 1000, 202, 200},    // 25 to the left: direction 2, amount 2 (2.5 to even)
        {1010, 1000, 198, 200},   // 35 to the right: direction 3, amount 4 (3.5 to even)
        {1010, 955, 198, 204},    // 45 up: direction 0, amount 4
        {1010, 970, 198, 202},    // 15 down: direction 1, amount 2
        {1010, 970, 198, 202},    // no move, no call
        {1000.4, 980.6, 199, 201},  // rounded to 1000 and 981 first: 1 each way
    };
    for (const auto& [x, y, expectedAcross, expectedDown] : moves) {
        mouse.mouseMove(PageMouse::LeftButton, 0, x, y);
        EXPECT_EQ(across->value(), expectedAcross) << x << " " << y;
        EXPECT_EQ(down->value(), expectedDown) << x << " " << y;
    }
    mouse.mouseMove(PageMouse::RightButton, 0, 500, 500);
    mouse.mouseMove(0, 0, 500, 500);
    EXPECT_EQ(across->value(), 199);

    // A drag of ten pixels to the left is 150 twips, pushed 15 pixels on.
    s.drag({{300, 300}, {290, 300}});
    EXPECT_EQ(across->value(), 214);
    EXPECT_EQ(down->value(), 201);
    EXPECT_TRUE(s.annotations().empty());

    s.clickButton("mark");
    EXPECT_TRUE(s.edit().SelectionRectangle());
    EXPECT_EQ(s.edit().MousePointer(), imaging::oleImgEdit::PointerMark);
    mouse.mouseDown(PageMouse::LeftButton, 0, 1000, 1000);
    mouse.mouseMove(PageMouse::LeftButton, 0, 500, 500);
    EXPECT_EQ(across->value(), 214);  // no hand, no push
}

TEST(RightClick, TurnsThePageByTheHalfItLandsOnAndStopsAtTheEnds) {
    AnnotationScene s;
    QWidget* viewport = s.edit().viewport();
    const QPoint left(viewport->width() / 4, 200);
    const QPoint right(viewport->width() * 3 / 4, 200);
    const std::pair<QPoint, int> clicks[] = {{left, 1}, {right, 2}, {right, 3}, {right, 3}, {left, 2}, {left, 1}};
    for (const auto& [at, page] : clicks) {
        s.click(at, Qt::RightButton);
        EXPECT_EQ(s.edit().Page(), page) << at.x();
        EXPECT_EQ(FrameScene::field(*s.w, "seite"), QString::number(page));
    }
    // The middle of the control belongs to the left half.
    const double middle = s.edit().width() / 2.0 * imaging::oleImgEdit::TwipsPerPixel;
    PageMouse mouse(*s.w);
    mouse.mouseUp(PageMouse::RightButton, 0, middle + 1, 0);
    EXPECT_EQ(s.edit().Page(), 2);
    mouse.mouseUp(PageMouse::RightButton, 0, middle, 0);
    EXPECT_EQ(s.edit().Page(), 1);
    EXPECT_FALSE(s.w->selectionPresent);
    EXPECT_TRUE(s.prompter.shown().empty());
}

TEST(AnnotationTools, EachChoiceChecksItsEntryAndButtonAndTellsLoeschItsNumber) {
    AnnotationScene s;
    const std::span<const AnnotationToolEntry> tools = annotationTools();
    const std::pair<const char*, int> numbers[] = {{"mnuNoTool", 0},       {"mnuSelectPointer", 1}, {"mnuFreeHand", 2},
                                                   {"mnuHiLight", 3},      {"mnuStraightLine", 4},  {"mnuHollowRect", 5},
                                                   {"mnuFillRect", 6},     {"mnuTypedText", 7},     {"mnuAttachNote", 8},
                                                   {"mnuTextFromFile", 9}};
    for (const auto& [entry, number] : numbers) {
        for (bool byButton : {false, true}) {
            const AnnotationToolEntry& tool =
                *std::find_if(tools.begin(), tools.end(), [&](const auto& t) { return t.menuName == std::string(entry); });
            if (byButton && !tool.buttonName) continue;
            if (byButton)
                s.clickButton(tool.buttonName);
            else
                s.trigger(entry);
            SCOPED_TRACE(std::string(entry) + (byButton ? " by button" : " by menu"));
            for (const AnnotationToolEntry& other : tools) EXPECT_EQ(s.checked(other.menuName), &other == &tool) << other.menuName;
            EXPECT_TRUE(!tool.buttonName || s.checked(tool.buttonName));
            EXPECT_EQ(s.deleteTag(), QString::number(number));
            EXPECT_TRUE(number != 1 || s.enabled("loesch"));
            EXPECT_EQ(s.edit().MousePointer(),
                      number == 0 ? imaging::oleImgEdit::PointerMark : imaging::oleImgEdit::PointerOfTool);
        }
    }
    s.chooseStamp(QStringLiteral("ENTWURF"));
    EXPECT_EQ(s.deleteTag(), QStringLiteral("10"));
    EXPECT_TRUE(s.checked("mnuStamp"));
    EXPECT_TRUE(s.checked("stempel"));
    EXPECT_FALSE(s.checked("mnuTextFromFile"));
    EXPECT_EQ(s.prompter.shown().back().title, QStringLiteral("Stempel wählen"));
}

TEST(AnnotationTools, LoeschFollowsTheMarksAndDeletesTheMarkedAnnotations) {
    AnnotationScene s;
    s.atFullSize();
    s.drawFrame({100, 100, 200, 150});
    s.drawFrame({400, 100, 200, 150});
    s.clickButton("zeiger");
    EXPECT_TRUE(s.enabled("loesch"));
    s.click({350, 500});  // a mouse down away from the annotations
    EXPECT_FALSE(s.enabled("loesch"));
    s.click({300, 180});  // the first frame's edge
    EXPECT_TRUE(s.enabled("loesch"));
    s.clickButton("loesch");
    EXPECT_FALSE(s.enabled("loesch"));
    ASSERT_EQ(s.annotations().size(), 1u);
    EXPECT_EQ(s.annotations()[0].box, QRectF(400, 100, 200, 150));
    EXPECT_TRUE(s.edit().ImageModified());

    s.clickButton("zeiger");
    s.clickButton("freihand");  // marking is the pointer's: with another tool a mark turns loesch off
    EXPECT_TRUE(s.enabled("loesch"));
    PageMouse(*s.w).annotationMarked();
    EXPECT_FALSE(s.enabled("loesch"));
}

TEST(AnnotationTools, ARightClickOnAToolButtonOpensItsAttributeDialog) {
    AnnotationScene s;
    s.atFullSize();
    QString title;
    s.onDialog(&title, [](QDialog& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("farbe"))->setCurrentText(QStringLiteral("Grün"));
        dialog.findChild<QSpinBox*>(QStringLiteral("breite"))->setValue(12);
    });
    s.clickButton("freihand", Qt::RightButton);
    EXPECT_EQ(title, QStringLiteral("Eigenschaften: Freihandlinie"));
    EXPECT_FALSE(s.checked("freihand"));  // the right button chooses nothing
    s.clickButton("freihand");
    s.drag({{100, 100}, {200, 150}});
    ASSERT_EQ(s.annotations().size(), 1u);
    EXPECT_EQ(s.annotations()[0].colour, QColor(0x008000));
    EXPECT_EQ(s.annotations()[0].lineWidth, 12);

    s.onDialog(&title, [](QDialog& dialog) {
        dialog.findChild<QSpinBox*>(QStringLiteral("groesse"))->setValue(18);
        dialog.findChild<QCheckBox*>(QStringLiteral("fett"))->setChecked(true);
    });
    s.clickButton("bemerkung", Qt::RightButton);
    EXPECT_EQ(title, QStringLiteral("Eigenschaften: Text"));
    s.clickButton("bemerkung");
    s.prompter.answerInput(QStringLiteral("Lesefehler"));
    s.click({300, 300});
    ASSERT_EQ(s.annotations().size(), 2u);
    EXPECT_EQ(s.annotations()[1].font.pixelSize(), 75);  // 18 points at 300 dpi
    EXPECT_TRUE(s.annotations()[1].font.bold());

    const std::pair<const char*, const char*> titles[] = {
        {"high", "Textmarker"}, {"linie", "Gerade Linie"}, {"rechtoffen", "Rahmen"}, {"rechtvoll", "Fläche"},
        {"notiz", "Notiz"},     {"dtext", "Text aus Datei"}, {"stempel", "Stempel"}};
    for (const auto& [button, tool] : titles) {
        s.onDialog(&title, [](QDialog&) {});
        s.clickButton(button, Qt::RightButton);
        EXPECT_EQ(title, QStringLiteral("Eigenschaften: ") + QString::fromUtf8(tool)) << button;
    }
    const size_t dialogs = s.prompter.shown().size();
    s.clickButton("zeiger", Qt::RightButton);
    s.clickButton("hand", Qt::RightButton);
    EXPECT_EQ(s.prompter.shown().size(), dialogs);
}

TEST(AnnotationTools, TextToolsAskForTheirTextAndStampsPutTheChosenOne) {
    AnnotationScene s;
    s.atFullSize();
    s.clickButton("bemerkung");
    s.prompter.answerInput(QStringLiteral("Seite fehlt"));
    s.drag({{100, 100}, {500, 200}});
    s.prompter.answerInput(std::nullopt);
    s.click({100, 300});
    s.clickButton("notiz");
    s.prompter.answerInput(QStringLiteral("Nachsehen!"));
    s.click({100, 400});

    const QString utf8 = test::writeFile(s.dir.path(), QStringLiteral("zitat.txt"), QStringLiteral("Grüße aus Köln").toUtf8());
    const QString latin1 = test::writeFile(s.dir.path(), QStringLiteral("alt.txt"), QStringLiteral("Straße").toLatin1());
    const QString missing = s.dir.filePath(QStringLiteral("fehlt.txt"));
    s.clickButton("dtext");
    for (const QString& file : {utf8, latin1, missing}) {
        s.prompter.answerFile(file);
        s.click({100, 500});
    }
    s.chooseStamp(QStringLiteral("GEPRÜFT"));
    s.click({600, 100});
    s.chooseStamp(QStringLiteral("Datum"));
    s.click({600, 300});

    std::vector<std::pair<AnnotationKind, QString>> made;
    for (const Annotation& a : s.annotations()) made.emplace_back(a.kind, a.text);
    const std::vector<std::pair<AnnotationKind, QString>> expected = {
        {AnnotationKind::Text, QStringLiteral("Seite fehlt")},
        {AnnotationKind::Note, QStringLiteral("Nachsehen!")},
        {AnnotationKind::Text, QStringLiteral("Grüße aus Köln")},
        {AnnotationKind::Text, QStringLiteral("Straße")},
        {AnnotationKind::Stamp, QStringLiteral("GEPRÜFT")},
        {AnnotationKind::Stamp, QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))}};
    EXPECT_EQ(made, expected);
    EXPECT_EQ(s.annotations()[0].box, QRectF(100, 100, 400, 100));  // the dragged box
    EXPECT_GT(s.annotations()[1].box.width(), 100);                  // a click: the box the text needs

    const auto& shown = s.prompter.shown();
    const auto inputs = std::count_if(shown.begin(), shown.end(), [](const auto& p) { return p.kind == "input"; });
    EXPECT_EQ(inputs, 3);
    EXPECT_EQ(shown[0].text, QStringLiteral("Text der Anmerkung:"));
    EXPECT_EQ(shown[0].title, QStringLiteral("Text"));
    EXPECT_EQ(shown[2].text, QStringLiteral("Text der Notiz:"));
    EXPECT_EQ(shown[2].title, QStringLiteral("Notiz"));
    for (const auto& dialog : shown) {
        if (dialog.kind != QStringLiteral("open")) continue;
        EXPECT_EQ(dialog.folder.toStdString(), s.dir.path().toStdString());  // the book's folder
    }
    EXPECT_EQ(s.prompter.texts().filter(QStringLiteral("kann nicht gelesen werden")),
              QStringList{QStringLiteral("Die Datei ") + missing + QStringLiteral(" kann nicht gelesen werden.")});
}

TEST(PictureAnnotations, BildeinEmbedsAndBildrefLinksThePicture) {
    AnnotationScene s;
    s.atFullSize();
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString png = s.dir.filePath(QStringLiteral("siegel.png"));
    ASSERT_TRUE(picture.save(png));
    s.prompter.answerFile(png);
    s.clickButton("bildein");
    s.prompter.answerFile(png);
    s.clickButton("bildref");
    s.prompter.answerFile(std::nullopt);
    s.clickButton("bildein");
    const QString text = test::writeFile(s.dir.path(), QStringLiteral("kein.png"), "kein Bild");
    s.prompter.answerFile(text);
    s.clickButton("bildref");

    ASSERT_EQ(s.annotations().size(), 2u);
    const Annotation& embedded = s.annotations()[0];
    EXPECT_EQ(embedded.kind, AnnotationKind::EmbeddedPicture);
    EXPECT_EQ(embedded.box, QRectF(10, 10, 100, 100));  // at full size a screen pixel is a page pixel
    EXPECT_EQ(QImage::fromData(embedded.pictureData, "PNG").pixel(5, 5), qRgb(255, 0, 0));
    const Annotation& linked = s.annotations()[1];
    EXPECT_EQ(linked.kind, AnnotationKind::LinkedPicture);
    EXPECT_EQ(linked.pictureFile, png);
    EXPECT_EQ(linked.box, QRectF(10, 10, 40, 30));
    EXPECT_EQ(s.w->ImgAnnTool1().AnnotationType(), imaging::ImgAnnTool::LinkedPicture);
    const QStringList failures = s.prompter.texts().filter(QStringLiteral("Fehlercode"));
    EXPECT_EQ(failures, QStringList{QStringLiteral("Die Datei ist kein lesbares Bild: ") + text +
                                    QStringLiteral(" Fehlercode = 7D1")});
    EXPECT_EQ(s.prompter.shown().back().icon, Prompter::Icon::Critical);
    EXPECT_EQ(s.w->oleImgAdmin1().OpenFor, imaging::oleImgAdmin::BookFile);
}

TEST(HideAnnotations, TheEntryTogglesItsMarkAndWhatThePageShows) {
    AnnotationScene s;
    s.atFullSize();
    s.clickButton("rechtvoll");
    s.drag({{100, 100}, {200, 200}});
    const auto shown = [&] {
        return s.edit().viewport()->grab().toImage().pixel(150, 150) == imaging::defaultAttributes(imaging::AreaTool).colour.rgb();
    };
    EXPECT_TRUE(shown());
    s.trigger("mnuHideAnnotation");
    EXPECT_TRUE(s.checked("mnuHideAnnotation"));
    EXPECT_TRUE(s.edit().annotationLayer().hidden());
    EXPECT_FALSE(shown());
    s.trigger("mnuHideAnnotation");
    EXPECT_FALSE(s.checked("mnuHideAnnotation"));
    EXPECT_TRUE(shown());
}

TEST(FixAnnotations, AllVisibleBecomeBlackPixelsAndTheBookIsSaved) {
    AnnotationScene s;
    const QImage before = imaging::test::libtiffPicture(s.path, 1);
    s.atFullSize();
    s.clickButton("rechtvoll");  // grey
    s.drag({{100, 100}, {300, 200}});
    s.drawFrame({400, 400, 300, 200});  // red
    s.w->pages().Geaendert = true;
    s.trigger("mnuBurnIn");

    EXPECT_TRUE(s.annotations().empty());
    EXPECT_FALSE(s.edit().ImageModified());
    EXPECT_FALSE(s.w->pages().Geaendert);
    EXPECT_EQ(compressionOfPage(s.path, 1), COMPRESSION_CCITTFAX4);
    EXPECT_TRUE(tagOfPage(s.path, 1).isEmpty());
    const QImage after = imaging::test::libtiffPicture(s.path, 1);
    for (const QPoint p : {QPoint(100, 100), QPoint(250, 150), QPoint(299, 199), QPoint(400, 500), QPoint(550, 400)})
        EXPECT_EQ(after.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(550, 500), QPoint(50, 50), QPoint(1000, 1500)})
        EXPECT_EQ(after.pixel(p), before.pixel(p)) << p.x() << "," << p.y();
}

TEST(FixAnnotations, AllMarkedGoIntoThePixelsAndTheOthersStayAnnotations) {
    AnnotationScene s;
    s.atFullSize();
    s.drawFrame({100, 100, 200, 200});
    s.drawFrame({500, 100, 200, 200});
    s.clickButton("zeiger");
    s.click({700, 200});
    const QImage before = imaging::test::libtiffPicture(s.path, 1);
    s.trigger("mnuBurnInSel");

    ASSERT_EQ(s.annotations().size(), 1u);
    const std::optional<std::vector<Annotation>> kept = imaging::decodeAnnotations(tagOfPage(s.path, 1));
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->size(), 1u);
    EXPECT_EQ(kept->front().box, QRectF(100, 100, 200, 200));
    const QImage after = imaging::test::libtiffPicture(s.path, 1);
    EXPECT_EQ(after.pixel(700, 200), qRgb(0, 0, 0));
    EXPECT_EQ(after.pixel(300, 200), before.pixel(300, 200));
}

TEST(Annotations, SurviveTheSavePromptOfAPageTurnAndReopening) {
    AnnotationScene s;
    s.trigger("mnuNext");
    s.atFullSize();
    s.clickButton("linie");
    s.drag({{100, 100}, {600, 120}});
    s.clickButton("notiz");
    s.prompter.answerInput(QStringLiteral("Fleck auf dem Scan"));
    s.click({300, 300});
    const std::vector<Annotation> drawn = s.annotations();
    s.prompter.answer(Prompter::Answer::Yes);
    s.trigger("mnuNext");
    EXPECT_EQ(s.prompter.shown().back().text, QString::fromUtf8(kSaveQuestion));
    EXPECT_EQ(s.edit().Page(), 3);
    EXPECT_TRUE(s.annotations().empty());
    EXPECT_TRUE(tagOfPage(s.path, 1).isEmpty());
    EXPECT_TRUE(tagOfPage(s.path, 3).isEmpty());

    FrameScene other;
    frmSample* reopened = other.open(s.path);
    reopened->GehZuSeite(QStringLiteral("2"));
    const std::vector<Annotation>& read = reopened->oleImgEdit1().annotationLayer().items();
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].kind, AnnotationKind::StraightLine);
    EXPECT_EQ(read[0].points, drawn[0].points);
    EXPECT_EQ(read[1].kind, AnnotationKind::Note);
    EXPECT_EQ(read[1].text, QStringLiteral("Fleck auf dem Scan"));
    EXPECT_EQ(read[1].box, drawn[1].box);
}
