#pragma once

// The files a recognised book is saved as. Every file is written under a
// temporary name in its folder and renamed when complete, so that a file
// of the final name is always whole. Each writer returns false with the
// German reason in *error when it cannot write.

#include "BookRecognition.h"

#include <QString>

#include <map>
#include <vector>

namespace palvenor::ocr {

// The words of a page by their line, in reading order.
std::map<int, std::vector<const BookWord*>> wordsByLine(const BookPage& page);

// The text of the pages one after the other, each ending with a line
// break, the pages parted by a form feed.
QString bookText(const std::vector<BookPage>& pages);
bool writeBookText(const QString& path, const std::vector<BookPage>& pages, QString* error);

// One XHTML page with an ocr_page per image page, its lines and words.
bool writeHocr(const QString& path, const QString& bookPath, const std::vector<BookPage>& pages, QString* error);

// One ALTO 4 file per page in folder, named by its image page ("0007.xml"),
// and the text of the whole book beside them, named after the book.
QString altoFileName(int imagePage);
bool writeAlto(const QString& folder, const QString& bookPath, const std::vector<BookPage>& pages, QString* error);

// The page images of the book with the words laid over them as invisible
// text; the page labels are the book page numbers. Black-and-white pages
// are stored with CCITT Group 4 compression, all others without loss.
bool writeSearchablePdf(const QString& path, const QString& bookPath, const std::vector<BookPage>& pages,
                        QString* error);

// The reason of a file that cannot be written.
QString notWritable(const QString& path);

}  // namespace palvenor::ocr
