#include "Lexicon.h"
#include "OcrWindowScene.h"
#include "frmOCR.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace palvenor;
using namespace palvenor::ocr;

namespace {

const QString kNoLexicon = QStringLiteral("Keine gültige Abkürzungsdatei");

class Lexicon : public ::testing::Test, protected test::OcrWindowScene {
protected:
    Lexicon() { window.lexiconFolders = {user.path(), program.path()}; }

    static void writeLexicon(const QTemporaryDir& folder, const QByteArray& bytes) {
        QFile file(folder.filePath(QStringLiteral("Lexikon.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QString apply(const QString& text) {
        window.RTF0->setPlainText(text);
        ApplyLexicon(window);
        return window.RTF0->toPlainText();
    }

    QTemporaryDir user;
    QTemporaryDir program;
};

}  // namespace

TEST_F(Lexicon, ReplacesEveryOccurrenceFromTheVeryStartOn) {
    writeLexicon(program, "Hr.|Herr\r\n");
    EXPECT_EQ(apply("Hr. Meier und Hr. Müller, Hr."), "Herr Meier und Herr Müller, Herr");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(Lexicon, AppliesTheEntriesInFileOrderSoALaterOneSeesAnEarlierFullForm) {
    writeLexicon(program, "z.B.|zum Beispiel\r\nBeispiel|Exempel\r\n");
    EXPECT_EQ(apply("z.B. hier"), "zum Exempel hier");
    writeLexicon(program, "Beispiel|Exempel\r\nz.B.|zum Beispiel\r\n");
    EXPECT_EQ(apply("z.B. hier"), "zum Beispiel hier");
}

TEST_F(Lexicon, MatchesCaseSensitivelyAlsoInsideLongerWords) {
    writeLexicon(program, "usw|und so weiter");
    EXPECT_EQ(apply("usw. Usw kausw\nUSW usw"), "und so weiter. Usw kaund so weiter\nUSW und so weiter");
}

TEST_F(Lexicon, GoesOnBehindAFullFormThatHoldsItsAbbreviation) {
    writeLexicon(program, "a|aa\r\nSt.|St. (Sankt)\r\n");
    EXPECT_EQ(apply("a b a St. Ort"), "aa b aa St. (Sankt) Ort");
}

TEST_F(Lexicon, KeepsFurtherBarsInTheFullForm) {
    writeLexicon(program, "od.|oder|bzw.\r\n");
    EXPECT_EQ(apply("ja od. nein"), "ja oder|bzw. nein");
}

TEST_F(Lexicon, ReadsLinesEndingInEitherFormAndSkipsEmptyLines) {
    writeLexicon(program, "\r\nNr.|Nummer\n\nS.|Seite\r\n\r\nBd.|Band");
    EXPECT_EQ(apply("Bd. 2, S. 5, Nr. 1"), "Band 2, Seite 5, Nummer 1");
}

TEST_F(Lexicon, SkipsLinesWithoutBarAndEntriesWithoutAbbreviation) {
    writeLexicon(program, "Unsinn\r\n|leer\r\nNr.|Nummer\r\n");
    EXPECT_EQ(apply("Unsinn Nr. 1"), "Unsinn Nummer 1");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(Lexicon, ReadsUtf8AndTheOlderWindowsCodePage) {
    writeLexicon(program, "Str.|Stra\xC3\x9F" "e\r\n");
    EXPECT_EQ(apply("Str. 1"), QStringLiteral("Straße 1"));
    writeLexicon(program, "Str.|Stra\xDF" "e \x84gro\xDF\x93\r\n");
    EXPECT_EQ(apply("Str. 1"), QStringLiteral("Straße „groß“ 1"));
}

TEST_F(Lexicon, PrefersTheUsersLexiconToTheProgramsOne) {
    writeLexicon(program, "Nr.|Nummer (Programm)");
    EXPECT_EQ(apply("Nr. 1"), "Nummer (Programm) 1");
    writeLexicon(user, "Nr.|Nummer");
    EXPECT_EQ(apply("Nr. 1"), "Nummer 1");
}

TEST_F(Lexicon, WithoutAValidFileTellsTheUserAndKeepsTheText) {
    EXPECT_EQ(apply("Nr. 1"), "Nr. 1");
    writeLexicon(program, "");
    EXPECT_EQ(apply("Nr. 1"), "Nr. 1");
    writeLexicon(program, "Nr. Nummer\r\nS. Seite\r\n");
    EXPECT_EQ(apply("Nr. 1"), "Nr. 1");
    ASSERT_EQ(prompter.shown().size(), 3u);
    for (const auto& shown : prompter.shown()) {
        EXPECT_EQ(shown.text, kNoLexicon);
        EXPECT_EQ(shown.buttons, Prompter::Buttons::Ok);
        EXPECT_EQ(shown.icon, Prompter::Icon::None);
    }
}

TEST_F(Lexicon, TheFullFormTakesTheColourOfItsAbbreviation) {
    writeLexicon(program, "Hr.|Herr");
    window.RTF0->clear();
    QTextCursor cursor(window.RTF0->document());
    QTextCharFormat red;
    red.setForeground(QColor(Qt::red));
    QTextCharFormat black;
    black.setForeground(QColor(Qt::black));
    cursor.insertText(QStringLiteral("Guten Tag, "), black);
    cursor.insertText(QStringLiteral("Hr."), red);
    cursor.insertText(QStringLiteral(" Meier"), black);
    ApplyLexicon(window);
    EXPECT_EQ(window.RTF0->toPlainText(), "Guten Tag, Herr Meier");
    const auto colourAt = [&](int position) {
        QTextCursor at(window.RTF0->document());
        at.setPosition(position);
        return at.charFormat().foreground().color();
    };
    EXPECT_EQ(colourAt(11), QColor(Qt::black));  // behind ","
    for (int position = 12; position <= 15; ++position) EXPECT_EQ(colourAt(position), QColor(Qt::red));
    EXPECT_EQ(colourAt(17), QColor(Qt::black));  // behind " M"
}

TEST_F(Lexicon, ReadsLinesEndingInALoneCarriageReturn) {
    writeLexicon(program, "z.B.|zum Beispiel\rNr.|Nummer\r");
    EXPECT_EQ(apply("z.B. Nr. 1"), "zum Beispiel Nummer 1");
}

TEST_F(Lexicon, SkipsLinesHoldingANulByte) {
    writeLexicon(program, QByteArray("Nr.|Num\0mer\r\nS.|Seite\r\n", 23));
    EXPECT_EQ(apply("Nr. 1, S. 2"), "Nr. 1, Seite 2");
}

TEST_F(Lexicon, EntriesHoldingTheirAbbreviationGrowTheTextBoundedly) {
    QByteArray lexicon;
    for (int i = 0; i < 12; ++i) lexicon += "e|ee\r\n";
    writeLexicon(program, lexicon);
    const QString paragraph = QStringLiteral("Der Lehrer erzählte eine Geschichte über den See. ").repeated(20);
    const QString result = apply(paragraph);
    EXPECT_TRUE(result.startsWith(QStringLiteral("Deeee")));
    EXPECT_LE(result.size(), (paragraph.size() + 1) * lexicon.size() + 2);
}

TEST_F(Lexicon, APipeOrAnOversizedFileIsNoLexicon) {
    const QString path = program.filePath(QStringLiteral("Lexikon.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(apply("Nr. 1"), "Nr. 1");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, kNoLexicon);

    QFile::remove(path);
    writeLexicon(program, "Nr.|Nummer\r\n" + QByteArray((1 << 20), ' '));
    EXPECT_EQ(apply("Nr. 1"), "Nr. 1");
    EXPECT_EQ(prompter.shown().size(), 2u);
}
