#include "OcrService.h"

#include "OcrEngine.h"
#include "OcrJob.h"
#include "frmOCR.h"
#include "frmSample.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

#include <cmath>

namespace palvenor {

OcrService::OcrService(Prompter& prompter, EngineFactory makeEngine)
    : prompter_(prompter), makeEngine_(std::move(makeEngine)) {}

OcrService::~OcrService() = default;

ocr::frmOCR& OcrService::window() {
    if (!window_) {
        window_ = std::make_unique<ocr::frmOCR>(prompter_);
        window_->runOcrCommand = [this] {
            if (lastDocument_) mnuOCR_Click(*lastDocument_);
        };
    }
    return *window_;
}

void OcrService::mnuOCR_Click(frmSample& document) {
    QCoreApplication::processEvents();
    lastDocument_ = &document;
    if (!document.selectionPresent) {
        showWindow();
        return;
    }
    const bool copied = copySelection(document);
    document.selectionPresent = false;
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
