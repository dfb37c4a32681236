#include "SaneScanner.h"

#include "SaneDevice.h"

namespace palvenor::acquire {

namespace {

// Runs call on the device's thread and waits for it.
template <typename Call>
auto onDeviceThread(SaneDevice* device, Call call) {
    decltype(call()) result{};
    QMetaObject::invokeMethod(device, [&] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

}  // namespace

SaneScanner::SaneScanner(QObject* parent) : Scanner(parent), device_(new SaneDevice) {
    thread_.setObjectName(QStringLiteral("SANE"));
    device_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, device_, &QObject::deleteLater);
    connect(device_, &SaneDevice::devicesFound, this, &Scanner::devicesFound);
    connect(device_, &SaneDevice::opened, this, &Scanner::opened);
    connect(device_, &SaneDevice::progress, this, &Scanner::progress);
    connect(device_, &SaneDevice::pageAvailable, this, &Scanner::pageAvailable);
    connect(device_, &SaneDevice::pageEnded, this, &Scanner::pageEnded);
    connect(device_, &SaneDevice::failed, this, &Scanner::failed);
    thread_.start();
}

// A page being read is stopped first, so the worker ends promptly; the device
// closes and SANE ends on the worker thread as it finishes.
SaneScanner::~SaneScanner() {
    device_->cancel();
    thread_.quit();
    thread_.wait();
}

bool SaneScanner::init() {
    return onDeviceThread(device_, [this] { return device_->init(); });
}

void SaneScanner::listDevices() { QMetaObject::invokeMethod(device_, &SaneDevice::listDevices); }

void SaneScanner::open(const QString& device) {
    QMetaObject::invokeMethod(device_, [this, device] { device_->open(device); });
}

ScanSettings SaneScanner::settings() {
    return onDeviceThread(device_, [this] { return device_->settings(); });
}

int SaneScanner::setSettings(const ScanSettings& settings) {
    return onDeviceThread(device_, [&] { return device_->setSettings(settings); });
}

int SaneScanner::setOption(const QString& name, const QString& value) {
    return onDeviceThread(device_, [&] { return device_->setOption(name, value); });
}

void SaneScanner::scanPage() { QMetaObject::invokeMethod(device_, &SaneDevice::scanPage); }

// sane_cancel may come from any thread: it stops a sane_read that blocks.
void SaneScanner::cancel() { device_->cancel(); }

void SaneScanner::endPages() {
    onDeviceThread(device_, [this] { return device_->endPages(), 0; });
}

void SaneScanner::close() {
    onDeviceThread(device_, [this] { return device_->close(), 0; });
}

bool SaneScanner::feederSelected() {
    return onDeviceThread(device_, [this] { return device_->feederSelected(); });
}

int SaneScanner::cancelledStatus() const { return SANE_STATUS_CANCELLED; }

int SaneScanner::feederEmptyStatus() const { return SANE_STATUS_NO_DOCS; }

QString SaneScanner::statusText(int status) const {
    switch (status) {
    case SANE_STATUS_GOOD: return QString();
    case SANE_STATUS_UNSUPPORTED: return QStringLiteral("Der Scanner kann das nicht.");
    case SANE_STATUS_CANCELLED: return QStringLiteral("Der Scanvorgang wurde abgebrochen.");
    case SANE_STATUS_DEVICE_BUSY: return QStringLiteral("Der Scanner ist belegt.");
    case SANE_STATUS_INVAL: return QStringLiteral("Der Scanner ist nicht bereit oder nicht vorhanden.");
    case SANE_STATUS_JAMMED: return QStringLiteral("Papierstau im Einzug des Scanners.");
    case SANE_STATUS_NO_DOCS: return QStringLiteral("Im Einzug des Scanners liegt kein Papier.");
    case SANE_STATUS_COVER_OPEN: return QStringLiteral("Die Abdeckung des Scanners ist offen.");
    case SANE_STATUS_IO_ERROR: return QStringLiteral("Die Verbindung zum Scanner ist gestört.");
    case SANE_STATUS_NO_MEM: return QStringLiteral("Für den Scanner ist nicht genug Speicher frei.");
    case SANE_STATUS_ACCESS_DENIED: return QStringLiteral("Der Zugriff auf den Scanner wurde verweigert.");
    default: return QStringLiteral("Der Scanner meldet den Fehler %1.").arg(status);
    }
}

}  // namespace palvenor::acquire
