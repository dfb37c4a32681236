#pragma once

#include "OcrRecords.h"

#include <QString>

#include <memory>

class QSettings;

namespace palvenor::ocr {

class frmOCR;
struct FormatOptions;

// Where the OCR window keeps its settings: the user's own settings store
// under the application name "OCR Viewer1.1", or an INI file of its own.
class OcrSettingsStore {
public:
    static OcrSettingsStore userStore();
    static OcrSettingsStore iniFile(const QString& path);

    std::unique_ptr<QSettings> open() const;

private:
    explicit OcrSettingsStore(QString iniPath) : iniPath_(std::move(iniPath)) {}
    QString iniPath_;  // empty: the user's store
};

inline const QString kOcrSettingsApplication = QStringLiteral("OCR Viewer1.1");

// The languages the user can choose, in the order the options dialog lists
// them, with the names the dialog shows and the store keeps ("Sprache").
struct LanguageChoice {
    OcrLanguage language;
    const char* name;
};
inline constexpr LanguageChoice kLanguageChoices[] = {
    {OcrLanguage::German, "Deutsch"},
    {OcrLanguage::Fraktur, "Fraktur"},
    {OcrLanguage::GermanAndFraktur, "Deutsch + Fraktur"},
    {OcrLanguage::Automatic, "Automatisch"},
};

// Reads each value by itself; an absent or unreadable value leaves its
// field as it was.
void loadFormatOptions(QSettings& settings, FormatOptions& options);
void loadProcessOptions(QSettings& settings, ProcessOptions& options);
void saveFormatOptions(QSettings& settings, const FormatOptions& options);
void saveProcessOptions(QSettings& settings, const ProcessOptions& options);

// The window's placement, folders and font, then the format options and the
// configured processing options.
void loadOcrSettings(frmOCR& window, QSettings& settings);
void saveOcrSettings(const frmOCR& window, QSettings& settings);

}  // namespace palvenor::ocr
