#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace palvenor {

// Tells whether the program already runs for this user and lets a second
// start wake the running one. The request itself travels through the INI
// file; the local socket only carries the wake-up.
class RunningInstance : public QObject {
    Q_OBJECT
public:
    // name: the local server's name; one per user and INI file.
    explicit RunningInstance(QString name, QObject* parent = nullptr);

    static QString defaultName(const QString& iniPath);

    // True when another program answers on the name. A socket left behind by
    // a program that crashed does not count.
    bool anotherIsRunning() const;
    // Makes this program the one that answers; clears a stale socket first.
    bool listen();
    // Asks the running program to come to the front. False if none answers.
    bool wakeOther() const;

signals:
    void wakeRequested();

private:
    QString name_;
    QLocalServer server_;
};

}  // namespace palvenor
