#include "FrameScene.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace palvenor;
using palvenor::test::makeBook;
using palvenor::test::writeFile;

namespace {

// A fax file beside a stand-in converter that "converts" by copying a
// prepared TIFF book and notes each call in a log file.
struct FaxScene : palvenor::test::FrameScene {
    QString fax = writeFile(dir.path(), QStringLiteral("Fax.Awd"), QByteArray("AWD-Daten"));
    QString log = dir.filePath(QStringLiteral("aufrufe.log"));

    FaxScene() { qunsetenv("PALVENOR_AWD_CONVERTER"); }
    ~FaxScene() { qunsetenv("PALVENOR_AWD_CONVERTER"); }

    void useConverter(const QString& script) {
        const QString path = writeFile(dir.path(), QStringLiteral("umwandler.sh"),
                                       QByteArray("#!/bin/sh\necho \"$@\" >> '") + log.toUtf8() +
                                           "'\n" + script.toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PALVENOR_AWD_CONVERTER", path.toUtf8());
    }
    frmSample* open() {
        frame.Kommandozeile = fax;
        frame.mnuOpen_Click();
        return frame.documents().Fenster(frame.documents().count());
    }
    QString calls() {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

}  // namespace

TEST(FaxFiles, AreConvertedOnceAndTheTiffCopyIsOpened) {
    FaxScene scene;
    const QString source = makeBook(scene.dir.path(), QStringLiteral("quelle.tif"), 2);
    scene.useConverter(QStringLiteral("cp '") + source + QStringLiteral("' \"$3\"\n"));
    const QString tiff = scene.dir.filePath(QStringLiteral("Fax.tif"));

    frmSample* window = scene.open();
    EXPECT_EQ(scene.calls(), QStringLiteral("/c ") + scene.fax + QLatin1Char(' ') + tiff + '\n');
    EXPECT_EQ(window->oleImgEdit1().Image(), tiff);
    EXPECT_EQ(window->oleImgEdit1().PageCount(), 2);
    EXPECT_TRUE(scene.prompter.shown().empty());

    // With the TIFF copy present, the converter is not started again.
    scene.open();
    EXPECT_EQ(scene.calls().count('\n'), 1);
    EXPECT_EQ(scene.frame.documents().Fenster(2)->oleImgEdit1().Image(), tiff);
}

TEST(FaxFiles, AMissingOrFailingConverterOpensNothingAndSaysWhy) {
    struct Case {
        const char* script;  // nullptr: no converter at all
        const char* message;
    } cases[] = {
        {nullptr, "Das Umwandlungsprogramm AWDVSTUB.EXE für Faxdateien wurde nicht gefunden.\n"
                  "Die Datei %1 kann nicht geöffnet werden."},
        {"exit 3\n", "Die Faxdatei %1 konnte nicht umgewandelt werden."},
        {"exit 0\n", "Die Faxdatei %1 konnte nicht umgewandelt werden."},  // leaves no TIFF
    };
    for (const Case& c : cases) {
        FaxScene scene;
        if (c.script)
            scene.useConverter(QString::fromUtf8(c.script));
        else
            qputenv("PALVENOR_AWD_CONVERTER", scene.dir.filePath(QStringLiteral("fehlt")).toUtf8());
        frmSample* window = scene.open();
        ASSERT_EQ(scene.prompter.shown().size(), 1u);
        EXPECT_EQ(scene.prompter.shown()[0].text, QString::fromUtf8(c.message).arg(scene.fax));
        EXPECT_TRUE(window->oleImgEdit1().Image().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(scene.dir.filePath(QStringLiteral("Fax.tif"))));
    }
}
