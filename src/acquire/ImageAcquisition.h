#pragma once

#include "Inet.h"
#include "SelectionPanel.h"

#include <QObject>
#include <QString>

class QLabel;

namespace palvenor {
class frmSample;
}

namespace palvenor::acquire {

// Pages from a folder of image files ("&Bilder verketten") and from a web
// directory ("&Website einlesen") for one document window: the commands
// fill the selection panel, START appends the marked files to a new
// black-and-white book or, with a target folder, saves them one by one.
// One instance lives in each document window and holds its acquisition
// state and its transfer control `Inet0`.
class ImageAcquisition : public QObject {
    Q_OBJECT
public:
    explicit ImageAcquisition(frmSample& window);
    // The instance of window; nullptr before installAcquisitionCommands.
    static ImageAcquisition* of(frmSample& window);

    void mnuVerketten_Click();
    void mnuWebsite_Click();
    // Fills the list from the folder or the web directory source names.
    void getliste(const QString& source, const QString& fileType);
    void Start_Click();
    // Fetches address into the cache file; an error page or a failed
    // transfer leaves no file there.
    void Datei_holen(const QString& address, const QString& name, const QString& fileType);

    Inet& Inet0() { return inet_; }
    SelectionPanel& panel() { return panel_; }
    QString cacheFile() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void closeIfAsked();
    void Inet0_StateChanged(int state);
    void showStatus(const QString& text);
    bool readDirectory(const QString& source);
    bool askStemName();
    bool startNewBook();
    void replaceFirstPage(const QString& pictureFile);
    void placePanel();
    void showPanel();
    void concatenate();
    void saveOneByOne();
    QString pictureOfEntry(int index);
    QByteArray fetch(const QString& address);
    void cancel();
    void setAcquisitionMenus(bool enabled);

    frmSample& w_;
    Inet inet_;
    SelectionPanel panel_;
    QLabel* status_ = nullptr;
    QString source_;
    QString fileType_;
    QString targetFolder_;
    QString stemName_;
    int nextNumber_ = 0;
    QString pageText_;
    bool transferFinished_ = false;
    bool transferFailed_ = false;
    bool cancelled_ = false;
    bool running_ = false;  // a START run or a directory transfer
    bool closeWhenDone_ = false;
};

// Adds "&Bilder verketten" and "&Website einlesen" to the window's file
// menu and the acquisition state to the window.
void installAcquisitionCommands(frmSample& window);

}  // namespace palvenor::acquire
