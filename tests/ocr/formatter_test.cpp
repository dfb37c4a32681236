#include "FormatResults.h"
#include "OcrWindowScene.h"
#include "frmOCR.h"

#include <QFile>
#include <QFontMetricsF>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace palvenor;
using namespace palvenor::ocr;

namespace {

constexpr int kResolution300Dpi = 300 * 39;
constexpr float kSure = 0.95f;

// Results as the engine delivers them for a hand-written page: every
// character, space included, is an item 10 pixels wide and 20 high, placed
// one after the other; "\n" is a line end item and starts the next line 30
// pixels lower at the left edge, unless at() places the pen elsewhere.
class Page {
public:
    Page& add(const QString& text, float confidence = kSure) {
        for (QChar c : text) {
            if (c == u'\n') {
                item(kLineEnd, confidence, 0, 0);
                x_ = 0;
                y_ += 30;
            } else {
                item(int16_t(c.unicode()), confidence, 10, 20);
                x_ += 10;
            }
        }
        return *this;
    }
    Page& at(int x, int y) {
        x_ = x;
        y_ = y;
        return *this;
    }
    Page& code(uint8_t code) {
        item(code, kSure, 10, 20);
        x_ += 10;
        return *this;
    }
    Page& reversed() {  // every item so far with a negative width
        for (ResultsItem& i : results_.items) i.XDim = -10;
        return *this;
    }
    Results results() const { return results_; }

private:
    void item(int16_t code, float confidence, int16_t width, int16_t height) {
        ResultsItem i;
        i.OCRCha = code;
        i.Confidence = confidence;
        i.XPos = int16_t(x_);
        i.YPos = int16_t(y_);
        i.XDim = width;
        i.YDim = height;
        results_.items.push_back(i);
        results_.header.NumItems = int32_t(results_.items.size());
    }

    Results results_;
    int x_ = 0;
    int y_ = 0;
};

FormatOptions letters() {
    FormatOptions o;
    o.Format = false;
    o.Lexikon = false;
    return o;
}

FormatOptions flowingWords() {
    FormatOptions o;
    o.LeftMargin = false;
    o.Lexikon = false;
    return o;
}

FormatOptions placedWords() {
    FormatOptions o;
    o.Lexikon = false;
    return o;
}

// The text box's text with its red runs in «», other colours than black and
// red as {?...}.
QString colouredText(const QTextEdit& box) {
    QString out;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        if (block != box.document()->begin()) out += u'\n';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QColor colour = it.fragment().charFormat().foreground().color();
            const QString text = it.fragment().text();
            if (colour == QColor(Qt::red))
                out += u'«' + text + u'»';
            else if (colour == QColor(Qt::black))
                out += text;
            else
                out += QStringLiteral("{?") + text + u'}';
        }
    }
    return out.replace(QStringLiteral("»«"), QString());
}

class Formatter : public ::testing::Test, protected test::OcrWindowScene {
protected:
    QString format(const Page& page, const FormatOptions& options) {
        FormatResults(window, page.results(), options, kResolution300Dpi);
        return colouredText(*window.RTF0);
    }
    // The leading spaces of each line.
    std::vector<int> indents() const {
        std::vector<int> counts;
        for (const QString& line : window.RTF0->toPlainText().split(u'\n')) {
            int n = 0;
            while (n < line.size() && line[n] == u' ') ++n;
            counts.push_back(n);
        }
        return counts;
    }

};

}  // namespace

TEST_F(Formatter, LetterModeKeepsLineEndsAfterSentencesAndJoinsOtherLinesWithASpace) {
    const Page page = Page().add("Ende.\nnoch\nmehr 12\n(x)\nrufe!\nfrage?\nnun");
    EXPECT_EQ(format(page, letters()), "Ende.\nnoch mehr 12\n(x)\nrufe!\nfrage?\nnun");
    FormatOptions keepLines = letters();
    keepLines.Absatz = false;
    EXPECT_EQ(format(page, keepLines), "Ende.\nnoch\nmehr 12\n(x)\nrufe!\nfrage?\nnun");
}

TEST_F(Formatter, LetterModeJoinsAWordHyphenatedAtALineEndOnlyWhenMergingParagraphs) {
    const Page page = Page().add("Silben-\ntrennung, Ost-West und Ende-");
    EXPECT_EQ(format(page, letters()), "Silbentrennung, Ost-West und Ende");
    FormatOptions keepLines = letters();
    keepLines.Absatz = false;
    EXPECT_EQ(format(page, keepLines), "Silben-\ntrennung, Ost-West und Ende-");
}

TEST_F(Formatter, ALineEndHyphenBeforeACapitalOrADigitStaysAndJoinsTheCompound) {
    const Page page = Page().add("Die Garten-\nAusstellungen der Jahre 1870-\n1871 und Silben-\ntrennung");
    EXPECT_EQ(format(page, letters()), "Die Garten-Ausstellungen der Jahre 1870-1871 und Silbentrennung");
    EXPECT_EQ(format(page, flowingWords()), "Die Garten-Ausstellungen der Jahre 1870-1871 und Silbentrennung ");
}

TEST_F(Formatter, ALineEndHyphenBeforeAConjunctionStaysAndTheLinesJoinWithASpace) {
    const Page page = Page().add("Ein-\nund Ausgang, Vor-\noder Nachsatz, Montag-\nbis Freitag, Haus-\nsowie Gartentür");
    const QString expected =
        "Ein- und Ausgang, Vor- oder Nachsatz, Montag- bis Freitag, Haus- sowie Gartentür";
    EXPECT_EQ(format(page, letters()), expected);
    EXPECT_EQ(format(page, flowingWords()), expected + u' ');
}

TEST_F(Formatter, AConjunctionOnlyKeepsTheHyphenAsAWholeWord) {
    const Page page = Page().add("Hin-\nunder und Sonder-\nbis, Geh-\nweg");
    EXPECT_EQ(format(page, letters()), "Hinunder und Sonder- bis, Gehweg");
}

TEST_F(Formatter, LetterModeShowsCharactersBelowTheThresholdInRedButNotThoseOfNoConfidence) {
    const Page page = Page().add("a", 0.5f).add("b", 0.0f).add("c", 0.8f).add("d", 0.79f).add("e");
    EXPECT_EQ(format(page, letters()), "«a»bc«d»e");
    FormatOptions lower = letters();
    lower.Schwelle = 0.4f;
    EXPECT_EQ(format(page, lower), "abcde");
}

TEST_F(Formatter, UnifiesBracketsInBothModesOnlyWhenAsked) {
    const Page page = Page().add("[a] {b} (c)");
    EXPECT_EQ(format(page, letters()), "(a) (b) (c)");
    EXPECT_EQ(format(page, flowingWords()), "(a) (b) (c)");
    FormatOptions asRecognised = letters();
    asRecognised.Klammern = false;
    EXPECT_EQ(format(page, asRecognised), "[a] {b} (c)");
}

TEST_F(Formatter, ReadsTheCharactersInTheWindowsCodePage) {
    const Page page = Page()
                          .code(0x84).add("Zitat").code(0x93)
                          .add(" kostet 5 ").code(0x80)
                          .add(" Stra").code(0xDF).add("e.");
    EXPECT_EQ(format(page, letters()), QStringLiteral("„Zitat“ kostet 5 € Straße."));
    EXPECT_EQ(format(page, flowingWords()), QStringLiteral("„Zitat“ kostet 5 € Straße."));
}

TEST_F(Formatter, WordModeHyphenatesNumberWordsButNotAtTheLastTwoItems) {
    const Page page = Page().add("ein 3fach 2te 12 3. x3f");
    FormatOptions words = flowingWords();
    words.Absatz = false;
    EXPECT_EQ(format(page, words), "ein 3-fach 2-te 12 3. x3f");
    EXPECT_EQ(format(page, letters()), "ein 3fach 2te 12 3. x3f");
    FormatOptions asRecognised = words;
    asRecognised.Zahlwort = false;
    EXPECT_EQ(format(page, asRecognised), "ein 3fach 2te 12 3. x3f");
}

TEST_F(Formatter, FlowingWordsAreOneSpaceApartWithoutIndentOrBlankLines) {
    FormatOptions keepLines = flowingWords();
    keepLines.Absatz = false;
    const Page page =
        Page().add("Ein   Wort\n").at(200, 30).add("eingerückt\n").at(0, 400).add("nach  Lücke\n\n\nEnde.");
    EXPECT_EQ(format(page, keepLines), QStringLiteral("Ein Wort\neingerückt\nnach Lücke\nEnde."));
    EXPECT_EQ(format(page, flowingWords()), QStringLiteral("Ein Wort eingerückt nach Lücke Ende."));
}

// The last line, not ending a sentence, keeps the space that would join it
// to a next one.
TEST_F(Formatter, WordModeMergesLinesIntoParagraphsUpToTheEndOfASentence) {
    const Page page = Page().add("Der Satz\ngeht weiter.\nNeuer Satz (kurz)\nSeite 12\nletzte Zeile");
    EXPECT_EQ(format(page, flowingWords()),
              "Der Satz geht weiter.\nNeuer Satz (kurz)\nSeite 12\nletzte Zeile ");
    EXPECT_EQ(format(page, placedWords()),
              "Der Satz geht weiter.\nNeuer Satz (kurz)\nSeite 12\nletzte Zeile ");
}

TEST_F(Formatter, WordModeJoinsAWordHyphenatedAtALineEndOnlyWhenMergingParagraphs) {
    const Page page = Page().add("Die Silben-\ntrennung ist\nschwer.");
    EXPECT_EQ(format(page, flowingWords()), "Die Silbentrennung ist schwer.");
    FormatOptions keepLines = flowingWords();
    keepLines.Absatz = false;
    EXPECT_EQ(format(page, keepLines), "Die Silben-\ntrennung ist\nschwer.");

    const Page twoLines = Page().add("Die Silben-\ntrennung.");
    EXPECT_EQ(format(twoLines, placedWords()), "Die Silbentrennung.");
    keepLines = placedWords();
    keepLines.Absatz = false;
    EXPECT_EQ(format(twoLines, keepLines), "Die Silben-\ntrennung.");
}

TEST_F(Formatter, WordModeShowsAWordWithAnUncertainCharacterInRed) {
    const Page page =
        Page().add("gut un").add("s", 0.5f).add("icher ").add("null", 0.0f).add(" ").add("x", 0.3f).add("y.");
    EXPECT_EQ(format(page, flowingWords()), "gut «unsicher» null «xy.»");
    EXPECT_EQ(format(page, placedWords()), "gut «unsicher» null «xy.»");
}

TEST_F(Formatter, TypingBehindARedWordIsBlack) {
    format(Page().add("gut ").add("rot", 0.5f), letters());
    QTest::keyClicks(window.RTF0, QStringLiteral("x"));
    EXPECT_EQ(colouredText(*window.RTF0), "gut «rot»x");
}

TEST_F(Formatter, ReplacesTheTextUnlessAppendingAndLeavesTheCaretBehindIt) {
    window.RTF0->setPlainText(QStringLiteral("Alt"));
    window.AppendNext = false;
    EXPECT_EQ(format(Page().add("Neu.\n"), flowingWords()), "Neu.");
    EXPECT_FALSE(window.AppendNext);

    window.AppendNext = true;
    EXPECT_EQ(format(Page().add("Mehr.\n"), placedWords()), "Neu.\nMehr.");
    EXPECT_EQ(format(Page().add("Rest").add("?", 0.5f).add("\n"), letters()), "Neu.\nMehr.\nRest«?»\n");
    EXPECT_TRUE(window.AppendNext);
    EXPECT_EQ(window.RTF0->textCursor().position(), window.RTF0->document()->characterCount() - 1);
}

TEST_F(Formatter, OnlyTheUsersEditsMarkTheTextAsEdited) {
    format(Page().add("Text"), flowingWords());
    EXPECT_FALSE(window.AppendNext);
    QTest::keyClicks(window.RTF0, QStringLiteral("x"));
    EXPECT_TRUE(window.AppendNext);
}

TEST_F(Formatter, TakesTheItemCountFromTheHeaderAndLeavesTheTextWithoutItems) {
    window.RTF0->setPlainText(QStringLiteral("bleibt"));
    window.AppendNext = false;
    Results results = Page().add("abcdef").results();
    results.header.NumItems = 0;
    FormatResults(window, results, letters(), kResolution300Dpi);
    EXPECT_EQ(window.RTF0->toPlainText(), "bleibt");

    results.header.NumItems = 3;
    FormatResults(window, results, letters(), kResolution300Dpi);
    EXPECT_EQ(window.RTF0->toPlainText(), "abc");
    results.header.NumItems = 99;
    FormatResults(window, results, letters(), kResolution300Dpi);
    EXPECT_EQ(window.RTF0->toPlainText(), "abcdef");
}

TEST_F(Formatter, PlacedWordsIndentLinesAsOnThePage) {
    FormatOptions keepLines = placedWords();
    keepLines.Absatz = false;
    const Page page = Page()
                          .add("Links bündig\n")
                          .at(300, 30).add("Einzug\n")
                          .at(600, 60).add("Doppelt\n")
                          .add("Wieder links");
    format(page, keepLines);
    EXPECT_EQ(window.RTF0->toPlainText().simplified(),
              QStringLiteral("Links bündig Einzug Doppelt Wieder links"));
    const std::vector<int> spaces = indents();
    ASSERT_EQ(spaces.size(), 4u);
    EXPECT_EQ(spaces[0], 0);
    EXPECT_GT(spaces[1], 0);
    EXPECT_NEAR(spaces[2], 2 * spaces[1], 2);
    EXPECT_EQ(spaces[3], 0);
}

TEST_F(Formatter, PlacedWordsLineUpInColumns) {
    FormatOptions keepLines = placedWords();
    keepLines.Absatz = false;
    const Page page = Page()
                          .add("Einleitung ").at(500, 0).add("7\n")
                          .add("Ende ").at(500, 30).add("95\n")
                          .add("Ein Wort");
    format(page, keepLines);
    const QStringList lines = window.RTF0->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], "Ein Wort");
    const QFontMetricsF metrics(window.RTF0->document()->defaultFont(), window.RTF0);
    const double column1 = metrics.horizontalAdvance(lines[0].chopped(1));
    const double column2 = metrics.horizontalAdvance(lines[1].chopped(2));
    EXPECT_TRUE(lines[0].startsWith("Einleitung  "));
    EXPECT_TRUE(lines[1].startsWith("Ende  "));
    EXPECT_NEAR(column1, column2, metrics.horizontalAdvance(u' ') + 1);
}

// Lines 20 pixels high give a paragraph gap of 30 pixels and a line step of
// 22 pixels, whatever the display font.
TEST_F(Formatter, PlacedWordsTurnAHighGapIntoBlankLinesOnePerLineStep) {
    FormatOptions keepLines = placedWords();
    keepLines.Absatz = false;
    const Page page = Page()
                          .add("Erste Zeile.\n")
                          .add("Zweite Zeile.\n")
                          .at(0, 30 + 20 + 100).add("Nach Lücke.\n")
                          .add("Letzte Zeile.");
    EXPECT_EQ(format(page, keepLines),
              QStringLiteral("Erste Zeile.\nZweite Zeile.\n\n\n\n\nNach Lücke.\nLetzte Zeile."));
    keepLines.CollapseY = true;
    EXPECT_EQ(format(page, keepLines),
              QStringLiteral("Erste Zeile.\nZweite Zeile.\n\nNach Lücke.\nLetzte Zeile."));
    EXPECT_EQ(format(page, flowingWords()),
              QStringLiteral("Erste Zeile.\nZweite Zeile.\nNach Lücke.\nLetzte Zeile."));
}

TEST_F(Formatter, PlacedWordsStartBelowTheSpaceAboveTheFirstLine) {
    const Page high = Page().at(0, 50).add("Oben. Text.");
    EXPECT_EQ(format(high, placedWords()), "\n\n\nOben. Text.");
    FormatOptions collapsed = placedWords();
    collapsed.CollapseY = true;
    EXPECT_EQ(format(high, collapsed), "Oben. Text.");
    EXPECT_EQ(format(Page().at(0, 25).add("Oben. Text."), placedWords()), "Oben. Text.");
}

TEST_F(Formatter, FallsBackToLetterModeWhenTheWordBoxesAreReversed) {
    const Page page = Page().add("a  bc\nd.").reversed();
    EXPECT_EQ(format(page, placedWords()), "a  bc d.");
    EXPECT_EQ(format(page, flowingWords()), "a bc d.");
}

TEST_F(Formatter, EndsWithTheUsersLexiconWhenAsked) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath("Lexikon.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Nr.|Nummer\r\n");
    file.close();
    window.lexiconFolders = {folder.path(), QString()};
    FormatOptions options = flowingWords();
    options.Lexikon = true;
    EXPECT_EQ(format(Page().add("Nr. 5"), options), "Nummer 5");
    EXPECT_FALSE(window.AppendNext);
    EXPECT_TRUE(prompter.shown().empty());

    window.lexiconFolders = {};
    EXPECT_EQ(format(Page().add("Nr. 5"), options), "Nr. 5");
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("Keine gültige Abkürzungsdatei")});
}
