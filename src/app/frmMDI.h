#pragma once

#include "DocumentTable.h"
#include "FrameLink.h"
#include "OcrService.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QTabBar;

namespace palvenor {

class IniFile;
class Prompter;
class RecentFiles;

// The frame: holds the document windows, one tab per book in Tab1, and the
// frame's own menu. Opening files and creating windows happen here.
class frmMDI : public QMainWindow, public FrameLink {
    Q_OBJECT
public:
    frmMDI(Prompter& prompter, IniFile& ini, RecentFiles& recentFiles, QWidget* parent = nullptr);
    ~frmMDI() override;

    // The pending open request (command line, hand-over or recent file).
    QString Kommandozeile;

    // Opens Kommandozeile in a new document window (or asks for a file).
    void mnuOpen_Click();
    // A new document window with a fresh capture from the scanner.
    void mnuErfassen_Click();
    // A new document window with a new one-page book of page type k (1..7).
    void Neustart(int k) override;
    // Creates and registers a document window and loads its request.
    frmSample* DokumentAnlegen(const QString& path, const QString& name, const QString& request);

    DocumentTable& documents() { return documents_; }
    QTabBar& Tab1() { return *tabs_; }
    QMdiArea& mdiArea() { return *area_; }
    OcrService& ocr() { return ocr_; }

    // FrameLink
    void setTabCaption(int index, const QString& caption) override;
    void openPendingRequest(const QString& request) override;
    void documentPainted(frmSample& window) override;
    void exitProgram() override;
    GoToAnswer runGoToDialog() override;
    QString startCommandLine() const override { return startCommandLine_; }
    imaging::ImgScan* scanner() override;
    void setStartCommandLine(const QString& commandLine) { startCommandLine_ = commandLine; }
    void ZuletztHinzufuegen(const QString& path) override;
    void ZuletztMenue() override;
    void mnuRecentFile_Click(int index) override;
    QString dialogFolder() const override;

    // A second program start asked this one to come to the front.
    void bringToFront();
    // Offers the captures an earlier run scanned and did not save.
    void offerUnsavedCaptures();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void activateDocument(int k);
    void subWindowActivated(QMdiSubWindow* sub);
    void showMenus(const QList<QAction*>& menus);
    void discardWindow(frmSample* window);
    void onTabMouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void documentClosed(frmSample* window);
    void renumberWindow(int i);
    void stayMaximised();

    Prompter& prompter_;
    IniFile& ini_;
    RecentFiles& recentFiles_;
    OcrService ocr_;
    QList<QAction*> mnuRecentFile_;
    QList<QAction*> frameMenus_;  // shown while no book is open
    QString lastFolder_;          // of the active book, or of the last book opened or saved
    DocumentTable documents_;
    QMdiArea* area_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QString startCommandLine_;
    std::unique_ptr<imaging::ImgScan> scanner_;  // made when first used
};

}  // namespace palvenor
