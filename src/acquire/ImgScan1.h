#pragma once

#include "ImagingTypes.h"
#include "ImgScan.h"
#include "ScanSpool.h"
#include "Scanner.h"

#include <memory>
#include <optional>

namespace palvenor {
class Prompter;
}

namespace palvenor::acquire {

// The scan control of the document windows over a scanner back end. A scan
// reads page after page, each on the back end's thread, and compresses each
// on a thread of its own, while this thread keeps the windows alive and
// shows a progress dialog whose cancel button stops the page. Every page is
// stored as it arrives, in the order read: a capture, and pages
// for a book that has no file yet, into a spool file in the user's data
// folder (the destination page view shows it as its unsaved image), other
// pages into the book's file at the place the page option names. Failures
// are told to the user in German.
class ImgScan1 : public imaging::ImgScan {
    Q_OBJECT
public:
    ImgScan1(std::unique_ptr<Scanner> scanner, Prompter& prompter, QObject* parent = nullptr);
    ~ImgScan1() override;

    bool ScannerAvailable() const override;
    QStringList sources() const override;
    void selectSource(const QString& source) override;
    int OpenScanner() override;
    int StartScan() override;
    void CloseScanner() override;
    void ShowScanPreferences() override;
    int ScanToTarget() override;

    void ShowSelectSource() override;
    QString chosenSource() const { return source_; }
    Scanner& scanner() { return *scanner_; }

private:
    struct Target;
    Target target() const;
    int scanPages();
    imaging::ImagingError store(const Target& target, int position, const EncodedPage& page);
    void showStored(const Target& target);
    int pagesEnded(int status, int pagesDone);
    int applySettings();
    std::optional<int> askSettings();
    void tell(const QString& text);

    std::unique_ptr<Scanner> scanner_;
    Prompter& prompter_;
    mutable QList<ScannerDevice> devices_;
    QString source_;
    bool open_ = false;
    std::optional<ScanSettings> settings_;  // as the user last set them
};

}  // namespace palvenor::acquire
