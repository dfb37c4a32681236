#include "CharacterGrid.h"
#include "CharacterGridView.h"
#include "OcrJob.h"
#include "ScriptedPrompter.h"
#include "frmOCR.h"
#include "frmProcessOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace palvenor;
using namespace palvenor::ocr;

namespace {

constexpr int kCellWidth = CharacterGridView::kCellWidth;
constexpr int kCellHeight = CharacterGridView::kCellHeight;

QPoint middleOf(int code) {
    const int index = code - CharacterGrid::kFirstCode;
    return {index % 32 * kCellWidth + kCellWidth / 2, index / 32 * kCellHeight + kCellHeight / 2};
}

class ProcessOptionsDialog : public ::testing::Test {
protected:
    ProcessOptionsDialog() { configuredJob = JobInfo{}; }
    ~ProcessOptionsDialog() override { configuredJob = JobInfo{}; }

    std::unique_ptr<frmProcessOptions> open() { return std::make_unique<frmProcessOptions>(configuredJob); }

    static QCheckBox* box(QDialog& dialog, const char* name) { return dialog.findChild<QCheckBox*>(name); }
    static void click(QDialog& dialog, const char* name) { dialog.findChild<QAbstractButton*>(name)->click(); }
    static QWidget* grid(QDialog& dialog) { return dialog.findChild<QWidget*>("picCharacters"); }
    static void rightClick(QDialog& dialog, QPoint at) { QTest::mouseClick(grid(dialog), Qt::RightButton, {}, at); }

    static std::map<QString, Qt::CheckState> groupStates(QDialog& dialog) {
        std::map<QString, Qt::CheckState> states;
        for (const char* name : {"chkEnableAll", "chkEnableLwcAlpha", "chkEnableUpcAlpha", "chkEnableNumeric",
                                 "chkEnableLwcAccent", "chkEnableUpcAccent"})
            states[QString::fromLatin1(name)] = box(dialog, name)->checkState();
        return states;
    }
    static std::map<QString, Qt::CheckState> allGroups(Qt::CheckState state) {
        return {{"chkEnableAll", state},       {"chkEnableLwcAlpha", state},  {"chkEnableUpcAlpha", state},
                {"chkEnableNumeric", state},   {"chkEnableLwcAccent", state}, {"chkEnableUpcAccent", state}};
    }
};

}  // namespace

TEST(CharacterGrid, OnlyTheCodesOutsideTheExcludedListAreSelectable) {
    for (int code : {31, 32, 96, 127, 129, 133, 141, 153, 155, 157, 160, 166, 173, 180, 185, 186, 256})
        EXPECT_FALSE(isSelectableCode(code)) << code;
    for (int code : {33, 65, 95, 97, 126, 128, 134, 138, 154, 156, 158, 159, 161, 187, 192, 223, 255})
        EXPECT_TRUE(isSelectableCode(code)) << code;
}

TEST(CharacterGrid, CellsRunRowByRowFromCode32To255) {
    EXPECT_EQ(CharacterGrid::codeAt(0, 0), 32);
    EXPECT_EQ(CharacterGrid::codeAt(1, 1), 65);
    EXPECT_EQ(CharacterGrid::codeAt(31, 6), 255);
    const CharacterGrid grid(QSize(577, 155));
    EXPECT_EQ(grid.cellWidth(), 18);
    EXPECT_EQ(grid.cellHeight(), 22);
    EXPECT_EQ(grid.cellOf(65), QRect(18, 22, 18, 22));
    const CharacterGrid rounded(QSize(600, 100));  // 599 / 32 = 18.7, 99 / 7 = 14.1
    EXPECT_EQ(rounded.cellWidth(), 19);
    EXPECT_EQ(rounded.cellHeight(), 14);
}

TEST(CharacterGrid, APressSelectsTheCellUnlessOnABorderOrAFixedCode) {
    const CharacterGrid grid(QSize(577, 155));
    EXPECT_EQ(grid.selectableCodeAt({19, 23}), 65);
    EXPECT_EQ(grid.selectableCodeAt({35, 43}), 65);
    EXPECT_EQ(grid.selectableCodeAt({575, 153}), 255);
    EXPECT_EQ(grid.selectableCodeAt({18, 30}), std::nullopt);   // the line between 64 and 65
    EXPECT_EQ(grid.selectableCodeAt({25, 22}), std::nullopt);   // the line between 33 and 65
    EXPECT_EQ(grid.selectableCodeAt({0, 30}), std::nullopt);    // the left edge
    EXPECT_EQ(grid.selectableCodeAt({5, 5}), std::nullopt);     // 32 cannot be switched
    EXPECT_EQ(grid.selectableCodeAt({5, 93}), std::nullopt);    // nor can 160
    EXPECT_EQ(grid.selectableCodeAt({577, 30}), std::nullopt);  // beside the last column
    EXPECT_EQ(grid.selectableCodeAt({30, 160}), std::nullopt);  // below the last row
}

TEST(CharacterGrid, AGroupIsCheckedUncheckedOrGrayedByItsSwitchableCodes) {
    DisabledCharacters disabled{};
    const CodeRanges lowercase{{'a', 'z'}};
    EXPECT_EQ(groupState(lowercase, disabled), GroupState::Checked);
    disabled['q'] = kOcrTrue;
    EXPECT_EQ(groupState(lowercase, disabled), GroupState::Grayed);
    setGroupEnabled(lowercase, false, disabled);
    EXPECT_EQ(groupState(lowercase, disabled), GroupState::Unchecked);
    EXPECT_EQ(groupState({{'a', 'z'}, {'A', 'Z'}}, disabled), GroupState::Grayed);
    disabled[160] = kOcrTrue;
    EXPECT_EQ(groupState({{160, 160}}, disabled), GroupState::Checked);  // nothing to switch there
    setGroupEnabled({{0, 255}}, true, disabled);
    EXPECT_EQ(disabled['q'], kOcrFalse);
    EXPECT_EQ(disabled[160], kOcrTrue);
}

TEST_F(ProcessOptionsDialog, SwitchesAndRotationsCarryTheirCaptionsAndToolTips) {
    const auto dialog = open();
    const std::vector<std::array<QString, 3>> switches = {
        {"chkInvertWholePage", "Seite &Invertieren", "Invert whole page  before processing"},
        {"chkDeskew", "&Geraderichten", "Deskew the page before processing"},
        {"chkNoiseRemove", "&Rauschunterdrückung", "Remove noise before processing"},
        {"chkLineRemove", "&Leerzeilen entfernen", "Remove lines and underlines before processing"},
        {"chkDeshade", "Schatten entfernen", "Remove shading before processing"},
        {"chkInvert", "&Zonen invertieren", "Invert individual zones (as required) before processing"},
        {"chkSectioning", "Seite &aufteilen", "Section page into \"read order\""},
        {"chkMergeBreak", "&Verbinde/Trenne Zeichen", "Merge broken characters and break joined characters"},
        {"chkLineReject", "&Unsinnige Zeilen löschen", "Reject lines of rubbish after processing"},
        {"chkCharacterReject", "Unsinnige Zeichen &löschen", "Reject poorly recognised characters after processing"},
        {"chkLex", "Le&xikon verwenden", "Use lexicon to improve character recognition"},
        {"optRotate0", "&Automatisch", "Detect and rotate automaticallly"},
        {"optRotate1", "&Nicht drehen", "Never rotate"},
        {"optRotate2", "Drehen +&90°", "Rotate the image 90° before processing"},
        {"optRotate3", "Drehen +&180°", "Rotate the image 180° before processing"},
        {"optRotate4", "Drehen +&270°", "Rotate the image 270° before processing"},
        {"chkEnableAll", "Alle Zeichen", "Enable all characters"},
        {"chkEnableLwcAccent", "Akzente klein", "Enable lowercase accented characters"},
        {"cmdReset", "Zurücksetzen", "Reset all options to factory defaults"},
    };
    for (const auto& [name, caption, toolTip] : switches) {
        const auto* button = dialog->findChild<QAbstractButton*>(name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        EXPECT_EQ(button->text(), caption) << name.toStdString();
        EXPECT_EQ(button->toolTip(), toolTip) << name.toStdString();
    }
    EXPECT_EQ(grid(*dialog)->toolTip(), "Left click to see the character and right click to toggle disable");
    EXPECT_EQ(dialog->findChild<QPushButton*>("cmdCancel")->text(), "Abbrechen");
}

TEST_F(ProcessOptionsDialog, OpeningShowsTheFieldsThroughTheirBoxes) {
    configuredJob.Options.InvertWholePage = kOcrTrue;
    configuredJob.Options.DeskewOff = kOcrTrue;
    configuredJob.Options.SectioningOn = 1;  // anything but 0 counts as set
    configuredJob.Options.Orientation = 2;
    const auto dialog = open();
    EXPECT_TRUE(box(*dialog, "chkInvertWholePage")->isChecked());
    EXPECT_FALSE(box(*dialog, "chkDeskew")->isChecked());
    EXPECT_TRUE(box(*dialog, "chkNoiseRemove")->isChecked());
    EXPECT_TRUE(box(*dialog, "chkSectioning")->isChecked());
    EXPECT_TRUE(dialog->findChild<QRadioButton*>("optRotate3")->isChecked());
    EXPECT_EQ(groupStates(*dialog), allGroups(Qt::Checked));
}

TEST_F(ProcessOptionsDialog, UncheckingAllCharactersLeavesTheFixedCodesAsTheyWere) {
    configuredJob.Options.DisableCharacter[127] = kOcrTrue;
    const auto dialog = open();
    click(*dialog, "chkEnableAll");
    EXPECT_EQ(groupStates(*dialog), allGroups(Qt::Unchecked));
    click(*dialog, "cmdOK");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(configuredJob.Options.DisableCharacter[code],
                  isSelectableCode(code) || code == 127 ? kOcrTrue : kOcrFalse)
            << code;
}

TEST_F(ProcessOptionsDialog, GroupBoxesFollowAllCharactersUnlessItIsGrayed) {
    setGroupEnabled({{'a', 'z'}}, false, configuredJob.Options.DisableCharacter);
    configuredJob.Options.DisableCharacter[0xE9] = kOcrTrue;  // é
    const auto dialog = open();
    auto expected = allGroups(Qt::Checked);
    expected["chkEnableAll"] = Qt::PartiallyChecked;
    expected["chkEnableLwcAlpha"] = Qt::Unchecked;
    expected["chkEnableLwcAccent"] = Qt::PartiallyChecked;
    EXPECT_EQ(groupStates(*dialog), expected);

    click(*dialog, "chkEnableLwcAccent");  // a grayed box becomes checked
    expected["chkEnableLwcAccent"] = Qt::Checked;
    EXPECT_EQ(groupStates(*dialog), expected);

    click(*dialog, "chkEnableAll");  // grayed: enables everything
    EXPECT_EQ(groupStates(*dialog), allGroups(Qt::Checked));
    click(*dialog, "chkEnableNumeric");
    click(*dialog, "cmdOK");
    EXPECT_EQ(configuredJob.Options.DisableCharacter['a'], kOcrFalse);
    EXPECT_EQ(configuredJob.Options.DisableCharacter[0xE9], kOcrFalse);
    EXPECT_EQ(configuredJob.Options.DisableCharacter['5'], kOcrTrue);
    EXPECT_EQ(configuredJob.Options.DisableCharacter['A'], kOcrFalse);
}

TEST_F(ProcessOptionsDialog, ARightClickTogglesOnlySelectableCodes) {
    const auto dialog = open();
    rightClick(*dialog, middleOf(160));
    rightClick(*dialog, middleOf(96));
    rightClick(*dialog, QPoint(kCellWidth, kCellHeight + 5));  // the border line of 65
    EXPECT_EQ(groupStates(*dialog), allGroups(Qt::Checked));

    rightClick(*dialog, middleOf('A'));
    auto expected = allGroups(Qt::Checked);
    expected["chkEnableAll"] = Qt::PartiallyChecked;
    expected["chkEnableUpcAlpha"] = Qt::PartiallyChecked;
    EXPECT_EQ(groupStates(*dialog), expected);
    rightClick(*dialog, middleOf(0xFC));  // ü, as selectable as a letter
    click(*dialog, "cmdOK");

    JobInfo expectedJob;
    expectedJob.Options.DisableCharacter['A'] = kOcrTrue;
    expectedJob.Options.DisableCharacter[0xFC] = kOcrTrue;
    EXPECT_EQ(toBytes(configuredJob), toBytes(expectedJob));
}

TEST_F(ProcessOptionsDialog, ALeftPressShowsTheCharacterUntilRelease) {
    const auto dialog = open();
    auto* bigChar = dialog->findChild<QLabel*>("picBigChar");
    auto* code = dialog->findChild<QLineEdit*>("txtCharNo");
    QTest::mousePress(grid(*dialog), Qt::LeftButton, {}, middleOf(0xE4));
    EXPECT_FALSE(bigChar->isHidden());
    EXPECT_FALSE(code->isHidden());
    EXPECT_EQ(bigChar->text(), QStringLiteral("ä"));
    EXPECT_EQ(code->text(), "228");
    EXPECT_EQ(grid(*dialog)->cursor().shape(), Qt::BlankCursor);
    QTest::mouseRelease(grid(*dialog), Qt::LeftButton, {}, middleOf(0xE4));
    EXPECT_TRUE(bigChar->isHidden());
    EXPECT_TRUE(code->isHidden());
    EXPECT_NE(grid(*dialog)->cursor().shape(), Qt::BlankCursor);
}

TEST_F(ProcessOptionsDialog, ResetThenCancelChangesNothingResetThenOkGivesTheFactoryDefaults) {
    configuredJob.Options.InvertWholePage = kOcrTrue;
    configuredJob.Options.DeskewOff = kOcrTrue;
    configuredJob.Options.SectioningOn = kOcrTrue;
    configuredJob.Options.LexOff = kOcrTrue;
    configuredJob.Options.Orientation = 255;
    configuredJob.Options.Language = uint8_t(OcrLanguage::Fraktur);
    configuredJob.Options.DisableCharacter['x'] = kOcrTrue;
    configuredJob.Options.DisableCharacter[127] = kOcrTrue;
    const QByteArray before = toBytes(configuredJob);
    {
        const auto dialog = open();
        click(*dialog, "cmdReset");
        EXPECT_EQ(groupStates(*dialog), allGroups(Qt::Checked));
        click(*dialog, "cmdCancel");
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
    EXPECT_EQ(toBytes(configuredJob), before);

    const auto dialog = open();
    click(*dialog, "cmdReset");
    click(*dialog, "cmdOK");
    JobInfo factory;
    factory.Options.DisableCharacter[127] = kOcrTrue;  // not switchable, so kept
    EXPECT_EQ(toBytes(configuredJob), toBytes(factory));
}

TEST_F(ProcessOptionsDialog, OkFromTheOcrMenuChangesTheBytesOfTheNextJob) {
    QTemporaryDir dir;
    test::ScriptedPrompter prompter;
    frmOCR window(prompter, OcrSettingsStore::iniFile(dir.filePath("ocr.ini")));
    QAction* menu = window.findChild<QAction*>("mnuOptionsProcess");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->text(), "&OCR Optionen");

    prompter.onDialog([](QDialog& dialog) {
        click(dialog, "chkDeskew");
        click(dialog, "chkSectioning");
        click(dialog, "optRotate2");
        click(dialog, "cmdCancel");
        return dialog.result();
    });
    menu->trigger();
    EXPECT_EQ(toBytes(configuredJob), toBytes(JobInfo{}));

    prompter.onDialog([](QDialog& dialog) {
        click(dialog, "chkDeskew");
        click(dialog, "chkSectioning");
        click(dialog, "optRotate2");
        click(dialog, "chkEnableNumeric");
        click(dialog, "cmdOK");
        return dialog.result();
    });
    menu->trigger();
    const QByteArray bytes = toBytes(configuredJob);
    EXPECT_EQ(bytes.mid(16 + 6, 2), QByteArray("\xff\xff"));  // DeskewOff
    EXPECT_EQ(bytes.at(16 + 8), char(1));                     // Orientation: 90°
    EXPECT_EQ(bytes.mid(16 + 18, 2), QByteArray("\xff\xff"));  // SectioningOn
    EXPECT_EQ(bytes.mid(16 + 28 + 2 * '0', 20), QByteArray(20, '\xff'));  // "0" to "9" disabled
    EXPECT_EQ(bytes.mid(16 + 28 + 2 * ':', 2), QByteArray(2, '\0'));
    JobInfo expected;
    expected.Options.DeskewOff = kOcrTrue;
    expected.Options.SectioningOn = kOcrTrue;
    expected.Options.Orientation = 1;
    setGroupEnabled({{'0', '9'}}, false, expected.Options.DisableCharacter);
    EXPECT_EQ(bytes, toBytes(expected));
}

TEST_F(ProcessOptionsDialog, TheLanguageIsChosenFromFourNamesAndGoesIntoTheNextJob) {
    const auto dialog = open();
    auto* language = dialog->findChild<QComboBox*>("cboSprache");
    ASSERT_NE(language, nullptr);
    QStringList names;
    for (int i = 0; i < language->count(); ++i) names << language->itemText(i);
    EXPECT_EQ(names, QStringList({"Deutsch", "Fraktur", "Deutsch + Fraktur", "Automatisch"}));
    EXPECT_EQ(language->currentText(), "Automatisch");

    language->setCurrentIndex(names.indexOf("Fraktur"));
    EXPECT_EQ(configuredJob.Options.Language, uint8_t(OcrLanguage::Automatic)) << "only OK hands the choice back";
    click(*dialog, "cmdOK");
    EXPECT_EQ(toBytes(configuredJob).at(16 + 9), char(OcrLanguage::Fraktur));

    const auto again = open();
    EXPECT_EQ(again->findChild<QComboBox*>("cboSprache")->currentText(), "Fraktur");
}
