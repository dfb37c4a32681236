// A second program start that answers "No" to the new-instance question:
// it runs the real start-up against the INI file and running program of
// this user and exits 0 when it handed its request over, 1 otherwise.
#include "IniFile.h"
#include "RunningInstance.h"
#include "ScriptedPrompter.h"
#include "StartUp.h"

#include <QApplication>

using namespace palvenor;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    test::ScriptedPrompter prompter;
    prompter.answer(Prompter::Answer::No);
    IniFile ini;
    RunningInstance instance(RunningInstance::defaultName(ini.path()));
    const QString request = StartUp::requestOf(QApplication::arguments());
    return StartUp(prompter, ini, instance).run(request).quit ? 0 : 1;
}
