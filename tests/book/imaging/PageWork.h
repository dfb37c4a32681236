#pragma once

// The page operations the kill test runs in a child process, and the same
// operations run in the test itself to know the book they should give.

#include "ImageFile.h"
#include "PageAdmin.h"

#include <QImage>
#include <QTransform>

#include <string>

namespace palvenor::imaging::test {

// The operations, by name: page sequence changes, a changed page saved, the
// whole book turned (every page decoded, rotated and encoded again), and
// the book saved under a second name. Changed in place, a book switches
// over by the link of its first page's directory when page 2 is inserted,
// replaced or deleted, and by the header's link when its first page moves
// or changes.
inline const char* const kPageWorks[] = {"insert", "move", "changed", "replace", "delete", "rotate", "saveas"};

inline QImage changedPicture(const QImage& page)
{
    QImage changed = page.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < changed.height(); y += 7)
        for (int x = 0; x < changed.width(); ++x)
            changed.setPixel(x, y, qRgb(200, 30, 30));
    return changed;
}

// All pages of book, each turned by a quarter.
inline ImagingError rotateAll(const QString& book)
{
    ImagingError error;
    const auto file = ImageFile::open(book, &error);
    if (!file)
        return error;
    std::vector<PageSource> pages;
    for (int page = 1; page <= file->pageCount(); ++page) {
        PageSource source = pageOfFile(book, page);
        source.picture = file->readPage(page, &error).transformed(QTransform().rotate(90));
        if (source.picture.isNull())
            return error;
        pages.push_back(source);
    }
    return writeBook(book, pages);
}

// Runs work on book (pages taken from source; "saveas" writes copy).
inline ImagingError runPageWork(const std::string& work, const QString& book, const QString& source,
                                const QString& copy)
{
    if (work == "insert")
        return insertPages(book, 2, source, 1, 1);
    if (work == "move")
        return movePage(book, 1, 3);
    if (work == "replace")
        return replacePages(book, 2, source, 2, 1);
    if (work == "delete")
        return deletePages(book, 2, 1);
    if (work == "rotate")
        return rotateAll(book);
    if (work == "saveas")
        return writeBook(copy, {pageOfFile(book, 1), pageOfFile(book, 2)});
    ImagingError error;
    const auto file = ImageFile::open(book, &error);
    if (!file)
        return error;
    PageSource changed = pageOfFile(book, 1);
    changed.picture = changedPicture(file->readPage(1, &error));
    std::vector<PageSource> pages{changed};
    for (int page = 2; page <= file->pageCount(); ++page)
        pages.push_back(pageOfFile(book, page));
    return writeBook(book, pages);
}

}  // namespace palvenor::imaging::test
