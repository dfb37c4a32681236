#include "ViewModes.h"

#include "frmSample.h"

#include <QMdiSubWindow>
#include <QSplitter>

namespace palvenor {

namespace {

constexpr const char* kModeEntries[] = {"mnuOnePage", "mnuPageThumbnail", "mnuThumbnail"};

}  // namespace

void ViewModes::show(Mode mode) {
    for (int m = OnePage; m <= ThumbnailsOnly; ++m)
        w_.controls().setChecked(QString::fromUtf8(kModeEntries[m]), m == mode);
    layOut();
}

void ViewModes::layOut() {
    const Mode mode = checkedMode();
    QSplitter& splitter = w_.pageSplitter();
    const int width = splitter.width();
    w_.oleImgThumbnail1().setVisible(mode != OnePage);
    w_.oleImgThumbnail1().showAsAlbum(mode == ThumbnailsOnly);
    w_.oleImgEdit1().setVisible(mode != ThumbnailsOnly);
    if (mode == PageAndThumbnails) splitter.setSizes({width / 7, width - width / 7});
    if (mode == ThumbnailsOnly) splitter.setSizes({width, 0});
}

ViewModes::Mode ViewModes::checkedMode() const {
    for (int m = OnePage; m <= ThumbnailsOnly; ++m)
        if (w_.controls().isChecked(QString::fromUtf8(kModeEntries[m]))) return Mode(m);
    return OnePage;
}

// The window's state inside the frame: normal or maximised. The check mark
// follows the state itself (followWindowState), however it was changed.
void ViewModes::toggleFullScreen() {
    auto* sub = qobject_cast<QMdiSubWindow*>(w_.parentWidget());
    if (!sub) return;
    if (sub->isMaximized())
        sub->showNormal();
    else
        sub->showMaximized();
}

void ViewModes::followWindowState() {
    auto* sub = qobject_cast<QMdiSubWindow*>(w_.parentWidget());
    if (!sub) return;
    frmSample* window = &w_;
    QObject::connect(sub, &QMdiSubWindow::windowStateChanged, window,
                     [window](Qt::WindowStates, Qt::WindowStates state) {
                         window->controls().setChecked(QStringLiteral("mnuFullScreen"),
                                                       state.testFlag(Qt::WindowMaximized));
                     });
}

// The page fields follow the shown page, as after any other page change.
void ViewModes::thumbnailClicked(int page) {
    if (page < 1) return;
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    edit.setPage(page);
    edit.Display();
    w_.oleImgThumbnail1().DeselectAllThumbs();
    w_.oleImgThumbnail1().setThumbSelected(page, true);
    w_.refreshPageFields(page);
}

}  // namespace palvenor
