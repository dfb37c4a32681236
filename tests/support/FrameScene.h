#pragma once

#include "IniFile.h"
#include "RecentFiles.h"
#include "SampleBooks.h"
#include "ScriptedPrompter.h"
#include "frmMDI.h"
#include "frmSample.h"

#include <QLineEdit>
#include <QTemporaryDir>

namespace palvenor::test {

// A frame on a test-local INI file, recent files store and OCR settings
// with scripted answers, opening books as the frame's Open command does.
struct FrameScene {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    IniFile ini{dir.filePath(QStringLiteral("Palvenor.ini"))};
    QString recentStore = dir.filePath(QStringLiteral("Palvenor.conf"));
    RecentFiles recentFiles{recentStore};
    QString ocrSettings = dir.filePath(QStringLiteral("ocr.ini"));
    frmMDI frame{prompter, ini, recentFiles};

    FrameScene() { frame.ocr().useSettings(ocr::OcrSettingsStore::iniFile(ocrSettings)); }

    frmSample* open(const QString& request) {
        frame.Kommandozeile = request;
        frame.mnuOpen_Click();
        return frame.documents().Fenster(frame.documents().count());
    }
    // An untitled window that holds no book yet.
    frmSample* untitled() { return frame.DokumentAnlegen(QString(), QStringLiteral("NEU"), QString()); }
    QString book(int pages, const QString& name = QStringLiteral("buch.tif")) {
        return makeBook(dir.path(), name, pages);
    }
    static QString field(frmSample& window, const char* name) {
        return window.findChild<QLineEdit*>(QString::fromUtf8(name))->text();
    }
};

}  // namespace palvenor::test
