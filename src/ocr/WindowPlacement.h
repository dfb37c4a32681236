#pragma once

#include <QRect>

class QWidget;

namespace palvenor::ocr {

// A top-level window's place as the user sees it: the top-left corner of its
// frame, where the title bar starts, and its size with the title bar. Qt
// learns the frame's size from the window manager only once the window is
// shown, so the style's title bar height always stands in for it: a place
// read back is the place written, whatever frame the window manager draws.
QRect outerRect(const QWidget& window);
void setOuterRect(QWidget& window, const QRect& outer);

// outer, moved onto the screen it lies on, or the primary one, and shrunk
// where it is larger than that screen, so that the whole title bar can be
// seen. A rectangle that lies on a screen is kept.
QRect placedOnScreen(QRect outer);

// The right third of a page view's area, at least as wide as the window needs.
QRect besideThePage(const QWidget& window, const QRect& pageArea);

}  // namespace palvenor::ocr
