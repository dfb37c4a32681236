#include "FrameScene.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QTabBar>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::writeFile;

namespace {

using Scene = palvenor::test::FrameScene;

QString field(frmSample& window, const char* name) { return Scene::field(window, name); }

}  // namespace

TEST(Opening, ABookOpensAtItsFirstPageWithItsRecordCaptionsAndCommands) {
    Scene scene;
    const QString book = scene.book(10);
    ASSERT_FALSE(book.isEmpty());
    frmSample* window = scene.open(book);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(scene.prompter.shown().empty()) << scene.prompter.texts().join('|').toStdString();

    const DokumentEintrag& entry = scene.frame.documents().Dokumente(1);
    EXPECT_EQ(entry.Kopie, 1);
    EXPECT_EQ(entry.Name, QStringLiteral("buch.tif"));
    EXPECT_EQ(entry.Pfad, book);
    EXPECT_EQ(entry.Ordner, scene.dir.path() + QLatin1Char('/'));
    EXPECT_TRUE(entry.Anforderung.isEmpty());
    EXPECT_EQ(scene.frame.documents().AktuellesDokument, 1);

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Palvenor - buch.tif"));
    EXPECT_EQ(scene.frame.Tab1().tabText(0), QStringLiteral("buch"));
    EXPECT_TRUE(scene.frame.Kommandozeile.isEmpty());

    imaging::oleImgEdit& edit = window->oleImgEdit1();
    EXPECT_EQ(edit.Image(), book);
    EXPECT_EQ(edit.Page(), 1);
    EXPECT_EQ(edit.PageCount(), 10);
    EXPECT_FALSE(edit.picture().isNull());
    EXPECT_EQ(edit.PageType(), imaging::PageTypeBlackWhite);
    EXPECT_EQ(window->pages().Seitenzahl, 10);
    EXPECT_TRUE(window->pages().isSingle());
    EXPECT_EQ(field(*window, "seite"), QStringLiteral("1"));
    EXPECT_EQ(field(*window, "buchseite"), QStringLiteral("0"));

    ControlSet& controls = window->controls();
    for (const char* name : {"seite", "buchseite", "vor", "mark", "einzeln", "album"})
        EXPECT_TRUE(controls.isEnabled(QString::fromUtf8(name))) << name;
    EXPECT_FALSE(controls.isEnabled(QStringLiteral("rueck")));  // nothing before page 1
    EXPECT_TRUE(controls.isChecked(QStringLiteral("einzeln")));
    EXPECT_TRUE(controls.isChecked(QStringLiteral("mark")));
    EXPECT_EQ(qobject_cast<QAction*>(controls.find(QStringLiteral("mnuAktuell")))->text(), book);
}

TEST(Opening, APageSuffixShowsThatSpreadInDoublePageMode) {
    Scene scene;
    const QString book = scene.book(10);
    const std::pair<const char*, int> cases[] = {{"/3", 3}, {"/30", 1}, {"/0", 1}, {"/10", 10}};
    for (const auto& [suffix, page] : cases) {
        frmSample* window = scene.open(book + QString::fromUtf8(suffix));
        EXPECT_EQ(window->oleImgEdit1().Page(), page) << suffix;
        EXPECT_FALSE(window->pages().isSingle()) << suffix;
        EXPECT_EQ(window->pages().Versatz(), 0);
        EXPECT_EQ(window->pages().Korrektur(), 0);
        EXPECT_TRUE(window->entry().Anforderung.isEmpty());
        EXPECT_EQ(field(*window, "buchseite"), QString::number(2 * page - 2)) << suffix;
    }
}

TEST(Opening, TheSameFileTwiceGetsCopyNumbersOneAndTwo) {
    Scene scene;
    const QString book = scene.book(3);
    scene.open(book);
    scene.open(book);
    scene.open(scene.book(2, QStringLiteral("anderes.tif")));
    DocumentTable& documents = scene.frame.documents();
    ASSERT_EQ(documents.count(), 3);
    EXPECT_EQ(documents.Dokumente(1).Kopie, 1);
    EXPECT_EQ(documents.Dokumente(2).Kopie, 2);
    EXPECT_EQ(documents.Dokumente(3).Kopie, 1);
    EXPECT_EQ(scene.frame.Tab1().count(), 3);
    EXPECT_EQ(documents.AktuellesDokument, 3);
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(documents.Fenster(k)->Tag(), k);
}

TEST(Opening, AOnePageBookDisablesNavigationAndViewModes) {
    Scene scene;
    frmSample* window = scene.open(scene.book(1));
    ControlSet& controls = window->controls();
    for (const char* name : {"rueck", "vor", "einzeln", "kombination", "album"})
        EXPECT_FALSE(controls.isEnabled(QString::fromUtf8(name))) << name;
    EXPECT_TRUE(controls.isChecked(QStringLiteral("einzeln")));
    EXPECT_TRUE(controls.isEnabled(QStringLiteral("seite")));
}

TEST(Opening, BadFilesGiveAMessageWithTheErrorCodeAndShowNothing) {
    Scene scene;
    const QString book = scene.book(4);
    QFile whole(book);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString files[] = {
        writeFile(scene.dir.path(), QStringLiteral("leer.tif"), QByteArray()),
        writeFile(scene.dir.path(), QStringLiteral("text.tif"), QByteArray("Kein Bild, nur Text.\n")),
        writeFile(scene.dir.path(), QStringLiteral("halb.tif"), bytes.left(40)),
        writeFile(scene.dir.path(), QStringLiteral("kopf.tif"), QByteArray("II*\0\xff\xff\xff\x7f", 8)),
    };
    for (const QString& file : files) {
        scene.prompter.clear();
        frmSample* window = scene.open(file);
        ASSERT_EQ(scene.prompter.shown().size(), 1u) << file.toStdString();
        const auto& shown = scene.prompter.shown()[0];
        EXPECT_TRUE(shown.text.contains(QStringLiteral(" Fehlercode = "))) << shown.text.toStdString();
        EXPECT_EQ(shown.icon, Prompter::Icon::Critical);
        EXPECT_EQ(shown.title, QStringLiteral("Palvenor"));
        EXPECT_TRUE(window->oleImgEdit1().Image().isEmpty());
        EXPECT_FALSE(window->controls().isEnabled(QStringLiteral("seite")));
    }
    QFile after(book);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

TEST(Opening, AMissingFileIsReportedAndThenTheOpenDialogOffered) {
    Scene scene;
    const QString missing = scene.dir.filePath(QStringLiteral("fehlt.tif"));
    frmSample* window = scene.open(missing + QStringLiteral("/5"));
    ASSERT_EQ(scene.prompter.shown().size(), 2u);
    EXPECT_EQ(scene.prompter.shown()[0].text,
              QStringLiteral("Die Datei ") + missing + QStringLiteral(" wurde nicht gefunden."));
    EXPECT_EQ(scene.prompter.shown()[1].kind, QStringLiteral("open"));
    EXPECT_TRUE(window->oleImgEdit1().Image().isEmpty());

    // The user picks a book in the dialog instead.
    const QString book = scene.book(3);
    scene.prompter.clear();
    scene.prompter.answerFile(book);
    window = scene.open(QString());
    EXPECT_EQ(window->oleImgEdit1().Image(), book);
    EXPECT_EQ(scene.frame.documents().Dokumente(2).Name, QStringLiteral("buch.tif"));
}

TEST(Opening, ARelativeRequestIsStoredAndRememberedWithItsFullPath) {
    Scene scene;
    const QString book = scene.book(3);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(scene.dir.path());
    frmSample* window = scene.open(QStringLiteral("buch.tif/2"));
    QDir::setCurrent(previous);
    EXPECT_TRUE(scene.prompter.shown().empty()) << scene.prompter.texts().join('|').toStdString();
    EXPECT_EQ(window->oleImgEdit1().Page(), 2);
    EXPECT_EQ(scene.frame.documents().Dokumente(1).Pfad, book);
    EXPECT_EQ(scene.frame.documents().Dokumente(1).Ordner, scene.dir.path() + QLatin1Char('/'));
    EXPECT_EQ(scene.recentFiles.captions().value(0), QStringLiteral("&1   ") + book);
}

TEST(Opening, ACancelledOpenLeavesNoEmptyBook) {
    Scene scene;
    scene.open(scene.book(3));
    scene.open(QString());  // the open dialog is cancelled
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].kind, QStringLiteral("open"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(scene.frame.documents().count(), 1);
    EXPECT_EQ(scene.frame.Tab1().count(), 1);
    EXPECT_EQ(scene.frame.mdiArea().subWindowList().size(), 1);
    EXPECT_EQ(scene.frame.documents().AktuellesDokument, 1);
    EXPECT_FALSE(scene.frame.windowTitle().contains(QStringLiteral("Bestimmungstabelle")));
    for (int tab = 0; tab < scene.frame.Tab1().count(); ++tab)
        EXPECT_FALSE(scene.frame.Tab1().tabText(tab).contains(QStringLiteral("Ohne Namen"))) << tab;
}

TEST(Opening, FileDialogsStartInTheCurrentBooksFolder) {
    Scene scene;
    const QString folder = scene.dir.filePath(QStringLiteral("bände"));
    QDir().mkpath(folder);
    const QString book = palvenor::test::makeBook(folder, QStringLiteral("band.tif"), 3);
    scene.open(book);
    scene.open(QString());
    ASSERT_EQ(scene.prompter.shown().size(), 1u);
    EXPECT_EQ(scene.prompter.shown()[0].folder, folder + QLatin1Char('/'));

    // A new book is saved where the last book was.
    scene.prompter.clear();
    scene.frame.Neustart(1);
    ASSERT_FALSE(scene.prompter.shown().empty());
    EXPECT_EQ(scene.prompter.shown()[0].kind, QStringLiteral("save"));
    EXPECT_EQ(scene.prompter.shown()[0].folder, folder + QLatin1Char('/'));
}

TEST(Opening, ABookChosenInTheOpenDialogHasItsDialogsStartInItsFolder) {
    Scene scene;
    const QString folder = scene.dir.filePath(QStringLiteral("bände"));
    QDir().mkpath(folder);
    const QString book = palvenor::test::makeBook(folder, QStringLiteral("band.tif"), 3);
    scene.prompter.answerFile(book);
    frmSample* window = scene.open(QString());
    ASSERT_EQ(window->oleImgEdit1().Image(), book);
    EXPECT_EQ(scene.frame.documents().Dokumente(1).Ordner, folder + QLatin1Char('/'));

    scene.prompter.clear();
    for (const char* command : {"mnuInsertFile", "bildein", "mnuSaveAs"}) {
        QObject* control = window->controls().find(QString::fromUtf8(command));
        ASSERT_NE(control, nullptr) << command;
        if (auto* action = qobject_cast<QAction*>(control))
            action->trigger();
        else
            qobject_cast<QAbstractButton*>(control)->click();
    }
    ASSERT_EQ(scene.prompter.shown().size(), 3u);
    for (const auto& dialog : scene.prompter.shown())
        EXPECT_EQ(dialog.folder.toStdString(), (folder + QLatin1Char('/')).toStdString()) << dialog.kind.toStdString();
}

// libtiff's own test files, opened as the user opens a book: each shows its
// first page, or the user is told why not. Only files libtiff itself cannot
// decode are refused.
TEST(Opening, EachOfLibtiffsSampleFilesShowsItsFirstPageOrSaysWhyNot) {
    const QDir samples(QStringLiteral(PALVENOR_TIFF_SAMPLES));
    const QStringList names =
        samples.entryList({QStringLiteral("*.tif"), QStringLiteral("*.tiff"), QStringLiteral("*.bmp")}, QDir::Files);
    ASSERT_EQ(names.size(), 33);
    QStringList refused;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        Scene scene;
        const QString path = samples.filePath(name);
        frmSample* window = scene.open(path);
        const QStringList messages = scene.prompter.texts();
        if (!window->oleImgEdit1().picture().isNull()) {
            // A directory chain that loops back opens up to the loop and says so.
            for (const QString& message : messages)
                EXPECT_TRUE(message.startsWith(QStringLiteral("Die Bilddatei ist nach Seite ")) &&
                            message.endsWith(QStringLiteral(" beschädigt: ") + path))
                    << message.toStdString();
            continue;
        }
        refused << name;
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QStringLiteral(" Fehlercode = 7D"))) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(QStringLiteral("(libtiff: "))) << messages[0].toStdString();
    }
    // 64-bit floating-point samples, and two fax files broken on purpose.
    EXPECT_EQ(refused, (QStringList{QStringLiteral("test_float64_predictor2_be_lzw.tif"),
                                    QStringLiteral("test_float64_predictor2_le_lzw.tif"),
                                    QStringLiteral("testfax3_bug54_1dnoEOL.tif"), QStringLiteral("testfax3_bug_513.tiff")}));
}
