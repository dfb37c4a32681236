#pragma once

#include "ControlSet.h"
#include "DocumentTable.h"
#include "ImgAnnTool.h"
#include "PageModel.h"
#include "oleImgAdmin.h"
#include "oleImgEdit.h"
#include "oleImgThumbnail.h"

#include <QMainWindow>

#include <functional>

class QLineEdit;
class QMenu;
class QRadioButton;
class QSplitter;
class QToolBar;
class QToolButton;

namespace palvenor {

class FrameLink;
class Navigation;
class Prompter;

// The document window of one book: page view, thumbnail strip, the page
// fields and the window's menus. It hosts the book's state and wires its
// controls to the commands; the commands themselves live in their own classes.
// The window lives in a sub-window of the frame and is closed, and deleted,
// through it.
class frmSample : public QMainWindow {
    Q_OBJECT
public:
    frmSample(DocumentTable& documents, Prompter& prompter, FrameLink& frame,
              QWidget* parent = nullptr);
    ~frmSample() override;

    // The window's index in the document table (its tag).
    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    DokumentEintrag& entry() { return documents_.Dokumente(tag_); }
    // Where this book's file dialogs start: the book's folder, or the one last used.
    QString dialogFolder();

    // Loads the file of the window's request, or asks for one.
    void oeffnen();
    // Enables the document commands once an image is shown.
    void Bild_vorhanden();
    // Closes this book's window (the frame and the other books stay).
    void closeBook();
    // Shows image page p after a change.
    void GehZuSeite(const QString& p);
    Navigation navigation();

    // The save commands, attached by whoever assembles the window's commands.
    // Each returns 0, or ErrorDialogCancelled when the user cancelled the save
    // dialog. Without them nothing is lost silently: the command stops.
    std::function<int()> saveCommand;
    std::function<int()> saveAsCommand;
    int runSaveCommand() { return saveCommand ? saveCommand() : imaging::ErrorDialogCancelled; }
    int runSaveAsCommand() { return saveAsCommand ? saveAsCommand() : imaging::ErrorDialogCancelled; }
    // Writes every page back into the document's own file.
    std::function<void()> resaveCommand;
    // Text recognition of the marked area, attached the same way.
    std::function<void()> ocrCommand;
    void runOcrCommand() {
        if (ocrCommand) ocrCommand();
    }

    // A new one-page document of the given page type (1..7), saved under a
    // name the user gives.
    void Neustart(int typ);

    // Page fields: writes both for image page p and shows them.
    void refreshPageFields(double p);
    // Shows the page fields as the page model holds them.
    void showPageFields();
    // The zoom field `mag`: the page view's zoom, rounded, with "%".
    void showZoomField();
    void showDoublePages(bool doublePages);

    imaging::oleImgEdit& oleImgEdit1() { return *edit_; }
    imaging::oleImgAdmin& oleImgAdmin1() { return admin_; }
    imaging::oleImgThumbnail& oleImgThumbnail1() { return *thumbnail_; }
    imaging::ImgAnnTool& ImgAnnTool1() { return annotationTool_; }
    PageModel& pages() { return pages_; }
    ControlSet& controls() { return controls_; }
    Prompter& prompter() { return prompter_; }
    FrameLink& frame() { return frame_; }
    // Item i (0-based) of the recent files in the file menu.
    QAction* mnuRecentFile(int i) { return mnuRecentFile_.at(i); }
    DocumentTable& documents() { return documents_; }
    // Holds the thumbnail strip and the page view side by side.
    QSplitter& pageSplitter() { return *splitter_; }

    // A selection rectangle of non-zero size is drawn in the page view.
    bool selectionPresent = false;
    // The last mouse-down (x1, y1) and mouse-up (x2, y2) points in the page
    // view, in its mouse units (twips).
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;

signals:
    // The user closed the window and it is going away; it still holds its tag.
    void closing(frmSample* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void buildMenus();
    void buildPageBar();
    void addCheckCommand(QMenu* menu, const char* name, const QString& caption,
                         std::function<void()> run);
    void buildPageMenu();
    void buildZoomMenu();
    void buildViewMenu();
    void buildAnnotationMenu();
    void buildAnnotationBar();
    void connectPageView();
    void buildOcrMenu();
    QToolButton* makeToolButton(const char* name, const QString& text, const QString& tip);
    void buildZoomBar();
    void buildViewModeButtons(QToolBar* bar);
    void arrangeToolBars();
    QAction* newCommand(QMenu* menu, const char* name, const QString& caption,
                        const QList<QKeySequence>& keys);
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        std::function<void()> run, const QList<QKeySequence>& keys);
    void setUpWindow();

    DocumentTable& documents_;
    Prompter& prompter_;
    FrameLink& frame_;
    int tag_ = 0;
    QList<QAction*> mnuRecentFile_;

    PageModel pages_;
    ControlSet controls_;
    imaging::oleImgAdmin admin_;
    imaging::oleImgEdit* edit_ = nullptr;
    imaging::oleImgThumbnail* thumbnail_ = nullptr;
    imaging::ImgAnnTool annotationTool_;
    QSplitter* splitter_ = nullptr;
    QLineEdit* seite_ = nullptr;
    QLineEdit* buchseite_ = nullptr;
    QLineEdit* mag_ = nullptr;
    QToolBar* pageBar_ = nullptr;
    QToolBar* zoomBar_ = nullptr;
    bool zoomBarOnOwnRow_ = false;
    QAction* seiteAction_ = nullptr;  // the fields' places in the page bar
    QAction* buchseiteAction_ = nullptr;
    bool paintNoticePending_ = false;
    QPoint dragStart_;  // where the surface was grabbed, in the frame's area
};

}  // namespace palvenor
