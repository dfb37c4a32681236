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

    // Where the pages of the next scan go: page option, target file and
    // page, destination, one or many pages, and the source's own set-up
    // dialog shown before the scan.
    enum PageOptionValue { PageCreate = 0, PageAppend = 2, PageInsert = 3, PageOverwrite = 4 };
    int PageOption = PageCreate;
    QString Image;
    int Page = 0;
    int DestImageControl = 0;
    bool MultiPage = false;
    bool ShowSetupBeforeScan = false;

    // Scans into the target set above; 0 means success.
    virtual int ScanToTarget() = 0;

signals:
    void pageScanned(int page, const QString& file);
};

}  // namespace palvenor::imaging
