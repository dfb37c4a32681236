#pragma once

#include "Scanner.h"

#include <QThread>

#include <memory>

namespace palvenor::acquire {

class SaneDevice;

// The scanner back end over SANE. Every SANE call but sane_cancel runs on a
// worker thread of its own; settings calls wait for it (they are quick),
// finding, opening and reading devices report back through the signals.
class SaneScanner : public Scanner {
    Q_OBJECT
public:
    explicit SaneScanner(QObject* parent = nullptr);
    ~SaneScanner() override;

    bool init() override;
    void listDevices() override;
    void open(const QString& device) override;
    ScanSettings settings() override;
    int setSettings(const ScanSettings& settings) override;
    int setOption(const QString& name, const QString& value) override;
    void scanPage() override;
    void cancel() override;
    void endPages() override;
    void close() override;
    bool feederSelected() override;
    int cancelledStatus() const override;
    int feederEmptyStatus() const override;
    QString statusText(int status) const override;

private:
    QThread thread_;
    SaneDevice* device_ = nullptr;  // lives on thread_
};

}  // namespace palvenor::acquire
