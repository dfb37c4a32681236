#pragma once

#include <QRect>

class QWidget;

namespace palvenor::ocr {

// A top-level window's place as the user sees it: the top-left corner of its
// frame, title bar included, and its outer size. Qt learns the frame's size
// from the window manager only once the window is shown; before that the
// style's title bar height stands in for it.
QRect outerRect(const QWidget& window);
void setOuterRect(QWidget& window, const QRect& outer);

// outer, moved onto the screen it lies on, or the primary one, and shrunk
// where it is larger than that screen, so that the whole title bar can be
// seen. A rectangle that lies on a screen is kept.
QRect placedOnScreen(QRect outer);

// The right third of a page view's area, at least as wide as the window needs.
QRect besideThePage(const QWidget& window, const QRect& pageArea);

}  // namespace palvenor::ocr
