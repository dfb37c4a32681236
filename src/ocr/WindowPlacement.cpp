#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace palvenor::ocr {

namespace {

QMargins titleBar(const QWidget& window) {
    return QMargins(0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
}

}  // namespace

QRect outerRect(const QWidget& window) {
    return QRect(window.pos(), window.size().grownBy(titleBar(window)));
}

// move() places the frame's corner, resize() sets the inner size.
void setOuterRect(QWidget& window, const QRect& outer) {
    window.resize(outer.size().shrunkBy(titleBar(window)));
    window.move(outer.topLeft());
}

QRect placedOnScreen(QRect outer) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(outer)) return outer;
    QScreen* screen = QGuiApplication::screenAt(outer.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return outer;
    const QRect area = screen->availableGeometry();
    outer.setSize(outer.size().boundedTo(area.size()));
    outer.moveLeft(std::clamp(outer.left(), area.left(), area.right() + 1 - outer.width()));
    outer.moveTop(std::clamp(outer.top(), area.top(), area.bottom() + 1 - outer.height()));
    return outer;
}

QRect besideThePage(const QWidget& window, const QRect& pageArea) {
    const int width = std::max(pageArea.width() / 3, window.minimumSizeHint().width());
    return QRect(pageArea.right() + 1 - width, pageArea.top(), width, pageArea.height());
}

}  // namespace palvenor::ocr
