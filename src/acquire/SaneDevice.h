#pragma once

#include "Scanner.h"

#include <sane/sane.h>

#include <QHash>
#include <QObject>

#include <atomic>

namespace palvenor::acquire {

// The SANE library and one open device, used from one thread only (the
// scanner's worker thread); cancel alone may come from any thread.
class SaneDevice : public QObject {
    Q_OBJECT
public:
    ~SaneDevice() override;

    bool init();
    void listDevices();
    void open(const QString& name);
    ScanSettings settings();
    int setSettings(const ScanSettings& wanted);
    int setOption(const QString& name, const QString& value);
    void scanPage();
    void cancel();
    void endPages();
    void close();
    bool feederSelected();

signals:
    void devicesFound(const QList<palvenor::acquire::ScannerDevice>& devices);
    void opened(int status);
    void progress(int percent);
    void pageAvailable(const palvenor::acquire::ScannedPage& page);
    void pageEnded(int status);
    void failed(int status);

private:
    const SANE_Option_Descriptor* option(const char* name, int* index) const;
    bool isActive(const char* name) const;
    double number(const char* name) const;
    QString text(const char* name) const;
    QStringList choices(const char* name) const;
    void rangeOf(const char* name, double* min, double* max) const;
    SANE_Status setNumber(const char* name, double value);
    SANE_Status setText(const char* name, const QString& value);
    QString modeOf() const;
    SANE_Status setMode(const QString& mode);
    SANE_Status readPage(const SANE_Parameters& parameters, ScannedPage* page);
    void endPage(SANE_Status status);

    bool initialised_ = false;
    std::atomic<SANE_Handle> handle_ = nullptr;
    // Set by cancel, cleared when a run of pages ends: a page read after it
    // counts as cancelled, whatever the device answers.
    std::atomic<bool> cancelled_ = false;
    // Set when a page did not come, cleared when the run of pages ends.
    bool stopped_ = false;
    QHash<QByteArray, int> options_;  // option name to number, of the open device
};

}  // namespace palvenor::acquire
