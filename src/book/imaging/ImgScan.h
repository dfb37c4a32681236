#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace palvenor::imaging {

// The scanner of a document window. 0 from OpenScanner and StartScan means
// success; every scanned page is reported by pageScanned.
class ImgScan : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool ScannerAvailable() const = 0;
    virtual QStringList sources() const = 0;
    virtual void selectSource(const QString& source) = 0;
    virtual int OpenScanner() = 0;
    virtual int StartScan() = 0;
    virtual void CloseScanner() = 0;
    virtual void ShowScanPreferences() = 0;

    int ScanPages = 0;  // pages to scan in one run; 0 means all the feeder holds

signals:
    void pageScanned(int page, const QString& file);
};

}  // namespace palvenor::imaging
