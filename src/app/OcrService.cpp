#include "OcrService.h"

#include "OcrEngine.h"
#include "OcrJob.h"
#include "PageMouse.h"
#include "frmOCR.h"
#include "frmSample.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

#include <cmath>

namespace palvenor {

OcrService::OcrService(Prompter& prompter, EngineFactory makeEngine, ActiveDocument activeDocument)
    : prompter_(prompter), makeEngine_(std::move(makeEngine)), activeDocument_(std::move(activeDocument)) {}

OcrService::~OcrService() = default;

ocr::frmOCR& OcrService::window() {
    if (!window_) {
        window_ = std::make_unique<ocr::frmOCR>(prompter_, settings_, pageArea());
        window_->runOcrCommand = [this] {
            if (frmSample* document = activeDocument_()) mnuOCR_Click(*document);
        };
        QObject::connect(window_.get(), &ocr::frmOCR::unloading, [this] {
            if (engine_) engine_->OcrShutdown(ocr::OcrEngine::kAllJobs);
        });
    }
    return *window_;
}

// Where the active book shows its page, in screen coordinates.
QRect OcrService::pageArea() const {
    frmSample* document = activeDocument_();
    if (!document) return QRect();
    const QWidget& view = document->oleImgEdit1();
    return QRect(view.mapToGlobal(QPoint(0, 0)), view.size());
}

void OcrService::unloadWindow() {
    if (window_) window_->close();
}

void OcrService::mnuOCR_Click(frmSample& document) {
    QCoreApplication::processEvents();
    if (!document.selectionPresent) {
        showWindow();
        return;
    }
    const bool copied = copySelection(document);
    setSelectionPresent(document, false);
    document.oleImgEdit1().setSelectionRect(QRect());
    const double dpi = document.oleImgEdit1().ImageResolutionX();
    ocr::formatOptions.ResolutionFactor = float(std::lround(dpi) * 39);
    if (!window().isVisible()) window().showNormal();
    if (!copied) return;
    if (!engine_) engine_ = makeEngine_();
    ocr::OcrJob(*engine_, window(), prompter_, &document).RunOcr();
}

// The marked part of the shown page, with the page's resolution, as the
// picture in the clipboard. False when nothing of the page is marked.
bool OcrService::copySelection(frmSample& document) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const imaging::oleImgEdit& edit = document.oleImgEdit1();
    QImage area = edit.picture().copy(edit.SelectionRect().intersected(edit.picture().rect()));
    if (area.isNull()) return false;
    area.setDotsPerMeterX(qRound(edit.ImageResolutionX() / 0.0254));
    area.setDotsPerMeterY(qRound(edit.ImageResolutionY() / 0.0254));
    clipboard->setImage(area);
    const QMimeData* data = clipboard->mimeData();
    return data && data->hasImage();
}

void OcrService::showWindow() {
    window().show();
    window().raise();
    window().activateWindow();
}

}  // namespace palvenor
