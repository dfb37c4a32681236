#pragma once

#include <QString>
#include <QStringList>

namespace palvenor {

class IniFile;
class Prompter;
class RunningInstance;

// Settles at start-up whether this program goes on or hands its request to
// the program already running.
class StartUp {
public:
    StartUp(Prompter& prompter, IniFile& ini, RunningInstance& instance)
        : prompter_(prompter), ini_(ini), instance_(instance) {}

    struct Decision {
        bool quit = false;  // the request went to the running program
        QString caption;    // the frame caption when going on
    };

    Decision run(const QString& commandLine);

    // The open request the program was started with: its arguments as one
    // text, the path made absolute against the folder it was started in.
    static QString requestOf(const QStringList& arguments);

    static QString applicationTitle();
    // The program's version, "major.minor".
    static QString version();
    // The title with the version, as a program that runs alone shows it.
    static QString versionedTitle();

private:
    Prompter& prompter_;
    IniFile& ini_;
    RunningInstance& instance_;
};

inline const QString kNewInstanceQuestion = QStringLiteral("Neue Instanz des Programms starten ?");

}  // namespace palvenor
