#include "AcquireScene.h"

#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>

using namespace palvenor;
using namespace palvenor::test;

namespace {

const QString kRefused = QStringLiteral(
    "Nur Bilder können verkettet werden; geben Sie einen Bildtyp (.jpg .gif .png .tif) an und wählen Sie ein "
    "Quellverzeichnis zum Speichern aus\nSie müssen den Befehl 'Dateien verketten' wiederholen");

// A folder with b.tif, a.tif and C.tif of three sizes, and a PNG.
QString scansFolder(AcquireScene& scene) {
    const QString folder = scene.dir.filePath(QStringLiteral("scans"));
    QDir().mkpath(folder);
    pictureFile(folder, QStringLiteral("b.tif"), 110, 60);
    pictureFile(folder, QStringLiteral("a.tif"), 100, 50);
    pictureFile(folder, QStringLiteral("C.tif"), 120, 70);
    pictureFile(folder, QStringLiteral("d.png"), 130, 80);
    return folder;
}

bool allBlackAndWhiteG4(const QString& book) {
    for (const TiffPage& page : readPages(book))
        if (page.compression != COMPRESSION_CCITTFAX4) return false;
    return true;
}

}  // namespace

TEST(ConcatenateFolder, TheListIsSortedWhateverTheCaseAndEntry0IsTheFirstPageAtOnce) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(".tif"));
    EXPECT_EQ(scene.entries(), (QStringList{"a.tif", "b.tif", "C.tif"}));
    EXPECT_TRUE(scene.panelShown());
    EXPECT_EQ(scene.sequence(), "100x50");
    EXPECT_EQ(scene.w->oleImgEdit1().Image(), scene.newBook);
}

TEST(ConcatenateFolder, OnlyMarkedEntriesAfterTheFirstAreAppendedInListOrder) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(".tif"));
    scene.mark({"C.tif", "b.tif"});
    scene.start();
    EXPECT_EQ(scene.sequence(), "100x50 110x60 120x70");
    EXPECT_TRUE(allBlackAndWhiteG4(scene.newBook));
    EXPECT_EQ(scene.view(), "3 [3] of 3 <-");
    EXPECT_TRUE(scene.shows(3));
}

TEST(ConcatenateFolder, TheListSitsAtTheRightEdgeWithTheFrameDirectlyLeftOfIt) {
    AcquireScene scene;
    scene.w->resize(1000, 700);
    scene.concatenate(scansFolder(scene), QStringLiteral(".tif"));
    const QRect list = scene.list().geometry();
    const QRect frame = scene.w->findChild<QWidget*>(QStringLiteral("Frame3"))->geometry();
    EXPECT_EQ(list.x() + list.width(), 1000 - 10);
    EXPECT_EQ(frame.x() + frame.width(), list.x());
    EXPECT_EQ(frame.y(), list.y());
    EXPECT_GT(list.height(), frame.height());
}

TEST(ConcatenateFolder, Entry0IsUsedMarkedOrNot) {
    for (const QStringList& marked : {QStringList{"C.tif"}, QStringList{"a.tif", "C.tif"}}) {
        AcquireScene scene;
        scene.concatenate(scansFolder(scene), QStringLiteral(".tif"));
        scene.mark(marked);
        scene.start();
        EXPECT_EQ(scene.sequence(), "100x50 120x70") << marked.join(' ').toStdString();
    }
}

TEST(ConcatenateFolder, AfterStartThePanelIsHiddenAndEmptyAndTheMenusAreEnabled) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(".TIF"));
    scene.mark({"b.tif"});
    bool disabledMeanwhile = false;
    QTimer::singleShot(0, scene.w, [&] {
        disabledMeanwhile = !scene.enabled("mnuVerketten") && !scene.enabled("mnuWebsite");
    });
    scene.start();
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_FALSE(scene.panelShown());
    EXPECT_EQ(scene.entries(), QStringList());
    EXPECT_TRUE(scene.enabled("mnuVerketten"));
    EXPECT_TRUE(scene.enabled("mnuWebsite"));
}

TEST(ConcatenateFolder, EachPageShowsAsItArrivesWithProgressAndCancel) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(""));
    scene.mark({"b.tif", "C.tif", "d.png"});
    auto* progress = scene.w->findChild<QProgressBar*>(QStringLiteral("Fortschritt"));
    auto* preview = scene.w->findChild<QLabel*>(QStringLiteral("picNeueSeite"));
    auto* cancel = scene.w->findChild<QPushButton*>(QStringLiteral("cmdAbbrechen"));
    QStringList seen;
    QTimer::singleShot(0, scene.w, [&] {
        seen << QStringLiteral("%1/%2 %3x%4 %5")
                    .arg(progress->value())
                    .arg(progress->maximum())
                    .arg(preview->pixmap().width())
                    .arg(preview->pixmap().height())
                    .arg(!progress->isHidden() && !cancel->isHidden());
    });
    scene.start();
    // b.tif, 110 x 60, arrives first, shown 160 wide.
    EXPECT_EQ(seen, QStringList{"1/3 160x87 1"});
    EXPECT_TRUE(progress->isHidden());
    EXPECT_TRUE(cancel->isHidden());
    EXPECT_EQ(scene.sequence(), "100x50 110x60 120x70 130x80");
}

TEST(ConcatenateFolder, StartPressedAgainDuringTheRunIsIgnored) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(".tif"));
    scene.mark({"b.tif", "C.tif"});
    QTimer::singleShot(0, scene.w, [&] { scene.start(); });
    scene.start();
    EXPECT_EQ(scene.sequence(), "100x50 110x60 120x70");
}

TEST(ConcatenateFolder, NothingMarkedStillSavesAndHidesThePanel) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(".tif"));
    scene.start();
    EXPECT_EQ(scene.sequence(), "100x50");
    EXPECT_FALSE(scene.panelShown());
}

TEST(ConcatenateFolder, AFolderWithOrWithoutATrailingSeparatorGivesTheSameList) {
    for (const QString& ending : {QString(), QStringLiteral("/"), QStringLiteral("\\")}) {
        AcquireScene scene;
        scene.concatenate(scansFolder(scene) + ending, QStringLiteral(".tif"));
        EXPECT_EQ(scene.entries(), (QStringList{"a.tif", "b.tif", "C.tif"})) << ending.toStdString();
        EXPECT_EQ(scene.sequence(), "100x50");
    }
}

TEST(ConcatenateFolder, ColourPicturesArriveAsBlackAndWhitePages) {
    AcquireScene scene;
    const QString folder = scene.dir.filePath(QStringLiteral("farbe"));
    QDir().mkpath(folder);
    pictureFile(folder, QStringLiteral("1.png"), 90, 40, Qt::red);
    pictureFile(folder, QStringLiteral("2.png"), 95, 45, Qt::darkGreen);
    QImage mono = framedPicture(97, 47).convertToFormat(QImage::Format_Mono);
    mono.save(QDir(folder).filePath(QStringLiteral("3.png")));
    scene.concatenate(folder, QStringLiteral(".png"));
    scene.mark({"2.png", "3.png"});
    scene.start();
    EXPECT_EQ(scene.sequence(), "90x40 95x45 97x47");
    EXPECT_TRUE(allBlackAndWhiteG4(scene.newBook));
}

TEST(ConcatenateFolder, AnEmptyTypeListsEveryFileAndAnUndecodableOneIsNamedWhileTheOthersCome) {
    AcquireScene scene;
    const QString folder = scansFolder(scene);
    writeFile(folder, QStringLiteral("notiz.txt"), "kein Bild");
    scene.concatenate(folder, QString());
    EXPECT_EQ(scene.entries(), (QStringList{"a.tif", "b.tif", "C.tif", "d.png", "notiz.txt"}));
    scene.mark({"d.png", "notiz.txt", "b.tif"});
    scene.start();
    EXPECT_EQ(scene.sequence(), "100x50 110x60 130x80");
    EXPECT_EQ(scene.status(), QStringLiteral("notiz.txt: kein lesbares Bild"));
}

TEST(ConcatenateFolder, NoMatchLeavesTheFirstPageBlankAndThePanelEmpty) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(".gif"));
    EXPECT_EQ(scene.entries(), QStringList());
    EXPECT_TRUE(scene.panelShown());
    EXPECT_EQ(scene.sequence(), "500x400");
}

TEST(ConcatenateFolder, AnEmptyFolderOrAForeignTypeIsRefusedAndNothingChanges) {
    for (const auto& [folder, type] : {std::pair{QString(), QStringLiteral(".tif")},
                                       std::pair{QStringLiteral("/tmp"), QStringLiteral(".bmp")}}) {
        AcquireScene scene;
        const QByteArray before = bytesOf(scene.path);
        scene.prompter.answerInput(folder);
        scene.prompter.answerInput(type);
        scene.run("mnuVerketten");
        EXPECT_EQ(messages(scene.prompter), QStringList{kRefused});
        EXPECT_FALSE(QFileInfo::exists(scene.newBook));
        EXPECT_EQ(bytesOf(scene.path), before);
        EXPECT_FALSE(scene.panelShown());
    }
}

TEST(ConcatenateFolder, ThePromptsAskForFolderAndType) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(".tif"));
    const auto& shown = scene.prompter.shown();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Geben Sie das Quellverzeichnis an"));
    EXPECT_EQ(shown[0].title, QStringLiteral("Verzeichnis"));
    EXPECT_EQ(shown[0].proposal, QDir::currentPath());
    EXPECT_EQ(shown[1].text, QStringLiteral("Datei-Typ der Quelle angeben (Extension mit Punkt z.B.  .jpg)"));
    EXPECT_EQ(shown[1].title, QStringLiteral("Bildtyp"));
    EXPECT_EQ(shown[1].proposal, QStringLiteral(".tif"));
    EXPECT_EQ(scene.w->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
              QStringLiteral("Gewünschte Dateien markieren und START drücken"));
}

TEST(ConcatenateFolder, ACancelledRunLeavesTheBookAsItWas) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(""));
    scene.mark({"b.tif", "C.tif", "d.png"});
    const QByteArray before = bytesOf(scene.newBook);
    QTimer::singleShot(0, scene.w, [&] { scene.cancelButton(); });
    scene.start();
    EXPECT_EQ(bytesOf(scene.newBook), before);
    EXPECT_EQ(scene.status(), QStringLiteral("Abgebrochen, das Buch bleibt unverändert"));
    EXPECT_FALSE(scene.panelShown());
    EXPECT_TRUE(scene.enabled("mnuVerketten"));
}

TEST(ConcatenateFolder, AFailedWriteLeavesTheBookAsItWasAndSaysSo) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(".tif"));
    scene.mark({"b.tif", "C.tif"});
    const QByteArray before = bytesOf(scene.newBook);
    const size_t shownBefore = scene.prompter.shown().size();
    imaging::fault_injection::failAfterPages(1);
    scene.start();
    imaging::fault_injection::failAfterPages(-1);
    EXPECT_EQ(bytesOf(scene.newBook), before);
    ASSERT_EQ(scene.prompter.shown().size(), shownBefore + 1);
    EXPECT_EQ(scene.prompter.shown().back().icon, Prompter::Icon::Critical);
}

TEST(ConcatenateFolder, BothCommandsSitInTheFileMenuBeforeClosing) {
    AcquireScene scene;
    QStringList names;
    for (const QAction* action : scene.w->findChild<QMenu*>(QStringLiteral("mnuFile"))->actions())
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName() + QLatin1Char('=') + action->text());
    const qsizetype at = names.indexOf(QStringLiteral("mnuVerketten=&Bilder verketten"));
    ASSERT_GE(at, 1);
    EXPECT_EQ(names.mid(at - 1, 4),
              (QStringList{"-", "mnuVerketten=&Bilder verketten", "mnuWebsite=&Website einlesen", "-"}));
    EXPECT_GT(names.indexOf(QStringLiteral("mnuQuit=&Schließen")), at);
}

TEST(ConcatenateFolder, ClosingTheWindowDuringARunEndsTheRunFirst) {
    AcquireScene scene;
    scene.concatenate(scansFolder(scene), QStringLiteral(""));
    scene.mark({"b.tif", "C.tif", "d.png"});
    QPointer<frmSample> window = scene.w;
    QTimer::singleShot(0, scene.w, [&] { scene.w->closeBook(); });
    scene.start();
    EXPECT_EQ(scene.sequence(), "100x50");
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}
