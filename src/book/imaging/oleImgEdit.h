#pragma once

#include "AnnotationLayer.h"
#include "ImageFile.h"
#include "PageAdmin.h"
#include "PageTools.h"
#include "ImagingTypes.h"
#include "Prompter.h"
#include "ToolAttributes.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>

#include <map>
#include <memory>

namespace palvenor::imaging {

enum class Turn;
class PastedPicture;

// The page view: shows one page of an image file at a zoom factor, scrolls
// it, and reports the properties of the shown page. Annotations are drawn
// over the page; what the left mouse button does is up to the plugged-in
// tool (PageTools.h).
class oleImgEdit : public QAbstractScrollArea, private ToolHost {
    Q_OBJECT
public:
    enum FitType { BestFit = 0, FitToWidth = 1, FitToHeight = 2, ActualSize = 3 };
    // Display scaling: smooth grey scaling of black-and-white pages, or crisp pixels.
    enum ScaleAlgorithm { ScaleGray = 2, ScaleCrisp = 4 };
    // Mouse pointers: the chosen tool's own, the cross for marking areas, the hand.
    enum MousePointers { PointerOfTool = 0, PointerMark = 10, PointerHand = 23 };
    // What BurnInAnnotations burns in.
    enum BurnInOption { BurnAll = 0, BurnVisible = 1, BurnMarked = 2 };
    // BurnInAnnotations' colour rule keeping the annotations' own colours
    // where the page has colours; any other value burns them in black.
    static constexpr int BurnOwnColours = 2;
    // Mouse positions go out in twips, the unit the document window computes
    // in: Qt lays widgets out in pixels of a 96 dpi screen, 1440 / 96 = 15.
    static constexpr double TwipsPerPixel = 15;

    explicit oleImgEdit(QWidget* parent = nullptr);
    ~oleImgEdit() override;

    QString Image() const { return image_; }
    // Names the file to show; opening reads its directories, not its pictures.
    // An empty name closes the file.
    void setImage(const QString& path);
    // Shows the pages of a file that is not yet the document, as a scanned
    // capture before it is saved: Image stays empty, PageCount and Display
    // work on that file, and SaveAs writes its pages. Called again, it reads
    // the file's directories anew (the file grew).
    void showUnsavedPages(const QString& path);
    // That file while it is shown, else empty.
    QString unsavedPagesFile() const { return image_.isEmpty() ? pagesFile_ : QString(); }
    int Page() const { return page_; }
    void setPage(int page);
    int PageCount() const;

    // Decodes the set page and shows it; StatusCode tells the outcome.
    void Display();
    void Refresh();
    void ClearDisplay();
    // A new blank page of the given type, white, shown but not in any file.
    void DisplayBlankImage(int width, int height, double xResolution, double yResolution,
                           int pageType);

    float Zoom() const { return zoom_; }
    // A zoom set by number ends any fit mode.
    void setZoom(float percent);
    // Fits the page to the view; the fit is kept when the view changes size.
    void FitTo(int fitType);

    // Where the page's top left corner lies in the view, in screen pixels:
    // inside it when the page is smaller, before it when scrolled.
    QPoint pageOrigin() const;

    // The selection rectangle in page pixels; empty when none is drawn.
    QRect SelectionRect() const { return selection_; }
    // Draws rect as the selection rectangle; an empty one removes it.
    void setSelectionRect(const QRect& rect);
    // Zooms so that the selection fills the view and scrolls it into sight.
    void ZoomToSelection();

    int DisplayScaleAlgorithm() const { return scaleAlgorithm_; }
    void setDisplayScaleAlgorithm(int algorithm);

    bool ImageModified() const { return modified_; }
    void setImageModified(bool modified) { modified_ = modified; }

    int FileType() const;
    int PageType() const { return info_.pageType; }
    int CompressionType() const { return info_.compression; }
    QString CompressionInfo() const { return info_.compressionInfo; }
    int ImageWidth() const { return info_.width; }
    int ImageHeight() const { return info_.height; }
    double ImageResolutionX() const { return info_.xResolution; }
    double ImageResolutionY() const { return info_.yResolution; }

    // Writes the shown page as page `page` of file (a new file if there is
    // none): black-and-white pages as CCITT G4, the others compressed
    // without loss. Untouched pages of the file are copied as they are.
    void SavePage(const QString& file, int fileType, int page);
    // Writes the shown document back to its own file.
    void Save();
    // Writes the shown document under a new name: every page of a TIFF
    // book, or the shown page as a bitmap.
    void SaveAs(const QString& file, int fileType);

    // The page information: size, resolution, type and compression of the shown page.
    void PageProperties(Prompter& prompter) const;

    // Who the view asks for annotation texts, text files and tool settings.
    void setPrompter(Prompter* prompter) { prompter_ = prompter; }

    // Plugs in annotation tool `tool` (Tool in ToolAttributes.h; 0 for none)
    // and reports it with toolSelected. Choosing a tool ends the hand and
    // marking pointers.
    void SelectTool(int tool);
    // The stamp chooser; the chosen stamp becomes the tool.
    void ChooseStamp();
    // The attribute dialog of a drawing tool, numbered from the freehand
    // line (1) to the stamp (9).
    void ShowToolAttributes(int tool);
    int MousePointer() const { return mousePointer_; }
    void setMousePointer(int pointer);
    // Whether the left button draws a selection rectangle while no tool is
    // chosen. Switching it off removes the drawn one.
    bool SelectionRectangle() const { return selectionRectangle_; }
    void setSelectionRectangle(bool on);
    // Scrolls by amount screen pixels: 0 down, 1 up, 2 right, 3 left (the
    // page moves the other way, as if pushed by a hand).
    void ScrollImage(int direction, int amount);

    const AnnotationLayer& annotationLayer() const { return annotations_; }
    void DeleteSelectedAnnotations();
    // Burns annotations into the page's pixels (BurnInOption says which);
    // they are no longer annotations then.
    void BurnInAnnotations(int option, int colours);
    void HideAnnotations() { annotations_.setHidden(true); }
    void ShowAnnotations() { annotations_.setHidden(false); }
    // A picture annotation of the file over area, in screen pixels from the
    // top left corner of the visible part of the page; an empty area takes
    // the picture's own size.
    void drawPicture(AnnotationKind kind, const QString& file, const QRect& area);

    int StatusCode() const { return status_.code; }
    const ImagingError& lastError() const { return status_; }

    // The picture of the shown page (null while nothing is shown).
    const QImage& picture() const { return picture_; }

    // Changes of the shown page's picture (oleImgEditChanges.cpp). Each is
    // one step that Undo takes back; none touches the file.
    // Turns the page, its annotations with it.
    void RotateLeft();
    void RotateRight();
    void Flip();
    void Invert();
    // Cuts the page down to area (page pixels).
    void Trim(const QRect& area);
    // Puts the drawn selection of the page on the clipboard.
    void ClipboardCopy();
    // Copies the selection, then whitens it on the page.
    void ClipboardCut();
    bool IsClipboardDataAvailable() const;
    // Lays the clipboard's picture over the page at the selection's top left
    // corner, or at the top left corner of the visible part. The left button
    // drags it about until it is fixed into the page: by CompletePaste, by a
    // press beside it, or by the next change or save of the page.
    void ClipboardPaste();
    // Fixes the pasted picture into the page where it lies, as one change.
    void CompletePaste();
    // The pasted picture not fixed yet; null when there is none.
    const PastedPicture* pastedPicture() const { return pasted_.get(); }
    // Takes back the last change of the shown page, a paste not fixed yet
    // first: ErrorNothingToUndo when there is none, else 0.
    int Undo();
    static constexpr int ErrorNothingToUndo = 5;

signals:
    void pageShown(int page);
    void zoomChanged(float percent);
    // The mouse in the view: buttons 1 left, 2 right, 4 middle (for a move
    // those held down); shift 1 Shift, 2 Ctrl, 4 Alt; x, y in twips.
    void mouseDown(int button, int shift, double x, double y);
    void mouseMove(int button, int shift, double x, double y);
    void mouseUp(int button, int shift, double x, double y);
    // A selection rectangle was drawn, in page pixels; zero size for a click.
    void selectionDrawn(int left, int top, int width, int height);
    void toolSelected(int tool);
    void annotationMarked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // ToolHost
    AnnotationLayer& layer() override { return annotations_; }
    void repaintPageArea(const QRectF& area) override;
    void takeSelection(const QRect& area) override;
    void annotationsChanged() override { stepDone(); }
    void reportMarked() override { emit annotationMarked(); }
    double screenPixel() const override { return 100.0 / zoom_; }
    double pageDpi() const override;
    QRectF pageArea() const override { return QRectF(picture_.rect()); }
    Prompter* prompter() override { return prompter_; }
    QString bookFolder() const override;

    QPointF toPage(QPointF viewPoint) const;
    PageTool* leftButtonTool();
    ToolAttributes attributesOf(int tool) const;
    std::unique_ptr<PageTool> makeTool(int tool);
    void useTool(std::unique_ptr<PageTool> tool, int number);
    void updateCursor();
    void paintPage(QPainter& painter, QPoint origin, const QRect& target);
    void paintOverlay(QPainter& painter, QPoint origin, const QRect& target) const;

    std::vector<PageSource> pagesWithShownPageAt(const QString& file, int page) const;
    PageSource shownPageSource() const;
    bool turnedAcross() const;
    void reopen();
    void applyZoom(float percent);
    void applyFit();
    QSize scaledSize() const;
    void rebuildScaledPicture();
    QImage scaledDown() const;
    void updateScrollBars();

    // The undo history: the page as it was before each change since it was shown.
    struct EditState {
        QImage picture;
        PageInfo info;
        std::vector<Annotation> annotations;
        bool modified = false;
    };
    EditState currentState() const;
    // A change is done: the state before it goes on the history.
    void stepDone();
    // A page is shown afresh: nothing to take back.
    void forgetSteps();
    // The shown page is in the file now: every earlier state differs from it.
    void stepsSaved();
    void takePicture(QImage picture);
    // The pasted picture goes without being fixed.
    void dropPaste();
    void turn(Turn how);
    void place(const QImage& part, QPoint at);

    QString image_;
    QString pagesFile_;  // where the shown pages are read from: the image, or unsaved pages
    std::unique_ptr<ImageFile> file_;
    int page_ = 1;
    QImage picture_;
    qint64 pictureAsRead_ = 0;  // cacheKey of picture_ as read from the file: unchanged while equal
    QByteArray annotationsAsRead_;  // the annotations as read from the file, encoded
    QPixmap scaledPixmap_;  // the picture at the current zoom, when zoomed out
    PageInfo info_;
    ImagingError status_;
    float zoom_ = 100.0f;
    QRect selection_;
    int fitMode_ = -1;  // the kept fit mode, -1 for a zoom set by number
    int scaleAlgorithm_ = ScaleCrisp;
    bool modified_ = false;

    Prompter* prompter_ = nullptr;
    AnnotationLayer annotations_;
    std::map<int, ToolAttributes> attributes_;  // of the tools the user set up
    std::unique_ptr<PageTool> selectionTool_;
    std::unique_ptr<PageTool> tool_;
    int toolNumber_ = NoTool;
    QString stamp_;              // of the stamp tool
    PageTool* pressed_ = nullptr;  // the tool the left button went down with
    int mousePointer_ = PointerOfTool;
    bool selectionRectangle_ = false;
    std::vector<EditState> undo_;
    EditState settled_;  // after the last change, or as shown
    std::unique_ptr<PastedPicture> pasted_;
};

}  // namespace palvenor::imaging
