#pragma once

// A book window with the acquisition commands, driven through the menu,
// the selection panel and the scripted prompts; the new book's pages told
// apart by their sizes.

#include "ImageAcquisition.h"
#include "PageScene.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace palvenor::test {

struct AcquireScene : PageScene {
    QString newBook = dir.filePath(QStringLiteral("neu.tif"));

    AcquireScene() : PageScene(2) {}

    acquire::ImageAcquisition& acquisition() { return *acquire::ImageAcquisition::of(*w); }
    QListWidget& list() { return *w->findChild<QListWidget*>(QStringLiteral("List1")); }
    QStringList entries() {
        QStringList names;
        for (int i = 0; i < list().count(); ++i) names << list().item(i)->text();
        return names;
    }
    void mark(const QStringList& names) {
        for (int i = 0; i < list().count(); ++i) list().item(i)->setSelected(names.contains(list().item(i)->text()));
    }
    void start() { w->findChild<QPushButton*>(QStringLiteral("Start"))->click(); }
    void cancelButton() { w->findChild<QPushButton*>(QStringLiteral("cmdAbbrechen"))->click(); }
    bool panelShown() { return !list().isHidden() && !w->findChild<QWidget*>(QStringLiteral("Frame3"))->isHidden(); }
    QString status() { return w->findChild<QLabel*>(QStringLiteral("StatusPanel1"))->text(); }

    // Runs "&Bilder verketten" on folder with the given type; the new book
    // is named newBook.
    void concatenate(const QString& folder, const QString& type) {
        prompter.answerInput(folder);
        prompter.answerInput(type);
        prompter.answerFile(newBook);
        run("mnuVerketten");
        path = newBook;
    }
    // Runs "&Website einlesen"; without a target folder the new book is
    // named newBook.
    void website(const QString& address, const QString& type, const QString& target = {},
                 const QString& stem = {}, const QString& number = {}) {
        prompter.answerInput(address);
        prompter.answerInput(type);
        prompter.answerInput(target);
        if (target.isEmpty()) {
            prompter.answerFile(newBook);
            path = newBook;
        } else {
            prompter.answerInput(stem);
            if (!stem.isEmpty()) prompter.answerInput(number);
        }
        run("mnuWebsite");
    }
};

// A picture file of the given size; its page in a book reads "WxH".
inline QString pictureFile(const QString& folder, const QString& name, int width, int height,
                           QColor colour = Qt::black) {
    const QString file = QDir(folder).filePath(name);
    framedPicture(width, height, colour).save(file);
    return file;
}

inline QByteArray pictureBytes(int width, int height, const char* format = "JPG") {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    framedPicture(width, height, Qt::black).save(&buffer, format);
    return bytes;
}

}  // namespace palvenor::test
