#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QStringList>

namespace palvenor::acquire {

// One page as the scanner delivered it: rows of bytesPerLine bytes, one
// sample (grey, depth 1, 8 or 16; 1 bit means black) or three (red, green,
// blue) per pixel.
struct ScannedPage {
    int width = 0;
    int height = 0;
    int depth = 8;
    int samplesPerPixel = 1;
    int bytesPerLine = 0;
    double dpi = 0;
    QByteArray data;
};

// A device the scanner back end found.
struct ScannerDevice {
    QString name;         // what opens it
    QString description;  // maker, model and kind, for the user
};

// What the user can set on an open device, with the choices it offers. An
// empty list or a zero range means the device has no such setting.
struct ScanSettings {
    int resolution = 0;  // dpi
    int minResolution = 0;
    int maxResolution = 0;
    QString mode;  // Modes below
    QStringList modes;
    QRectF area;     // millimetres from the top left corner
    QRectF maxArea;  // the largest area the device scans
    QString source;
    QStringList sources;
};

// The scanner modes the program names; a device offers some of them.
inline const QString kModeBlackWhite = QStringLiteral("Schwarz-Weiß");
inline const QString kModeGrey = QStringLiteral("Graustufen");
inline const QString kModeColour = QStringLiteral("Farbe");

// A scanner back end: finds devices, opens one, reads and changes its
// settings and scans pages one at a time. The blocking work runs away from
// the caller's thread; results come back as signals on the thread that owns
// this object. Statuses are 0 for success and otherwise the back end's own
// codes, which statusText explains.
class Scanner : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Makes the back end ready; false when there is no back end to use.
    virtual bool init() = 0;
    // Looks for devices; devicesFound follows.
    virtual void listDevices() = 0;
    // Opens a device; opened follows with the status.
    virtual void open(const QString& device) = 0;
    // The open device's settings; setSettings returns a status.
    virtual ScanSettings settings() = 0;
    virtual int setSettings(const ScanSettings& settings) = 0;
    // Sets one of the device's own options by its name to a text value.
    virtual int setOption(const QString& name, const QString& value) = 0;
    // Asks for the next page of a run: pageAvailable or pageEnded follows.
    // Pages may be asked for before the ones asked earlier came; they are
    // read one after another. After a page ended, those asked for after it
    // report nothing.
    virtual void scanPage() = 0;
    // Stops the page being read; callable at any time.
    virtual void cancel() = 0;
    // Ends a run of pages, so the next page starts a new run.
    virtual void endPages() = 0;
    virtual void close() = 0;

    // The device is a document feeder set to give page after page.
    virtual bool feederSelected() = 0;
    virtual int cancelledStatus() const = 0;
    virtual int feederEmptyStatus() const = 0;
    // A short German description of a status.
    virtual QString statusText(int status) const = 0;

signals:
    void devicesFound(const QList<palvenor::acquire::ScannerDevice>& devices);
    void opened(int status);
    // Percent of the current page read so far.
    void progress(int percent);
    void pageAvailable(const palvenor::acquire::ScannedPage& page);
    // The page did not come: the status tells why (the feeder is empty, the
    // user cancelled, the device failed).
    void pageEnded(int status);
    void failed(int status);
};

}  // namespace palvenor::acquire
