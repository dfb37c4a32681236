#include "WindowClosing.h"

#include "FrameLink.h"
#include "Prompter.h"
#include "SavePrompt.h"
#include "frmSample.h"

#include <QFile>

namespace palvenor {

namespace {

// The scan file of a "NEU:" program run, or "" for any other run.
QString scanFileOfRun(const QString& startCommandLine) {
    if (startCommandLine.trimmed().isEmpty()) return QString();
    if (startCommandLine.left(4).toUpper() != QStringLiteral("NEU:")) return QString();
    return startCommandLine.mid(4);
}

void offerToDeleteScanFile(frmSample& window) {
    const QString path = scanFileOfRun(window.frame().startCommandLine());
    if (path.isEmpty()) return;
    const auto answer = window.prompter().message(
        QStringLiteral("Datei ") + path + QStringLiteral(" löschen ?"),
        QStringLiteral("Scan-Programm beenden"), Prompter::Buttons::YesNo, Prompter::Icon::Question);
    if (answer == Prompter::Answer::Yes) QFile::remove(path);
}

}  // namespace

bool mayCloseWindow(frmSample& window) {
    if (!askToSave(window)) return false;
    offerToDeleteScanFile(window);
    return true;
}

}  // namespace palvenor
