#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace palvenor::imaging {

class oleImgEdit;

// What the user is told when there is no scanner to scan with.
inline const QString kNoScannerMessage = QStringLiteral(
    "Es ist kein Scanner verfügbar.\nBitte schließen Sie einen Scanner an und wählen Sie ihn unter "
    "\"Twain-Quelle wählen\" aus.");

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
    // Shows the scanners found and lets the user choose one.
    virtual void ShowSelectSource() = 0;

    int ScanPages = 0;  // pages to scan in one run; 0 means all the feeder holds

    // Where the pages of the next scan go: page option, target file and
    // page, destination, one or many pages, and the source's own set-up
    // dialog shown before the scan.
    enum PageOptionValue { PageCreate = 0, PageAppend = 2, PageInsert = 3, PageOverwrite = 4 };
    int PageOption = PageCreate;
    QString Image;
    int Page = 0;
    int DestImageControl = 0;
    // The page view of the window the pages are for; a capture and pages for
    // a book that has no file yet go into its unsaved image.
    oleImgEdit* Destination = nullptr;
    bool MultiPage = false;
    bool ShowSetupBeforeScan = false;

    // Scans into the target set above; 0 means success.
    virtual int ScanToTarget() = 0;

signals:
    void pageScanned(int page, const QString& file);
};

}  // namespace palvenor::imaging
