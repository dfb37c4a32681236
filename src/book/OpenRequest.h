#pragma once

#include <QString>

#include <optional>

namespace palvenor {

// An open request: a path, optionally in double quotes, optionally followed
// by "/" and a page number, as given on the command line, handed over by a
// second program start or stored in a document's record.
//
// On this platform "/" also separates folders, so the request is split this
// way: if the whole request names an existing file, it is the path;
// otherwise a trailing "/" followed by digits only is the page and the text
// before it the path. Surrounding double quotes are removed first; an
// unmatched leading quote is dropped.
struct OpenRequest {
    QString path;
    std::optional<QString> page;  // digits only, when present

    static OpenRequest parse(const QString& request);
};

// The request with its path made absolute against folder, so that it means
// the same file wherever it is read later. A "NEU:" prefix stays in front;
// enclosing double quotes are removed. An empty request stays as it is.
QString absoluteRequest(const QString& request, const QString& folder);

// Removes one pair of enclosing double quotes (or a lone leading one).
QString unquoted(const QString& request);

// The folder of a path, up to and including its last "/" or "\"; "" if none.
QString folderOf(const QString& path);
// The file name of a path: the text after its last "/" or "\".
QString fileNameOf(const QString& path);

// True when text is "greater than a blank" in text comparison, i.e. holds a
// request at all.
bool isGiven(const QString& text);

}  // namespace palvenor
