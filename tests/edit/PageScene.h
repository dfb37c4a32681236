#pragma once

// A book open in a window, its pages told apart by their raw strips, and
// the page sequence commands driven through their menu entries.

#include "FrameScene.h"
#include "ImageFile.h"
#include "PageAdmin.h"
#include "oleImgThumbnail.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QToolButton>

#include <tiffio.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace palvenor::test {

// One page of a TIFF as libtiff reads it.
struct TiffPage {
    uint16_t compression = 0;
    uint16_t photometric = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    float xResolution = 0;
    float yResolution = 0;
    uint16_t resolutionUnit = 0;
    QByteArray raw;  // every strip's bytes as stored
};

inline std::vector<TiffPage> readPages(const QString& path) {
    std::vector<TiffPage> pages;
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif) return pages;
    do {
        TiffPage page;
        TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &page.compression);
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &page.photometric);
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &page.width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &page.height);
        TIFFGetField(tif, TIFFTAG_XRESOLUTION, &page.xResolution);
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &page.yResolution);
        TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &page.resolutionUnit);
        for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
            QByteArray strip(qsizetype(TIFFRawStripSize(tif, s)), Qt::Uninitialized);
            TIFFReadRawStrip(tif, s, strip.data(), strip.size());
            page.raw += strip;
        }
        pages.push_back(page);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

inline QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A picture of the given size with a dark frame and a cross, so it stays a
// recognisable black-and-white page of that size.
inline QImage framedPicture(int width, int height, QColor colour = Qt::darkBlue) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(colour, 3));
    painter.drawRect(2, 2, width - 5, height - 5);
    painter.drawLine(0, 0, width, height);
    return picture;
}

struct PageScene : FrameScene {
    QString path;
    frmSample* w = nullptr;
    std::map<QByteArray, std::string> known;

    explicit PageScene(int pages, const QString& kinds = QStringLiteral("bw")) {
        path = sampleBook(QStringLiteral("buch.tif"), pages, kinds, 1);
        label(path, "A");
        w = open(path);
    }

    // A generated book; books of different seeds have different pages.
    QString sampleBook(const QString& name, int pages, const QString& kinds, int seed) {
        const QString file = dir.filePath(name);
        QProcess generator;
        generator.start(QStringLiteral(PALVENOR_SAMPLEBOOK),
                        {file, QStringLiteral("--pages"), QString::number(pages), QStringLiteral("--kinds"), kinds,
                         QStringLiteral("--seed"), QString::number(seed)});
        if (!generator.waitForFinished(120000) || generator.exitCode() != 0) return QString();
        return file;
    }

    // Names the pages of a file "A1", "A2", ... by their raw strips.
    void label(const QString& file, const std::string& name) {
        int n = 0;
        for (const TiffPage& page : readPages(file)) known[page.raw] = name + std::to_string(++n);
    }

    // The book's pages by label; a page no file had is named by its size.
    std::string sequence() const {
        std::string text;
        for (const TiffPage& page : readPages(path)) {
            const auto it = known.find(page.raw);
            text += (text.empty() ? "" : " ") +
                    (it != known.end() ? it->second
                                       : std::to_string(page.width) + "x" + std::to_string(page.height));
        }
        return text;
    }

    void run(const char* entry) {
        auto* action = w->findChild<QAction*>(QString::fromUtf8(entry));
        ASSERT_NE(action, nullptr) << entry;
        ASSERT_TRUE(action->isEnabled()) << entry;
        action->trigger();
    }
    // Runs a menu entry while the next write of a book fails, as on a full disk.
    void runWithFailingWrite(const char* entry) {
        imaging::fault_injection::failAfterPages(0);
        run(entry);
        imaging::fault_injection::failAfterPages(-1);
    }
    void goTo(int page) { w->GehZuSeite(QString::number(page)); }
    bool enabled(const char* name) { return w->controls().isEnabled(QString::fromUtf8(name)); }

    // Page, page field, cached page count and arrows, e.g. "5 [5] of 13 <>",
    // with "-" for a disabled arrow; followed by " stale thumbnails" when
    // the thumbnail strip does not show the book's pages as they are now.
    std::string view() {
        const std::string page = std::to_string(w->oleImgEdit1().Page());
        return page + " [" + field(*w, "seite").toStdString() + "] of " + std::to_string(w->pages().Seitenzahl) +
               " " + (enabled("rueck") ? "<" : "-") + (enabled("vor") ? ">" : "-") +
               (thumbnailsShowTheBook() ? "" : " stale thumbnails");
    }
    bool thumbnailsShowTheBook() {
        imaging::ThumbnailModel& shown = w->oleImgThumbnail1().model();
        imaging::ThumbnailModel book;
        book.setFile(path);
        if (shown.rowCount() != book.rowCount()) return false;
        for (int row = 0; row < book.rowCount(); ++row) {
            const auto thumbnail = [row](imaging::ThumbnailModel& model) {
                return model.data(model.index(row), Qt::DecorationRole).value<QPixmap>().toImage();
            };
            if (thumbnail(shown) != thumbnail(book)) return false;
        }
        return true;
    }
    // Whether the view shows the picture of page n of the book file.
    bool shows(int n) {
        imaging::ImagingError error;
        const auto file = imaging::ImageFile::open(path, &error);
        return file && !w->oleImgEdit1().picture().isNull() &&
               file->readPage(n, &error) == w->oleImgEdit1().picture();
    }
};

// The texts of the message boxes shown, without the file dialogs.
inline QStringList messages(const ScriptedPrompter& prompter) {
    QStringList texts;
    for (const auto& shown : prompter.shown())
        if (shown.kind == QStringLiteral("message")) texts << shown.text;
    return texts;
}

inline void putOnClipboard(const QImage& picture) { QGuiApplication::clipboard()->setImage(picture); }

}  // namespace palvenor::test
