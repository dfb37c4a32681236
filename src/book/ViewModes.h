#pragma once

namespace palvenor {

class frmSample;

// How a document window is shared between the page view and the thumbnail
// strip: one page, page and thumbnails (a strip a seventh of the width), or
// thumbnails only; the full-screen toggle; and a click on a thumbnail.
class ViewModes {
public:
    enum Mode { OnePage, PageAndThumbnails, ThumbnailsOnly };

    explicit ViewModes(frmSample& window) : w_(window) {}

    void show(Mode mode);
    // Lays the window out again for the checked mode (after a resize).
    void layOut();
    Mode checkedMode() const;
    void toggleFullScreen();
    // Keeps the full-screen check mark on the window's real state.
    void followWindowState();
    void thumbnailClicked(int page);

private:
    frmSample& w_;
};

}  // namespace palvenor
