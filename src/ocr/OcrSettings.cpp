#include "OcrSettings.h"

#include "OcrJob.h"
#include "WindowPlacement.h"
#include "frmOCR.h"

#include <QSettings>
#include <QTextEdit>

#include <optional>
#include <utility>

namespace palvenor::ocr {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kStateMaximised = 2;
constexpr int kCharacterCodes = 256;

QString boolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

std::optional<QString> readText(QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (!value.isValid()) return std::nullopt;
    return value.toString();
}

std::optional<bool> readBool(QSettings& settings, const QString& key) {
    const auto text = readText(settings, key);
    if (!text) return std::nullopt;
    const QString word = text->trimmed().toLower();
    if (word == u"true") return true;
    if (word == u"false") return false;
    bool ok = false;
    const int number = word.toInt(&ok);
    if (!ok) return std::nullopt;
    return number != 0;
}

std::optional<double> readNumber(QSettings& settings, const QString& key) {
    const auto text = readText(settings, key);
    if (!text) return std::nullopt;
    bool ok = false;
    const double number = text->trimmed().toDouble(&ok);
    if (!ok) return std::nullopt;
    return number;
}

void readInto(QSettings& settings, const QString& key, bool& field) {
    if (const auto value = readBool(settings, key)) field = *value;
}

void readInto(QSettings& settings, const QString& key, float& field) {
    if (const auto value = readNumber(settings, key)) field = float(*value);
}

void readFlag(QSettings& settings, const QString& key, int16_t& flag) {
    if (const auto value = readBool(settings, key)) flag = *value ? kOcrTrue : kOcrFalse;
}

void readDisabledCharacters(QSettings& settings, ProcessOptions& options) {
    const auto text = readText(settings, QStringLiteral("DisableCharacter"));
    if (!text) return;
    const QString marks = text->left(kCharacterCodes);
    for (int code = 0; code < marks.size(); ++code)
        options.DisableCharacter[code] = marks[code] == u'1' ? kOcrTrue : kOcrFalse;
}

void readLanguage(QSettings& settings, ProcessOptions& options) {
    const auto text = readText(settings, QStringLiteral("Sprache"));
    if (!text) return;
    for (const LanguageChoice& choice : kLanguageChoices)
        if (*text == QString::fromUtf8(choice.name)) options.Language = uint8_t(choice.language);
}

QString languageName(const ProcessOptions& options) {
    for (const LanguageChoice& choice : kLanguageChoices)
        if (options.Language == uint8_t(choice.language)) return QString::fromUtf8(choice.name);
    return QString();
}

QString disabledCharacters(const ProcessOptions& options) {
    QString marks;
    for (int16_t flag : options.DisableCharacter) marks += isSet(flag) ? u'1' : u'0';
    return marks;
}

int readTwips(QSettings& settings, const QString& key, int pixels) {
    const auto value = readNumber(settings, key);
    return value ? int(*value) / kTwipsPerPixel : pixels;
}

void loadPlacement(frmOCR& window, QSettings& settings) {
    settings.beginGroup(QStringLiteral("Window"));
    const auto state = readNumber(settings, QStringLiteral("State"));
    const QRect current = outerRect(window);
    const QRect saved(readTwips(settings, QStringLiteral("Left"), current.left()),
                      readTwips(settings, QStringLiteral("Top"), current.top()),
                      readTwips(settings, QStringLiteral("Width"), current.width()),
                      readTwips(settings, QStringLiteral("Height"), current.height()));
    settings.endGroup();
    if (state && int(*state) == kStateMaximised)
        window.setWindowState(Qt::WindowMaximized);
    else
        setOuterRect(window, placedOnScreen(saved));
}

void savePlacement(const frmOCR& window, QSettings& settings) {
    settings.beginGroup(QStringLiteral("Window"));
    if (!window.isMinimized())
        settings.setValue(QStringLiteral("State"),
                          QString::number(window.isMaximized() ? kStateMaximised : 0));
    if (!window.isMinimized() && !window.isMaximized()) {
        const QRect rect = outerRect(window);
        settings.setValue(QStringLiteral("Left"), QString::number(rect.left() * kTwipsPerPixel));
        settings.setValue(QStringLiteral("Top"), QString::number(rect.top() * kTwipsPerPixel));
        settings.setValue(QStringLiteral("Width"), QString::number(rect.width() * kTwipsPerPixel));
        settings.setValue(QStringLiteral("Height"), QString::number(rect.height() * kTwipsPerPixel));
    }
    settings.endGroup();
}

void loadFolders(frmOCR& window, QSettings& settings) {
    if (const auto path = readText(settings, QStringLiteral("Source/Path")))
        window.sourceFolder = *path;
    window.resultsFolder = window.sourceFolder;
    if (const auto path = readText(settings, QStringLiteral("Results/Path")))
        window.resultsFolder = *path;
}

void loadFont(frmOCR& window, QSettings& settings) {
    settings.beginGroup(QStringLiteral("Results"));
    QFont font = window.RTF0->font();
    if (const auto name = readText(settings, QStringLiteral("FontName"))) font.setFamily(*name);
    if (const auto size = readNumber(settings, QStringLiteral("FontSize")); size && *size > 0)
        font.setPointSizeF(*size);
    if (const auto italic = readBool(settings, QStringLiteral("FontItalic"))) font.setItalic(*italic);
    if (const auto bold = readBool(settings, QStringLiteral("FontBold"))) font.setBold(*bold);
    settings.endGroup();
    window.RTF0->setFont(font);
}

void saveFont(const frmOCR& window, QSettings& settings) {
    const QFont font = window.RTF0->font();
    settings.beginGroup(QStringLiteral("Results"));
    settings.setValue(QStringLiteral("FontName"), font.family());
    settings.setValue(QStringLiteral("FontSize"), QString::number(font.pointSizeF()));
    settings.setValue(QStringLiteral("FontBold"), boolText(font.bold()));
    settings.setValue(QStringLiteral("FontItalic"), boolText(font.italic()));
    settings.endGroup();
}

}  // namespace

OcrSettingsStore OcrSettingsStore::userStore() { return OcrSettingsStore(QString()); }

OcrSettingsStore OcrSettingsStore::iniFile(const QString& path) { return OcrSettingsStore(path); }

std::unique_ptr<QSettings> OcrSettingsStore::open() const {
    if (!iniPath_.isEmpty()) return std::make_unique<QSettings>(iniPath_, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Palvenor"), kOcrSettingsApplication);
}

// The settings that are one field each, by key. CollapseY, Orientation and
// DisableCharacter are stored in forms of their own.
constexpr std::pair<const char*, bool FormatOptions::*> kFormatSwitches[] = {
    {"Format", &FormatOptions::Format},     {"LeftMargin", &FormatOptions::LeftMargin},
    {"Absatz", &FormatOptions::Absatz},     {"Klammern", &FormatOptions::Klammern},
    {"Zahlwort", &FormatOptions::Zahlwort}, {"Lexikon", &FormatOptions::Lexikon}};
constexpr std::pair<const char*, float FormatOptions::*> kFormatFactors[] = {
    {"MinXSpaceFac", &FormatOptions::MinXSpaceFac},
    {"MinYSpaceFac", &FormatOptions::MinYSpaceFac},
    {"Schwelle", &FormatOptions::Schwelle}};
constexpr std::pair<const char*, int16_t ProcessOptions::*> kProcessFlags[] = {
    {"CharacterRejectOff", &ProcessOptions::CharacterRejectOff},
    {"DeshadeOff", &ProcessOptions::DeshadeOff},
    {"DeskewOff", &ProcessOptions::DeskewOff},
    {"InvertOff", &ProcessOptions::InvertOff},
    {"InvertWholePage", &ProcessOptions::InvertWholePage},
    {"LexOff", &ProcessOptions::LexOff},
    {"LineRejectOff", &ProcessOptions::LineRejectOff},
    {"LineRemoveOff", &ProcessOptions::LineRemoveOff},
    {"MergeBreakOff", &ProcessOptions::MergeBreakOff},
    {"NoiseRemoveOff", &ProcessOptions::NoiseRemoveOff},
    {"SectioningOn", &ProcessOptions::SectioningOn}};

void loadFormatOptions(QSettings& settings, FormatOptions& options) {
    settings.beginGroup(QStringLiteral("Results"));
    for (const auto& [key, field] : kFormatSwitches) readInto(settings, QString::fromLatin1(key), options.*field);
    for (const auto& [key, field] : kFormatFactors) readInto(settings, QString::fromLatin1(key), options.*field);
    if (const auto blankLines = readBool(settings, QStringLiteral("CollapseY")))
        options.CollapseY = !*blankLines;
    settings.endGroup();
}

void saveFormatOptions(QSettings& settings, const FormatOptions& options) {
    settings.beginGroup(QStringLiteral("Results"));
    for (const auto& [key, field] : kFormatSwitches)
        settings.setValue(QString::fromLatin1(key), boolText(options.*field));
    for (const auto& [key, field] : kFormatFactors)
        settings.setValue(QString::fromLatin1(key), QString::number(options.*field));
    settings.setValue(QStringLiteral("CollapseY"), boolText(!options.CollapseY));
    settings.endGroup();
}

void loadProcessOptions(QSettings& settings, ProcessOptions& options) {
    settings.beginGroup(QStringLiteral("OCR"));
    for (const auto& [key, field] : kProcessFlags) readFlag(settings, QString::fromLatin1(key), options.*field);
    if (const auto orientation = readNumber(settings, QStringLiteral("Orientation"));
        orientation && isOrientation(*orientation))
        options.Orientation = uint8_t(*orientation);
    readDisabledCharacters(settings, options);
    readLanguage(settings, options);
    settings.endGroup();
}

void saveProcessOptions(QSettings& settings, const ProcessOptions& options) {
    settings.beginGroup(QStringLiteral("OCR"));
    for (const auto& [key, field] : kProcessFlags)
        settings.setValue(QString::fromLatin1(key), boolText(isSet(options.*field)));
    settings.setValue(QStringLiteral("Orientation"), QString::number(options.Orientation));
    settings.setValue(QStringLiteral("DisableCharacter"), disabledCharacters(options));
    if (const QString language = languageName(options); !language.isEmpty())
        settings.setValue(QStringLiteral("Sprache"), language);
    settings.endGroup();
}

void loadOcrSettings(frmOCR& window, QSettings& settings) {
    loadPlacement(window, settings);
    loadFolders(window, settings);
    loadFont(window, settings);
    loadFormatOptions(settings, formatOptions);
    loadProcessOptions(settings, configuredJob.Options);
}

void saveOcrSettings(const frmOCR& window, QSettings& settings) {
    savePlacement(window, settings);
    settings.setValue(QStringLiteral("Results/Path"), window.resultsFolder);
    saveFont(window, settings);
    saveFormatOptions(settings, formatOptions);
    saveProcessOptions(settings, configuredJob.Options);
}

}  // namespace palvenor::ocr
