#include "StartUp.h"

#include "IniFile.h"
#include "OpenRequest.h"
#include "Prompter.h"
#include "RunningInstance.h"

#include <QCoreApplication>
#include <QDir>

namespace palvenor {

QString StartUp::applicationTitle() { return kAppTitle; }

QString StartUp::version() { return QStringLiteral("%1.%2").arg(PALVENOR_VERSION_MAJOR).arg(PALVENOR_VERSION_MINOR); }

QString StartUp::versionedTitle() { return applicationTitle() + u' ' + version(); }

QString StartUp::requestOf(const QStringList& arguments) {
    return absoluteRequest(arguments.mid(1).join(QLatin1Char(' ')).trimmed(), QDir::currentPath());
}

StartUp::Decision StartUp::run(const QString& commandLine) {
    QCoreApplication::processEvents();
    if (!instance_.anotherIsRunning()) {
        instance_.listen();
        return {false, versionedTitle()};
    }
    const auto answer = prompter_.message(kNewInstanceQuestion, applicationTitle(),
                                          Prompter::Buttons::YesNo, Prompter::Icon::Question);
    if (answer == Prompter::Answer::Yes) return {false, applicationTitle()};
    if (!commandLine.isEmpty()) ini_.IniSchreiben(kHandOverSection, kHandOverKey, commandLine);
    instance_.wakeOther();
    return {true, QString()};
}

}  // namespace palvenor
