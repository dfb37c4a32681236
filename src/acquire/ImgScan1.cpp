#include "ImgScan1.h"

#include "PageAdmin.h"
#include "PageEncoder.h"
#include "ProgramTemp.h"
#include "Prompter.h"
#include "ScanDialogs.h"
#include "ScanSpool.h"
#include "oleImgEdit.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProgressDialog>

namespace palvenor::acquire {

namespace {

// No device to open: the back end found none.
constexpr int kNoDevice = -1;

// Pages asked of the device beyond those that arrived: one it reads while
// the window takes up the page before, and one more, so that it reads on
// without waiting while the window is busy.
constexpr int kPagesAskedAhead = 2;

// Runs start and lets events run until done() says the answer came.
template <typename Start, typename Done>
void waitFor(Start start, Done done) {
    QEventLoop loop;
    start(loop);
    if (!done()) loop.exec();
}

}  // namespace

// Where the pages of a scan go: a file, as the page view's unsaved pages or
// as the book, and the place of the first page in it.
struct ImgScan1::Target {
    QString file;
    bool unsaved = false;
    int position = 1;
    bool appendsDirectly = false;  // each page goes after the last without rewriting the file
};

ImgScan1::ImgScan1(std::unique_ptr<Scanner> scanner, Prompter& prompter, QObject* parent)
    : ImgScan(parent), scanner_(std::move(scanner)), prompter_(prompter) {}

ImgScan1::~ImgScan1() { CloseScanner(); }

bool ImgScan1::ScannerAvailable() const { return scanner_->init(); }

QStringList ImgScan1::sources() const {
    bool found = false;
    waitFor(
        [&](QEventLoop& loop) {
            QObject::connect(scanner_.get(), &Scanner::devicesFound, &loop, [&](const QList<ScannerDevice>& devices) {
                devices_ = devices;
                found = true;
                loop.quit();
            });
            scanner_->listDevices();
        },
        [&] { return found; });
    QStringList names;
    for (const ScannerDevice& device : devices_) names << device.name;
    return names;
}

void ImgScan1::selectSource(const QString& source) {
    if (source == source_) return;
    CloseScanner();
    source_ = source;
}

void ImgScan1::tell(const QString& text) {
    prompter_.message(text, kAppTitle, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
}

void ImgScan1::ShowSelectSource() {
    const QStringList names = sources();
    if (names.isEmpty()) return tell(imaging::kNoScannerMessage);
    SourceDialog dialog(devices_, source_);
    if (prompter_.execDialog(dialog) == QDialog::Accepted) selectSource(dialog.chosen());
}

int ImgScan1::OpenScanner() {
    if (open_) return 0;
    const QString device = source_.isEmpty() ? sources().value(0) : source_;
    if (device.isEmpty()) {
        tell(imaging::kNoScannerMessage);
        return kNoDevice;
    }
    std::optional<int> status;
    waitFor(
        [&](QEventLoop& loop) {
            QObject::connect(scanner_.get(), &Scanner::opened, &loop, [&](int s) {
                status = s;
                loop.quit();
            });
            scanner_->open(device);
        },
        [&] { return status.has_value(); });
    if (*status != 0) {
        tell(QStringLiteral("Der Scanner \"%1\" lässt sich nicht öffnen.\n%2").arg(device, scanner_->statusText(*status)));
        return *status;
    }
    source_ = device;
    open_ = true;
    if (settings_) applySettings();
    return 0;
}

void ImgScan1::CloseScanner() {
    if (!open_) return;
    scanner_->close();
    open_ = false;
}

void ImgScan1::ShowScanPreferences() {
    const bool wasOpen = open_;
    if (!wasOpen && OpenScanner() != 0) return;
    askSettings();
    if (!wasOpen) CloseScanner();
}

// The user's settings go to the open device; a refusal is told.
int ImgScan1::applySettings() {
    const int refused = scanner_->setSettings(*settings_);
    if (refused != 0)
        tell(QStringLiteral("Der Scanner nimmt die Einstellungen nicht an.\n%1").arg(scanner_->statusText(refused)));
    return refused;
}

// The settings dialog of the open device; nothing when the user closes it
// without accepting, else what applying the settings gave.
std::optional<int> ImgScan1::askSettings() {
    ScanSettingsDialog dialog(scanner_->settings());
    if (prompter_.execDialog(dialog) != QDialog::Accepted) return std::nullopt;
    settings_ = dialog.chosen();
    return applySettings();
}

// Scans into the page view or the book as the page option says; a scanner
// that is not open is opened for this scan and closed after it.
int ImgScan1::StartScan() {
    const bool wasOpen = open_;
    if (const int status = OpenScanner(); status != 0) return status;
    const int status = scanPages();
    if (!wasOpen) CloseScanner();
    return status;
}

// The source's own settings come first when asked for; closing them
// without accepting scans nothing.
int ImgScan1::ScanToTarget() {
    if (const int status = OpenScanner(); status != 0) return status;
    if (ShowSetupBeforeScan) {
        const std::optional<int> refused = askSettings();
        if (!refused) return scanner_->cancelledStatus();
        if (*refused != 0) return *refused;
    }
    return scanPages();
}

ImgScan1::Target ImgScan1::target() const {
    Target t;
    const QString unsavedPages = Destination ? Destination->unsavedPagesFile() : QString();
    if (PageOption == PageCreate || (Image.isEmpty() && unsavedPages.isEmpty())) {
        t.file = newCaptureSpoolFile();
        t.unsaved = true;
        t.appendsDirectly = true;
        return t;
    }
    t.file = Image.isEmpty() ? unsavedPages : Image;
    t.unsaved = Image.isEmpty();
    t.appendsDirectly = t.unsaved && PageOption == PageAppend;
    t.position = PageOption == PageAppend ? pageCountOf(t.file) + 1 : std::max(1, Page);
    return t;
}

// Three threads share the work, so the device need not wait for the
// window: the device reads pages, kept asked for ahead of those that
// arrived; the encoder compresses each page that arrived; this thread
// stores and shows each encoded page, in the order they were read. The
// scan ends when every page that arrived is stored and either enough pages
// came or the device stopped giving them.
int ImgScan1::scanPages() {
    const Target where = target();
    if (where.file.isEmpty()) {
        tell(QStringLiteral("Für die gescannten Seiten lässt sich keine Datei anlegen."));
        return imaging::StatusWriteFailed;
    }
    QProgressDialog progress(QString(), QStringLiteral("Abbrechen"), 0, 100,
                             Destination ? Destination->window() : nullptr);
    progress.setWindowTitle(kAppTitle);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    QObject::connect(&progress, &QProgressDialog::canceled, scanner_.get(), &Scanner::cancel);
    QObject::connect(scanner_.get(), &Scanner::progress, &progress, &QProgressDialog::setValue);
    const bool feeder = scanner_->feederSelected();
    const auto wantsMore = [&](int pages) { return MultiPage && (ScanPages > 0 ? pages < ScanPages : feeder); };
    int requested = 0;
    int arrived = 0;
    int stored = 0;
    std::optional<int> stopped;  // the status with which the device stopped giving pages
    std::optional<int> result;
    QEventLoop loop;
    PageEncoder encoder;  // after the loop: its thread ends before the loop goes
    const auto askAhead = [&] {
        while (requested < arrived + kPagesAskedAhead && (requested == 0 || wantsMore(requested))) {
            ++requested;
            scanner_->scanPage();
        }
        if (requested > arrived)
            progress.setLabelText(QStringLiteral("Seite %1 wird eingelesen ...").arg(arrived + 1));
    };
    const auto finish = [&](int status) {
        result = status;
        loop.quit();
    };
    const auto finishWhenDone = [&] {
        if (stored < arrived) return;
        if (stopped)
            finish(pagesEnded(*stopped, stored));
        else if (!wantsMore(stored))
            finish(0);
    };
    QObject::connect(scanner_.get(), &Scanner::pageAvailable, &loop, [&](const ScannedPage& page) {
        if (result) return;
        ++arrived;
        askAhead();
        encoder.encode(page);
    });
    QObject::connect(scanner_.get(), &Scanner::pageEnded, &loop, [&](int status) {
        if (result) return;
        stopped = status;
        finishWhenDone();
    });
    QObject::connect(&encoder, &PageEncoder::encoded, &loop, [&](const EncodedPage& page) {
        if (result) return;
        const int position = where.position + stored;
        if (const imaging::ImagingError error = store(where, position, page); !error.ok()) {
            scanner_->cancel();
            finish(stored > 0 ? 0 : error.code);
            return tell(error.description);
        }
        ++stored;
        showStored(where);
        emit pageScanned(position, where.file);
        finishWhenDone();
    });
    progress.show();
    askAhead();
    if (!result) loop.exec();
    // Pages still asked for were cancelled; what they report goes to no one.
    QObject::disconnect(scanner_.get(), nullptr, &loop, nullptr);
    QObject::disconnect(scanner_.get(), nullptr, &progress, nullptr);
    scanner_->endPages();
    QCoreApplication::sendPostedEvents(scanner_.get(), QEvent::MetaCall);
    return *result;
}

imaging::ImagingError ImgScan1::store(const Target& target, int position, const EncodedPage& page) {
    if (target.appendsDirectly) return appendEncodedPage(target.file, page);
    const QString single = QDir(programTempFolder()).filePath(QStringLiteral("scanseite.tif"));
    QFile::remove(single);
    if (imaging::ImagingError error = appendEncodedPage(single, page); !error.ok()) return error;
    switch (PageOption) {
    case PageInsert: return imaging::insertPages(target.file, position, single, 1, 1);
    case PageOverwrite: return imaging::replacePages(target.file, position, single, 1, 1);
    default: return imaging::appendPages(target.file, single, 1, 1);
    }
}

// The page view takes up the grown file; its shown page stays until the
// window shows the new one.
void ImgScan1::showStored(const Target& target) {
    if (!Destination) return;
    if (target.unsaved)
        Destination->showUnsavedPages(target.file);
    else
        Destination->setImage(target.file);
}

// An empty feeder ends a run of pages; a cancelled page ends it quietly.
// Any other status is told, and the pages read before it stay stored.
int ImgScan1::pagesEnded(int status, int pagesDone) {
    if (status == scanner_->feederEmptyStatus() && pagesDone > 0) return 0;
    if (status != scanner_->cancelledStatus()) {
        QString text = scanner_->statusText(status);
        if (pagesDone > 0) text += QStringLiteral("\nDie bisher eingelesenen Seiten bleiben erhalten.");
        tell(text);
    }
    return pagesDone > 0 ? 0 : status;
}

}  // namespace palvenor::acquire
