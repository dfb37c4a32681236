#pragma once

#include "FrameScene.h"
#include "ImgScan1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>

#include <functional>

#include <tiffio.h>

#include <gtest/gtest.h>

namespace palvenor::test {

// SANE's "test" back end as the only scanner: a configuration folder of this
// test run that names it alone, with the back end's own settings file.
inline void useSaneTestBackend() {
    static QTemporaryDir config;
    static const bool ready = [] {
        QFile list(config.filePath(QStringLiteral("dll.conf")));
        const bool written = list.open(QIODevice::WriteOnly) && list.write("test\n") > 0;
        list.close();
        QFile::copy(QStringLiteral("/etc/sane.d/test.conf"), config.filePath(QStringLiteral("test.conf")));
        qputenv("SANE_CONFIG_DIR", QFile::encodeName(config.path()));
        return written;
    }();
    ASSERT_TRUE(ready);
}

// Where the program keeps its files for this test alone (captures in progress).
struct DataFolder {
    QTemporaryDir dir;
    DataFolder() {
        useSaneTestBackend();
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
    }
};

// A frame whose scanner is the test back end's first device.
struct ScanScene {
    DataFolder data;
    FrameScene scene;
    acquire::ImgScan1& scanner = static_cast<acquire::ImgScan1&>(*scene.frame.scanner());

    // Opens the device with settings for black and white pages of a small
    // area, from the flatbed or page after page from the feeder.
    void prepare(bool feeder, int dpi = 100) {
        scanner.selectSource(QStringLiteral("test:0"));
        ASSERT_EQ(scanner.OpenScanner(), 0);
        set("mode", "Gray");
        set("depth", "1");
        set("resolution", QString::number(dpi));
        set("source", feeder ? "Automatic Document Feeder" : "Flatbed");
    }
    void set(const char* option, const QString& value) {
        ASSERT_EQ(scanner.scanner().setOption(QString::fromUtf8(option), value), 0) << option;
    }
    // Small reads with long pauses, so that reading a page takes a while.
    void slowPages() {
        set("read-limit", QStringLiteral("yes"));
        set("read-limit-size", QStringLiteral("1024"));
        set("read-delay", QStringLiteral("yes"));
        set("read-delay-duration", QStringLiteral("100000"));
    }
    // After `pages` pages (two or more) the device reads `status` instead of
    // the next page (SANE_STATUS_NO_DOCS: the feeder is empty). The device
    // reads a page ahead: when page n arrives, page n + 1 is being read, and
    // a change of its settings waits for that page and holds from page
    // n + 2. (Connected before the scan starts, this sees each page before
    // the scan asks for the next.)
    void statusAfter(int pages, const char* status) {
        onArrival([this, pages, status](int arrived) {
            if (arrived == pages - 1) set("read-return-value", QString::fromUtf8(status));
        });
    }
    // Runs `then` with the number of each page that arrives from the device.
    void onArrival(std::function<void(int)> then) {
        QObject::connect(&scanner.scanner(), &acquire::Scanner::pageAvailable, &scanner,
                         [then = std::move(then), arrived = 0]() mutable { then(++arrived); });
    }
    // The settings dialog shown before a page command scans is accepted as it is.
    void acceptSettings() {
        scene.prompter.onDialog([](QDialog&) { return int(QDialog::Accepted); });
    }
    // Presses "Abbrechen" at the first progress of page `page`, which the
    // progress dialog names while it is read (progress comes with a page's
    // first bytes); `cancelled` tells that it did.
    bool cancelled = false;
    void cancelWhileReading(int page) {
        const QString reading = QStringLiteral("Seite %1 wird eingelesen ...").arg(page);
        QObject::connect(&scanner.scanner(), &acquire::Scanner::progress, &scanner, [this, reading] {
            QProgressDialog* progress = progressDialog();
            if (cancelled || !progress || progress->labelText() != reading) return;
            cancelled = true;
            progress->findChild<QAbstractButton*>()->click();
        });
    }
    static QProgressDialog* progressDialog() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QProgressDialog*>(widget); dialog && dialog->isVisible()) return dialog;
        return nullptr;
    }
    frmSample* emptyWindow() { return scene.untitled(); }
    // The texts of the message boxes shown, in order.
    QStringList messages() const {
        QStringList texts;
        for (const ScriptedPrompter::Shown& shown : scene.prompter.shown())
            if (shown.kind == QStringLiteral("message")) texts << shown.text;
        return texts;
    }
    void run(frmSample& window, const char* command) {
        QObject* control = window.controls().find(QString::fromUtf8(command));
        ASSERT_NE(control, nullptr) << command;
        if (auto* action = qobject_cast<QAction*>(control))
            action->trigger();
        else
            qobject_cast<QAbstractButton*>(control)->click();
    }
};

// Width of a page 80 mm wide (the device's default area) at 100 dpi, as the
// device counts its pixels.
inline constexpr uint32_t kWidth100 = 314;

// A page of a TIFF file as libtiff reads it.
struct StoredPage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bits = 0;
    uint16_t compression = 0;
    uint16_t photometric = 0;
    int blackPixelsInFirstRow = 0;
};

inline std::vector<StoredPage> storedPages(const QString& file) {
    std::vector<StoredPage> pages;
    TIFF* tif = TIFFOpen(QFile::encodeName(file).constData(), "r");
    if (!tif) return pages;
    do {
        StoredPage page;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &page.width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &page.height);
        TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &page.bits);
        TIFFGetField(tif, TIFFTAG_COMPRESSION, &page.compression);
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &page.photometric);
        std::vector<uint8_t> row(TIFFScanlineSize(tif));
        if (page.bits == 1 && TIFFReadScanline(tif, row.data(), 0, 0) == 1) {
            const bool oneIsBlack = page.photometric == PHOTOMETRIC_MINISWHITE;
            for (uint32_t x = 0; x < page.width; ++x)
                if (bool(row[x / 8] & (0x80 >> (x % 8))) == oneIsBlack) ++page.blackPixelsInFirstRow;
        }
        pages.push_back(page);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

}  // namespace palvenor::test
