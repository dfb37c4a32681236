#include "IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using palvenor::IniFile;
using palvenor::kHandOverKey;
using palvenor::kHandOverSection;

TEST(IniFile, ValuesRoundTripThroughTheFileAndSeparateInstancesSeeThem) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvenor.ini"));
    IniFile writer(path);
    IniFile reader(path);
    EXPECT_EQ(reader.IniLesen(kHandOverSection, kHandOverKey, QStringLiteral("leer")),
              QStringLiteral("leer"));
    const QString requests[] = {QStringLiteral("/home/a/buch.tif/12"),
                                QStringLiteral("\"/home/a/mit Leer, Komma; und = Zeichen.tif\"/3"),
                                QStringLiteral("C:\\Bücher\\band.tif"), QStringLiteral("aktiv"),
                                QString()};
    for (const QString& request : requests) {
        writer.IniSchreiben(kHandOverSection, kHandOverKey, request);
        EXPECT_EQ(reader.IniLesen(kHandOverSection, kHandOverKey, QStringLiteral("x")), request);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("[velsta]"));
}

TEST(IniFile, ReadsAreCutToTheBufferOf2048Characters) {
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("Palvenor.ini")));
    for (int length : {2047, 2048, 100000}) {
        ini.IniSchreiben(kHandOverSection, kHandOverKey, QString(length, QLatin1Char('a')));
        EXPECT_EQ(ini.IniLesen(kHandOverSection, kHandOverKey, QString()).size(), 2047) << length;
    }
}

TEST(IniFile, HandEditedValuesWithCommasAndBrokenLinesAreReadAsText) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvenor.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[velsta]\nPalvenor=/a/b.tif, /c.tif\nkaputt\n=ohne Schluessel\n");
    file.close();
    IniFile ini(path);
    EXPECT_EQ(ini.IniLesen(kHandOverSection, kHandOverKey, QString()),
              QStringLiteral("/a/b.tif, /c.tif"));
}
