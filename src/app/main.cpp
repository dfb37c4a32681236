#include "IniFile.h"
#include "OpenRequest.h"
#include "QtPrompter.h"
#include "RecentFiles.h"
#include "RunningInstance.h"
#include "StartUp.h"
#include "frmMDI.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

using namespace palvenor;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(StartUp::applicationTitle());
    QApplication::setApplicationVersion(StartUp::version());
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    QtPrompter prompter;
    IniFile ini;
    RunningInstance instance(RunningInstance::defaultName(ini.path()));
    RecentFiles recentFiles;
    frmMDI frame(prompter, ini, recentFiles);
    prompter.setParentWindow(&frame);
    frame.Kommandozeile = StartUp::requestOf(QApplication::arguments());
    frame.setStartCommandLine(frame.Kommandozeile);

    const StartUp::Decision decision = StartUp(prompter, ini, instance).run(frame.Kommandozeile);
    if (decision.quit) return 0;
    frame.setWindowTitle(decision.caption);
    QObject::connect(&instance, &RunningInstance::wakeRequested, &frame, &frmMDI::bringToFront);
    frame.showMaximized();
    frame.setGeometry(frame.screen()->availableGeometry());  // also without a window manager
    frame.offerUnsavedCaptures();
    if (isGiven(frame.Kommandozeile)) frame.mnuOpen_Click();
    return QApplication::exec();
}
