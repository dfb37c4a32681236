#pragma once

// The pages of a book recognised so far, kept by a fingerprint of each
// page's picture so that a page is read again only when its picture
// changed.
//
// The fingerprint is a hash of the picture's bytes as they lie in the
// file (its strips or tiles) and of the directory entries that say how to
// read them (size, compression, resolution, colours...), leaving out what
// only places the page: the positions of its strips and its page number.
// Positions alone would not do: a book written anew, or inverted as a
// whole, can put a changed page of the same size where the old one lay.
// Hashing the bytes costs one read of the book, which is little beside
// recognising even one page of it; a moved page keeps its fingerprint and
// its text, a changed one gets a new fingerprint.

#include "BookRecognition.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

namespace palvenor::ocr {

// The fingerprint of every page of a TIFF book in page order; empty for a
// book that is no readable TIFF, and an empty fingerprint for a page whose
// directory or picture cannot be read.
std::vector<QByteArray> pageFingerprints(const QString& book);

class RecognisedPages {
public:
    // The page recognised with that fingerprint; nullptr when there is none
    // or the fingerprint is empty.
    const BookPage* find(const QByteArray& fingerprint) const;
    void keep(const QByteArray& fingerprint, const BookPage& page);
    // Forgets the pages whose fingerprint is not among those of the book.
    void keepOnly(const std::vector<QByteArray>& fingerprints);
    qsizetype size() const { return pages_.size(); }

private:
    QHash<QByteArray, BookPage> pages_;
};

}  // namespace palvenor::ocr
