#pragma once

#include "OcrSettings.h"
#include "ScriptedPrompter.h"
#include "frmOCR.h"

#include <QTemporaryDir>

namespace palvenor::test {

// An OCR window with scripted answers; its settings stay in a folder of the
// test, out of the user's store.
struct OcrWindowScene {
    ScriptedPrompter prompter;
    QTemporaryDir settingsFolder;
    ocr::frmOCR window{prompter, ocr::OcrSettingsStore::iniFile(settingsFolder.filePath(QStringLiteral("ocr.ini")))};
};

}  // namespace palvenor::test
