#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace palvenor::acquire {

// The image types the acquisition commands accept: a typed type passes when
// it occurs, in any case, inside this text (".JPG", "gif" and "" pass).
bool isImageType(const QString& fileType);

// "HTTP://" or "HTTPS://" in any case marks a web address; everything else
// is a folder.
bool isWebAddress(const QString& source);

// The link targets of a directory page for the given file type, in page
// order. Each "href=" (any case) opens a value after one quote character
// that ends before the next double quote; a value whose last four
// characters occur, with exact case, inside fileType is taken, an empty one
// too. A taken value with a "/" after its first character loses everything
// up to that "/". An "href=" without a closing quote ends the page.
QStringList linksOfType(const QString& page, const QString& fileType);

// A downloaded file is an error page rather than the image when its
// sampled bytes (the first 255 of a file of 2550 bytes or more, else all)
// contain "HTML" in any case and no HTML file was asked for.
bool isErrorPage(const QByteArray& file, const QString& fileType);

// The leading decimal number of a typed start number, rounded half to even
// ("12,7" gives 12, "abc" 0, "7.5" 8); nullopt when it lies outside
// -32768..32767.
std::optional<int> startNumber(const QString& answer);

// The name a listed file is saved under in the target folder: "%20" turned
// into blanks, and only the last part of a name with "/". nullopt for a
// name that would leave the folder: ".." parts, an absolute path, a drive
// letter, or nothing left.
std::optional<QString> localName(const QString& entry);

}  // namespace palvenor::acquire
