#pragma once

// A shown book whose pages carry an asymmetric marker, with the page
// transforms driven through their menu entries.

#include "PageScene.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <set>
#include <utility>

namespace palvenor::test {

using Points = std::set<std::pair<int, int>>;

// The marker: an L of dark pixels near the top left corner and a dot near
// the bottom right, so every turn and mirror moves it differently.
inline Points markerPoints(int width, int height) {
    Points points;
    for (int x = 2; x < 12; ++x) points.insert({x, 3});
    for (int y = 3; y < 9; ++y) points.insert({2, y});
    points.insert({width - 4, height - 6});
    return points;
}

// The marker page in the pixel format of a page type: black-and-white,
// grey, palette or colour.
inline QImage markerPage(int width, int height, QImage::Format format) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(qRgb(250, 240, 200));
    for (const auto& [x, y] : markerPoints(width, height)) picture.setPixel(x, y, qRgb(10, 20, 90));
    if (format == QImage::Format_Mono) {
        QImage mono(width, height, QImage::Format_Mono);
        mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        mono.fill(0);
        for (const auto& [x, y] : markerPoints(width, height)) mono.setPixel(x, y, 1);
        return mono;
    }
    if (format == QImage::Format_Indexed8)
        return picture.convertToFormat(format, {qRgb(250, 240, 200), qRgb(10, 20, 90), qRgb(0, 255, 0)});
    return picture.convertToFormat(format);
}

// Where a page's dark pixels are (grey level below half).
inline Points darkPoints(const QImage& picture) {
    Points points;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(picture.pixel(x, y)) < 128) points.insert({x, y});
    return points;
}

inline Points mapped(const Points& points, const std::function<std::pair<int, int>(int, int)>& to) {
    Points result;
    for (const auto& [x, y] : points) result.insert(to(x, y));
    return result;
}

inline QImage pageOf(const QString& book, int page) {
    imaging::ImagingError error;
    const auto file = imaging::ImageFile::open(book, &error);
    return file ? file->readPage(page, &error) : QImage();
}

struct TransformScene : FrameScene {
    QString path;
    frmSample* w = nullptr;

    // A book of marker pages, one per format, each `width` x `height`.
    explicit TransformScene(const std::vector<QImage::Format>& formats, int width = 60, int height = 40) {
        path = dir.filePath(QStringLiteral("marke.tif"));
        std::vector<imaging::PageSource> pages;
        for (QImage::Format format : formats) {
            imaging::PageSource page;
            page.picture = markerPage(width, height, format);
            page.resolution = 200;
            pages.push_back(page);
        }
        if (!imaging::writeBook(path, pages).ok()) return;
        frame.resize(1100, 800);
        frame.show();
        w = open(path);
        QCoreApplication::processEvents();
    }

    imaging::oleImgEdit& edit() { return w->oleImgEdit1(); }
    void run(const char* entry) {
        auto* action = w->findChild<QAction*>(QString::fromUtf8(entry));
        ASSERT_NE(action, nullptr) << entry;
        ASSERT_TRUE(action->isEnabled()) << entry;
        action->trigger();
    }
    bool enabled(const char* name) { return w->controls().isEnabled(QString::fromUtf8(name)); }
    bool clipboardEmpty() { return QGuiApplication::clipboard()->image().isNull(); }
    void goTo(int page) { w->GehZuSeite(QString::number(page)); }

    // Draws a selection with the left mouse button in marking mode, in
    // screen pixels of the page view.
    void select(QPoint from, QPoint to) {
        qobject_cast<QAbstractButton*>(w->controls().find(QStringLiteral("mark")))->click();
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QWidget* viewport = edit().viewport();
        QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }
};

}  // namespace palvenor::test
