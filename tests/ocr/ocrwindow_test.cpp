#include "FileOwnership.h"
#include "FormatResults.h"
#include "OcrJob.h"
#include "ScriptedPrompter.h"
#include "frmOCR.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QMenu>
#include <QContextMenuEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QUrl>
#include <QWindow>

#include <gtest/gtest.h>

using namespace palvenor;
using namespace palvenor::ocr;

namespace {

const QString kConfirmation = QStringLiteral("Änderungen gehen verloren! Fortsetzen?");

// A recognised page: every character an item 10 pixels wide and 20 high,
// "\n" a line end that starts the next line 30 pixels lower.
Results pageOf(const QString& text) {
    Results results;
    int x = 0;
    int y = 0;
    for (QChar c : text) {
        ResultsItem item;
        item.Confidence = 0.95f;
        item.XPos = int16_t(x);
        item.YPos = int16_t(y);
        if (c == u'\n') {
            item.OCRCha = kLineEnd;
            x = 0;
            y += 30;
        } else {
            item.OCRCha = int16_t(c.unicode());
            item.XDim = 10;
            item.YDim = 20;
            x += 10;
        }
        results.items.push_back(item);
    }
    results.header.NumItems = int32_t(results.items.size());
    return results;
}

class OcrWindow : public ::testing::Test {
protected:
    OcrWindow() {
        formatOptions = FormatOptions{};
        formatOptions.Lexikon = false;
        formatOptions.ResolutionFactor = 300 * 39;
        configuredJob = JobInfo{};
        window = std::make_unique<frmOCR>(prompter, OcrSettingsStore::iniFile(dir.filePath("ocr.ini")));
        window->lastResults = pageOf(QStringLiteral("Ende.\nnoch [a]\n3fach"));
        window->reformat();
        window->AppendNext = false;
    }

    QAction* action(const char* name) const { return window->findChild<QAction*>(name); }
    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(name); }
    QString text() const { return window->RTF0->toPlainText(); }

    // The text a fresh window shows for the same results and options.
    QString expectedText() const {
        test::ScriptedPrompter quiet;
        frmOCR fresh(quiet, OcrSettingsStore::iniFile(dir.filePath("fresh.ini")));
        FormatResults(fresh, window->lastResults, formatOptions, 300 * 39);
        return fresh.RTF0->toPlainText();
    }

    void editByHand() {
        window->RTF0->moveCursor(QTextCursor::End);
        window->RTF0->insertPlainText(QStringLiteral(" von Hand"));
    }

    QTemporaryDir dir;
    test::ScriptedPrompter prompter;
    std::unique_ptr<frmOCR> window;
};

struct Toggle {
    const char* menu;
    bool FormatOptions::*option;
    bool checkedMeansOption;  // false: the check mark shows the option's negation
};

const Toggle kToggles[] = {
    {"mnuRand", &FormatOptions::LeftMargin, true},
    {"mnuZeilen", &FormatOptions::CollapseY, false},
    {"mnuAbsatz", &FormatOptions::Absatz, true},
    {"mnuKlammern", &FormatOptions::Klammern, true},
    {"mnuZahlwort", &FormatOptions::Zahlwort, true},
};

}  // namespace

TEST_F(OcrWindow, ShowsTheMenusButtonsAndCheckMarksOfTheDefaults) {
    EXPECT_EQ(action("mnuFileSave")->text(), "&Speichern ...");
    EXPECT_EQ(action("mnuFileExit")->text(), "OCR Be&enden");
    EXPECT_EQ(action("mnuOptionsResultsFont")->text(), "&Zeichensatz ...");
    EXPECT_EQ(action("mnuSchwelle")->text(), "&Schwellenwert für Fehleranzeige 80%");
    EXPECT_EQ(action("mnuKlammern")->text(), "&Klammern umwandeln [ { -> (");
    EXPECT_EQ(action("mnuZahlwort")->text(), "&Zahlwort umwandeln 3fach -> 3-fach");
    for (const char* name : {"mnuWort", "mnuRand", "mnuZeilen", "mnuAbsatz", "mnuKlammern", "mnuZahlwort"})
        EXPECT_TRUE(action(name)->isChecked()) << name;
    EXPECT_FALSE(action("mnuBuchstaben")->isChecked());
    EXPECT_FALSE(action("mnuLex")->isChecked());
    EXPECT_EQ(button("cCopy")->text(), "&Kopieren");
    EXPECT_EQ(button("cEnde")->text(), "&Schließen");
    EXPECT_EQ(button("cAbbruch")->text(), "&Verbergen");
    EXPECT_EQ(button("cNeu")->text(), "&Neu");
    EXPECT_EQ(button("cPlus")->text(), "&Anfügen");
    EXPECT_EQ(button("cMaennchen")->text(), QString(QChar(0x2642)));
    EXPECT_EQ(button("cWeibchen2")->text(), QString(QChar(0x2640)));
}

TEST_F(OcrWindow, EachToggleChangesItsOptionAndCheckMarkAndFormatsTheSameResultsAnew) {
    for (const Toggle& toggle : kToggles) {
        const bool before = formatOptions.*toggle.option;
        action(toggle.menu)->trigger();
        EXPECT_EQ(formatOptions.*toggle.option, !before) << toggle.menu;
        EXPECT_EQ(action(toggle.menu)->isChecked(), toggle.checkedMeansOption ? !before : before) << toggle.menu;
        EXPECT_EQ(text(), expectedText()) << toggle.menu;
        EXPECT_FALSE(window->AppendNext) << toggle.menu;
        EXPECT_TRUE(prompter.shown().empty()) << toggle.menu;
    }
}

TEST_F(OcrWindow, BracketAndNumberWordTogglesShowInTheText) {
    EXPECT_EQ(text(), "Ende.\nnoch (a)\n3-fach ");
    action("mnuKlammern")->trigger();
    EXPECT_EQ(text(), "Ende.\nnoch [a] 3-fach ");
    action("mnuZahlwort")->trigger();
    EXPECT_EQ(text(), "Ende.\nnoch [a] 3fach ");
}

TEST_F(OcrWindow, AToggleAfterAnEditAsksAndANoKeepsTheTextButNotTheOldOption) {
    for (const Toggle& toggle : kToggles) {
        editByHand();
        const QString edited = text();
        const bool before = formatOptions.*toggle.option;
        prompter.clear();
        prompter.answer(Prompter::Answer::No);
        action(toggle.menu)->trigger();
        ASSERT_EQ(prompter.shown().size(), 1u) << toggle.menu;
        EXPECT_EQ(prompter.shown()[0].text, kConfirmation);
        EXPECT_EQ(prompter.shown()[0].buttons, Prompter::Buttons::YesNo);
        EXPECT_EQ(prompter.shown()[0].icon, Prompter::Icon::Exclamation);
        EXPECT_EQ(text(), edited) << toggle.menu;
        EXPECT_EQ(formatOptions.*toggle.option, !before) << toggle.menu;
        EXPECT_TRUE(window->AppendNext) << toggle.menu;
    }
}

TEST_F(OcrWindow, AToggleAfterAnEditAnsweredYesReplacesTheText) {
    for (const Toggle& toggle : kToggles) {
        editByHand();
        prompter.answer(Prompter::Answer::Yes);
        action(toggle.menu)->trigger();
        EXPECT_EQ(text(), expectedText()) << toggle.menu;
        EXPECT_FALSE(window->AppendNext) << toggle.menu;
    }
}

TEST_F(OcrWindow, LetterModeDisablesMarginAndBlankLinesAndWordModeEnablesThem) {
    action("mnuBuchstaben")->trigger();
    EXPECT_FALSE(formatOptions.Format);
    EXPECT_TRUE(action("mnuBuchstaben")->isChecked());
    EXPECT_FALSE(action("mnuWort")->isChecked());
    EXPECT_FALSE(action("mnuRand")->isEnabled());
    EXPECT_FALSE(action("mnuZeilen")->isEnabled());
    EXPECT_EQ(text(), expectedText());
    EXPECT_FALSE(window->AppendNext);

    action("mnuWort")->trigger();
    EXPECT_TRUE(formatOptions.Format);
    EXPECT_TRUE(action("mnuWort")->isChecked());
    EXPECT_FALSE(action("mnuBuchstaben")->isChecked());
    EXPECT_TRUE(action("mnuRand")->isEnabled());
    EXPECT_TRUE(action("mnuZeilen")->isEnabled());
    EXPECT_EQ(text(), expectedText());
}

TEST_F(OcrWindow, TheLexiconToggleKeepsTheTextAndOnlyClearsAppendNextWhenConfirmed) {
    editByHand();
    const QString edited = text();
    prompter.answer(Prompter::Answer::No);
    action("mnuLex")->trigger();
    EXPECT_TRUE(formatOptions.Lexikon);
    EXPECT_TRUE(action("mnuLex")->isChecked());
    EXPECT_TRUE(window->AppendNext);

    prompter.answer(Prompter::Answer::Yes);
    action("mnuLex")->trigger();
    EXPECT_FALSE(formatOptions.Lexikon);
    EXPECT_FALSE(action("mnuLex")->isChecked());
    EXPECT_EQ(text(), edited);
    EXPECT_FALSE(window->AppendNext);
}

TEST_F(OcrWindow, TheThresholdEntryTakesPercentsAndRefusesOtherEntries) {
    prompter.answerInput(QStringLiteral("65"));
    action("mnuSchwelle")->trigger();
    EXPECT_FLOAT_EQ(formatOptions.Schwelle, 0.65f);
    EXPECT_EQ(action("mnuSchwelle")->text(), "&Schwellenwert für Fehleranzeige 65%");
    EXPECT_EQ(prompter.shown()[0].text, "Minimale Erkennungswahrscheinlichkeit in % eingeben");
    EXPECT_EQ(prompter.shown()[0].title, "Schwellenwert für Fehleranzeige");

    for (const char* bad : {"viel", "101", "-1"}) {
        prompter.clear();
        prompter.answerInput(QString::fromUtf8(bad));
        action("mnuSchwelle")->trigger();
        EXPECT_FLOAT_EQ(formatOptions.Schwelle, 0.65f) << bad;
        ASSERT_EQ(prompter.shown().size(), 2u) << bad;
        EXPECT_EQ(prompter.shown()[1].text, "Bitte eine Zahl von 0 bis 100 eingeben.");
    }

    prompter.answerInput(std::nullopt);
    action("mnuSchwelle")->trigger();
    EXPECT_FLOAT_EQ(formatOptions.Schwelle, 0.65f);
    EXPECT_EQ(text(), expectedText());
}

TEST_F(OcrWindow, SavesThePlainTextAsUtf8AndRemembersTheFolder) {
    window->RTF0->insertPlainText(QString(QChar(0x2642)));
    const QString path = dir.filePath("text.txt");
    prompter.answerFile(path);
    action("mnuFileSave")->trigger();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), text());
    EXPECT_TRUE(text().contains(u'\n'));
    EXPECT_EQ(prompter.shown()[0].title, "Text speichern");
    EXPECT_EQ(window->resultsFolder, dir.path());
}

TEST_F(OcrWindow, ATextSavedOverAnOldOneKeepsItsModeAndOwner) {
    const QString path = dir.filePath("text.txt");
    test::writeOldFile(path);
    const test::Ownership given = test::giveAway(path);
    prompter.answerFile(path);
    action("mnuFileSave")->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u) << "no failure is told";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), text());
    EXPECT_EQ(test::ownershipOf(path), given);
}

TEST_F(OcrWindow, AFailedSaveSaysSoAndKeepsTheFolder) {
    const QString folder = window->resultsFolder;
    prompter.answerFile(dir.filePath("fehlt/text.txt"));
    action("mnuFileSave")->trigger();
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_TRUE(prompter.shown()[1].text.startsWith("Der Text konnte nicht gespeichert werden:"));
    EXPECT_EQ(window->resultsFolder, folder);
}

TEST_F(OcrWindow, SymbolButtonsInsertTheMaleAndFemaleSigns) {
    window->RTF0->clear();
    button("cMaennchen")->click();
    button("cWeibchen")->click();
    button("cMaennchen2")->click();
    button("cWeibchen2")->click();
    EXPECT_EQ(text(), QStringLiteral("\u2642\u2640\u2642\u2640"));
}

TEST_F(OcrWindow, TheSymbolButtonsSayWhatTheyInsert) {
    for (const char* name : {"cMaennchen", "cMaennchen2"})
        EXPECT_EQ(button(name)->toolTip(), QStringLiteral("Männchen-Zeichen \u2642 einfügen")) << name;
    for (const char* name : {"cWeibchen", "cWeibchen2"})
        EXPECT_EQ(button(name)->toolTip(), QStringLiteral("Weibchen-Zeichen \u2640 einfügen")) << name;
}

TEST_F(OcrWindow, ARightClickInTheTextOpensThePopUpMenuOfTheSymbols) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto* popup = window->findChild<QMenu*>(QStringLiteral("mnuPopup1"));
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(popup->isVisible());
    QWidget* textArea = window->RTF0->viewport();
    const QPoint at(20, 10);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, textArea->mapToGlobal(at));
    QApplication::sendEvent(textArea, &rightClick);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->actions(), (QList<QAction*>{action("mnuMann"), action("mnuWeib")}));
    EXPECT_EQ(action("mnuMann")->text(), QStringLiteral("&Männchen \u2642"));
    EXPECT_EQ(action("mnuWeib")->text(), QStringLiteral("&Weibchen \u2640"));
    popup->close();

    window->RTF0->clear();
    action("mnuWeib")->trigger();
    action("mnuMann")->trigger();
    EXPECT_EQ(text(), QStringLiteral("\u2640\u2642"));
}

TEST_F(OcrWindow, CopyTakesTheSelectionOrElseAllText) {
    button("cCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), text());
    QTextCursor cursor = window->RTF0->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    window->RTF0->setTextCursor(cursor);
    button("cCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "Ende");
}

TEST_F(OcrWindow, HideSetsAppendNextAndCloseCopiesAndClearsIt) {
    window->show();
    button("cAbbruch")->click();
    EXPECT_TRUE(window->AppendNext);
    EXPECT_FALSE(window->isVisible());

    window->show();
    const QString shown = text();
    button("cEnde")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), shown);
    EXPECT_FALSE(window->AppendNext);
    EXPECT_TRUE(QFile::exists(dir.filePath("ocr.ini")));
}

TEST_F(OcrWindow, QuitUnloadsTheWindowAndLeavesTheClipboardAlone) {
    QApplication::clipboard()->setText(QStringLiteral("vorher kopiert"));
    window->show();
    editByHand();
    action("mnuFileExit")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "vorher kopiert");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(text().isEmpty());
    EXPECT_FALSE(window->AppendNext);
    EXPECT_TRUE(QFile::exists(dir.filePath("ocr.ini")));
}

TEST_F(OcrWindow, NewAsksAfterAnEditAndAppendRunsTheOcrCommandWithAppendNext) {
    std::vector<bool> appendNextSeen;
    window->runOcrCommand = [&] { appendNextSeen.push_back(window->AppendNext); };
    editByHand();
    prompter.answer(Prompter::Answer::No);
    button("cNeu")->click();
    EXPECT_TRUE(appendNextSeen.empty());
    EXPECT_TRUE(window->AppendNext);

    prompter.answer(Prompter::Answer::Yes);
    button("cNeu")->click();
    button("cPlus")->click();
    EXPECT_EQ(appendNextSeen, (std::vector<bool>{false, true}));
    EXPECT_EQ(window->RTF0->textCursor().position(), text().size());
}

TEST_F(OcrWindow, TheFontChosenInTheDialogIsAppliedToTheText) {
    prompter.onDialog([](QDialog& dialog) {
        auto& fonts = static_cast<QFontDialog&>(dialog);
        QFont font = fonts.currentFont();
        font.setPointSize(23);
        fonts.setCurrentFont(font);
        fonts.accept();
        return int(QDialog::Accepted);
    });
    action("mnuOptionsResultsFont")->trigger();
    EXPECT_EQ(window->RTF0->font().pointSize(), 23);
}

TEST_F(OcrWindow, TypingBehindARedWordIsBlack) {
    window->RTF0->clear();
    window->RTF0->setTextColor(Qt::red);
    window->RTF0->insertPlainText(QStringLiteral("rot"));
    QTest::keyClicks(window->RTF0, QStringLiteral("x"));
    EXPECT_EQ(text(), "rotx");
    EXPECT_EQ(window->RTF0->textColor(), QColor(Qt::black));
    EXPECT_TRUE(window->AppendNext);
}

TEST_F(OcrWindow, ActivationMakesTheWindowTopmostAndItsOwnBoxesReleaseIt) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_TRUE(window->isTopmost());
    EXPECT_TRUE(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));

    std::vector<bool> topmostWhileOpen;
    prompter.whileShown = [&](const test::ScriptedPrompter::Shown&) {
        topmostWhileOpen.push_back(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    };
    action("mnuOptionsProcess")->trigger();
    action("mnuHelpAbout")->trigger();
    EXPECT_EQ(topmostWhileOpen, (std::vector<bool>{false, false}));
    EXPECT_TRUE(window->isTopmost());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(OcrWindow, InfoShowsTheProgramTitleAndVersion) {
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    action("mnuHelpAbout")->trigger();
    QCoreApplication::setApplicationVersion(QString());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Palvenor\nVersion 1.0"));
    EXPECT_EQ(prompter.shown()[0].title, QStringLiteral("Info"));
}

TEST_F(OcrWindow, ContentsOpensTheHelpPageInTheBrowserOrSaysWhyNot) {
    std::vector<QUrl> opened;
    bool browserStarts = true;
    window->openInBrowser = [&](const QUrl& url) {
        opened.push_back(url);
        return browserStarts;
    };
    window->helpFile = dir.filePath(QStringLiteral("Hilfe.html"));
    action("mnuHelpTopics")->trigger();
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text,
              QStringLiteral("Die Hilfe %1 wurde nicht gefunden.").arg(QDir::toNativeSeparators(window->helpFile)));

    QFile page(window->helpFile);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    prompter.clear();
    action("mnuHelpTopics")->trigger();
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(window->helpFile)});
    EXPECT_TRUE(prompter.shown().empty());

    browserStarts = false;
    action("mnuHelpTopics")->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Die Hilfe %1 konnte nicht im Browser geöffnet werden.")
                                            .arg(QDir::toNativeSeparators(window->helpFile)));
    EXPECT_EQ(prompter.shown()[0].icon, Prompter::Icon::Critical);
}

TEST_F(OcrWindow, TheShippedHelpPageIsBesideTheProgram) {
    const QString shipped = QFileInfo(QStringLiteral(PALVENOR_EXECUTABLE)).dir().filePath(QStringLiteral("Hilfe.html"));
    QFile page(shipped);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << shipped.toStdString();
    const QString html = QString::fromUtf8(page.readAll());
    for (const char* section : {"id=\"inhalt\"", "Texterkennung", "OCR Optionen", "Verbergen", "Lexikon.txt"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(section))) << section;
}
