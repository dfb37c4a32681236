#include "OcrJob.h"
#include "OcrSettings.h"
#include "WindowPlacement.h"
#include "ScriptedPrompter.h"
#include "frmOCR.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace palvenor;
using namespace palvenor::ocr;

namespace {

class OcrSettings : public ::testing::Test {
protected:
    OcrSettings() {
        formatOptions = FormatOptions{};
        configuredJob = JobInfo{};
    }

    OcrSettingsStore store() const { return OcrSettingsStore::iniFile(dir.filePath("ocr.ini")); }
    std::unique_ptr<QSettings> ini() const {
        return std::make_unique<QSettings>(dir.filePath("ocr.ini"), QSettings::IniFormat);
    }
    std::unique_ptr<frmOCR> openWindow() { return std::make_unique<frmOCR>(prompter, store()); }
    // Opens the window, which loads the settings, and closes it, which saves them.
    void openAndClose() {
        const auto window = openWindow();
        window->show();
        window->close();
    }

    QTemporaryDir dir;
    test::ScriptedPrompter prompter;
};

}  // namespace

TEST_F(OcrSettings, AFirstStartWithAnEmptyStoreGivesTheDefaults) {
    formatOptions.Format = false;
    formatOptions.Schwelle = 0.3f;
    formatOptions = FormatOptions{};
    const auto window = openWindow();
    EXPECT_TRUE(formatOptions.Format);
    EXPECT_TRUE(formatOptions.LeftMargin);
    EXPECT_FALSE(formatOptions.CollapseY);
    EXPECT_TRUE(formatOptions.Absatz);
    EXPECT_TRUE(formatOptions.Klammern);
    EXPECT_TRUE(formatOptions.Zahlwort);
    EXPECT_TRUE(formatOptions.Lexikon);
    EXPECT_FLOAT_EQ(formatOptions.Schwelle, 0.8f);
    EXPECT_FLOAT_EQ(formatOptions.MinXSpaceFac, 1.6f);
    EXPECT_FLOAT_EQ(formatOptions.MinYSpaceFac, 1.5f);
    EXPECT_EQ(window->resultsFolder, window->sourceFolder);
    for (int16_t flag : configuredJob.Options.DisableCharacter) EXPECT_EQ(flag, kOcrFalse);
}

TEST_F(OcrSettings, ClosingTheWindowStoresTheValuesAsText) {
    formatOptions.CollapseY = true;
    formatOptions.Schwelle = 0.65f;
    configuredJob.Options.DeskewOff = kOcrTrue;
    configuredJob.Options.Orientation = 3;
    configuredJob.Options.DisableCharacter[0] = kOcrTrue;
    configuredJob.Options.DisableCharacter[255] = kOcrTrue;
    {
        const auto window = openWindow();
        window->show();
        window->close();
    }
    const auto stored = ini();
    EXPECT_EQ(stored->value("Results/CollapseY").toString(), "False");
    EXPECT_EQ(stored->value("Results/Format").toString(), "True");
    EXPECT_EQ(stored->value("Results/Schwelle").toString(), "0.65");
    EXPECT_EQ(stored->value("Results/MinXSpaceFac").toString(), "1.6");
    EXPECT_EQ(stored->value("OCR/DeskewOff").toString(), "True");
    EXPECT_EQ(stored->value("OCR/LexOff").toString(), "False");
    EXPECT_EQ(stored->value("OCR/Orientation").toString(), "3");
    EXPECT_EQ(stored->value("Window/State").toString(), "0");
    EXPECT_TRUE(stored->contains("Window/Left"));
    EXPECT_TRUE(stored->contains("Results/FontName"));
    const QString marks = stored->value("OCR/DisableCharacter").toString();
    EXPECT_EQ(marks, u'1' + QString(254, u'0') + u'1');
}

TEST_F(OcrSettings, ARoundTripKeepsEveryOption) {
    formatOptions.Format = false;
    formatOptions.CollapseY = true;
    formatOptions.LeftMargin = false;
    formatOptions.MinXSpaceFac = 2.25f;
    formatOptions.Schwelle = 0.5f;
    formatOptions.Absatz = false;
    formatOptions.Lexikon = false;
    configuredJob.Options.InvertWholePage = kOcrTrue;
    configuredJob.Options.SectioningOn = kOcrTrue;
    configuredJob.Options.Orientation = 2;
    configuredJob.Options.DisableCharacter['x'] = kOcrTrue;
    const FormatOptions savedFormat = formatOptions;
    const ProcessOptions savedProcess = configuredJob.Options;
    QFont font;
    {
        const auto window = openWindow();
        font = window->RTF0->font();
        font.setPointSize(17);
        font.setItalic(true);
        window->RTF0->setFont(font);
        window->resultsFolder = dir.path();
        window->show();
        window->close();
    }
    formatOptions = FormatOptions{};
    configuredJob = JobInfo{};
    const auto window = openWindow();
    EXPECT_EQ(formatOptions.Format, savedFormat.Format);
    EXPECT_EQ(formatOptions.CollapseY, savedFormat.CollapseY);
    EXPECT_EQ(formatOptions.LeftMargin, savedFormat.LeftMargin);
    EXPECT_FLOAT_EQ(formatOptions.MinXSpaceFac, savedFormat.MinXSpaceFac);
    EXPECT_FLOAT_EQ(formatOptions.Schwelle, savedFormat.Schwelle);
    EXPECT_EQ(formatOptions.Absatz, savedFormat.Absatz);
    EXPECT_EQ(formatOptions.Lexikon, savedFormat.Lexikon);
    EXPECT_EQ(toBytes(configuredJob.Options), toBytes(savedProcess));
    EXPECT_EQ(window->RTF0->font().pointSize(), 17);
    EXPECT_TRUE(window->RTF0->font().italic());
    EXPECT_EQ(window->resultsFolder, dir.path());
}

TEST_F(OcrSettings, EveryOrientationSurvivesARestart) {
    for (const uint8_t orientation : {kNeverRotate, uint8_t(1), uint8_t(3), kDetectOrientation}) {
        const auto window = openWindow();
        configuredJob.Options.Orientation = orientation;
        window->close();
        EXPECT_EQ(ini()->value("OCR/Orientation").toString(), QString::number(orientation));
        configuredJob.Options.Orientation = 2;
        openWindow();
        EXPECT_EQ(configuredJob.Options.Orientation, orientation);
    }
}

TEST_F(OcrSettings, CollapseYIsStoredAsBlankLinesAllowed) {
    ini()->setValue("Results/CollapseY", "True");
    openWindow();
    EXPECT_FALSE(formatOptions.CollapseY);
    ini()->setValue("Results/CollapseY", "False");
    openWindow();
    EXPECT_TRUE(formatOptions.CollapseY);
}

TEST_F(OcrSettings, UnreadableValuesAreSkipped) {
    {
        const auto stored = ini();
        stored->setValue("Results/Format", "vielleicht");
        stored->setValue("Results/Schwelle", "hoch");
        stored->setValue("Results/Absatz", "False");
        stored->setValue("OCR/Orientation", "7");
        stored->setValue("OCR/DeskewOff", "ja");
    }
    configuredJob.Options.Orientation = 1;
    openWindow();
    EXPECT_TRUE(formatOptions.Format);
    EXPECT_FLOAT_EQ(formatOptions.Schwelle, 0.8f);
    EXPECT_FALSE(formatOptions.Absatz);
    EXPECT_EQ(configuredJob.Options.Orientation, 1);
    EXPECT_EQ(configuredJob.Options.DeskewOff, kOcrFalse);
}

TEST_F(OcrSettings, DisabledCharactersReadShortLongAndOddStrings) {
    configuredJob.Options.DisableCharacter[200] = kOcrTrue;
    ini()->setValue("OCR/DisableCharacter", "0101");
    openWindow();
    const auto& flags = configuredJob.Options.DisableCharacter;
    EXPECT_EQ(flags[0], kOcrFalse);
    EXPECT_EQ(flags[1], kOcrTrue);
    EXPECT_EQ(flags[3], kOcrTrue);
    EXPECT_EQ(flags[200], kOcrTrue);  // beyond the string: kept

    ini()->setValue("OCR/DisableCharacter", QString(255, u'0') + "11111");
    openWindow();
    EXPECT_EQ(flags[1], kOcrFalse);
    EXPECT_EQ(flags[200], kOcrFalse);
    EXPECT_EQ(flags[255], kOcrTrue);

    ini()->setValue("OCR/DisableCharacter", "x1?");
    openWindow();
    EXPECT_EQ(flags[0], kOcrFalse);
    EXPECT_EQ(flags[1], kOcrTrue);
    EXPECT_EQ(flags[2], kOcrFalse);
}

// The stored rectangle is the window's outer one, title bar included.
TEST_F(OcrSettings, ARectangleOffEveryScreenIsMovedOntoTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    {
        const auto stored = ini();
        stored->setValue("Window/Left", QString::number((screen.right() + 5000) * 15));
        stored->setValue("Window/Top", QString::number(-4000 * 15));
        stored->setValue("Window/Width", "9000");
        stored->setValue("Window/Height", "6750");
    }
    const auto window = openWindow();
    const QRect placed = outerRect(*window);
    EXPECT_TRUE(screen.contains(placed)) << placed.x() << "," << placed.y();
    EXPECT_EQ(placed.size(), QSize(600, 450));
    EXPECT_EQ(placed.top(), screen.top());
}

TEST_F(OcrSettings, AWindowOfALargerScreenIsKeptOnTheSmallerOne) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        QRect before;  // on a screen of 1600 x 1000
        QSize after;
    } cases[] = {{QRect(1000, 500, 580, 480), QSize(580, 480)}, {QRect(0, 0, 1600, 1000), screen.size()}};
    for (const auto& c : cases) {
        {
            const auto stored = ini();
            stored->setValue("Window/Left", QString::number(c.before.left() * 15));
            stored->setValue("Window/Top", QString::number(c.before.top() * 15));
            stored->setValue("Window/Width", QString::number(c.before.width() * 15));
            stored->setValue("Window/Height", QString::number(c.before.height() * 15));
        }
        const auto window = openWindow();
        const QRect placed = outerRect(*window);
        EXPECT_TRUE(screen.contains(placed)) << placed.x() << "," << placed.y();
        EXPECT_EQ(placed.size(), c.after);
    }
}

TEST_F(OcrSettings, ARectangleOnTheScreenIsKeptAndStoredAgainAsItWas) {
    {
        const auto stored = ini();
        stored->setValue("Window/Left", "300");
        stored->setValue("Window/Top", "450");
        stored->setValue("Window/Width", "9000");
        stored->setValue("Window/Height", "6750");
    }
    const auto window = openWindow();
    EXPECT_EQ(outerRect(*window), QRect(20, 30, 600, 450));
    EXPECT_EQ(window->pos(), QPoint(20, 30));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->close();
    const auto stored = ini();
    for (const auto& [key, twips] : {std::pair("Window/Left", "300"), std::pair("Window/Top", "450"),
                                     std::pair("Window/Width", "9000"), std::pair("Window/Height", "6750")})
        EXPECT_EQ(stored->value(key).toString(), twips) << key;
}

TEST_F(OcrSettings, AFirstStartOpensTheWindowOnTheScreenBesideThePage) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect page(screen.left() + 10, screen.top() + 60, screen.width() - 20, screen.height() - 80);
    for (const QRect& area : {page, QRect()}) {
        const auto window = std::make_unique<frmOCR>(prompter, store(), area);
        const QRect beside = area.isEmpty() ? screen : area;
        const QRect placed = outerRect(*window);
        EXPECT_EQ(placed.top(), beside.top());
        EXPECT_EQ(placed.height(), beside.height());
        EXPECT_EQ(placed.right(), beside.right());
        EXPECT_GE(placed.left(), beside.left() + beside.width() / 2);
        EXPECT_TRUE(screen.contains(placed));
    }
}

TEST_F(OcrSettings, EveryLanguageSurvivesARestartUnderItsGermanName) {
    const std::pair<OcrLanguage, QString> choices[] = {{OcrLanguage::German, "Deutsch"},
                                                       {OcrLanguage::Fraktur, "Fraktur"},
                                                       {OcrLanguage::GermanAndFraktur, "Deutsch + Fraktur"},
                                                       {OcrLanguage::Automatic, "Automatisch"}};
    for (const auto& [language, name] : choices) {
        {
            const auto window = openWindow();  // loads the language saved before
            configuredJob.Options.Language = uint8_t(language);
            window->show();
            window->close();
        }
        EXPECT_EQ(ini()->value("OCR/Sprache").toString(), name);
        configuredJob = JobInfo{};
        configuredJob.Options.Language = 0xEE;
        openWindow();
        EXPECT_EQ(configuredJob.Options.Language, uint8_t(language)) << name.toStdString();
    }
}

TEST_F(OcrSettings, WithoutAKnownLanguageTheChoiceIsAutomatic) {
    openWindow();
    EXPECT_EQ(configuredJob.Options.Language, uint8_t(OcrLanguage::Automatic));
    ini()->setValue("OCR/Sprache", "Latein");
    configuredJob.Options.Language = uint8_t(OcrLanguage::German);
    openAndClose();
    EXPECT_EQ(ini()->value("OCR/Sprache").toString(), "Deutsch") << "an unknown name leaves the choice as it was";
}
