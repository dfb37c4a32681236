#pragma once

#include "ImageFile.h"
#include "PageAdmin.h"
#include "ImagingTypes.h"
#include "Prompter.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>

#include <memory>

namespace palvenor::imaging {

// The page view: shows one page of an image file at a zoom factor, scrolls
// it, and reports the properties of the shown page.
class oleImgEdit : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum FitType { BestFit = 0, FitToWidth = 1, FitToHeight = 2, ActualSize = 3 };
    // Display scaling: smooth grey scaling of black-and-white pages, or crisp pixels.
    enum ScaleAlgorithm { ScaleGray = 2, ScaleCrisp = 4 };

    explicit oleImgEdit(QWidget* parent = nullptr);
    ~oleImgEdit() override;

    QString Image() const { return image_; }
    // Names the file to show; opening reads its directories, not its pictures.
    // An empty name closes the file.
    void setImage(const QString& path);
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

    // The selection rectangle in page pixels; empty when none is drawn.
    QRect SelectionRect() const { return selection_; }
    void setSelectionRect(const QRect& rect) { selection_ = rect.normalized(); }
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

    int StatusCode() const { return status_.code; }
    const ImagingError& lastError() const { return status_; }

    // The picture of the shown page (null while nothing is shown).
    const QImage& picture() const { return picture_; }

signals:
    void pageShown(int page);
    void zoomChanged(float percent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<PageSource> pagesWithShownPageAt(const QString& file, int page) const;
    void reopen();
    void applyZoom(float percent);
    void applyFit();
    QSize scaledSize() const;
    void rebuildScaledPicture();
    QImage scaledDown() const;
    void updateScrollBars();

    QString image_;
    std::unique_ptr<ImageFile> file_;
    int page_ = 1;
    QImage picture_;
    QPixmap fullPixmap_;
    QPixmap scaledPixmap_;  // the picture at the current zoom, when zoomed out
    PageInfo info_;
    ImagingError status_;
    float zoom_ = 100.0f;
    QRect selection_;
    int fitMode_ = -1;  // the kept fit mode, -1 for a zoom set by number
    int scaleAlgorithm_ = ScaleCrisp;
    bool modified_ = false;
};

}  // namespace palvenor::imaging
