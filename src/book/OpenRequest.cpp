#include "OpenRequest.h"

#include <QDir>
#include <QFileInfo>

namespace palvenor {

namespace {

bool isExistingFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

bool allDigits(QStringView text) {
    if (text.isEmpty()) return false;
    for (QChar c : text)
        if (!c.isDigit() || c.unicode() > 127) return false;
    return true;
}

}  // namespace

QString unquoted(const QString& request) {
    if (!request.startsWith(QLatin1Char('"'))) return request;
    QString rest = request.mid(1);
    const qsizetype close = rest.indexOf(QLatin1Char('"'));
    if (close < 0) return rest;
    return rest.left(close) + rest.mid(close + 1);
}

OpenRequest OpenRequest::parse(const QString& request) {
    const QString text = unquoted(request.trimmed());
    if (isExistingFile(text)) return {text, std::nullopt};
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    if (slash > 0 && allDigits(QStringView(text).mid(slash + 1)))
        return {text.left(slash), text.mid(slash + 1)};
    return {text, std::nullopt};
}

QString absoluteRequest(const QString& request, const QString& folder) {
    if (!isGiven(request)) return request;
    const QString text = request.trimmed();
    const bool newScan = text.left(4).toUpper() == QStringLiteral("NEU:");
    const QString prefix = newScan ? text.left(4) : QString();
    const QString path = unquoted(text.mid(prefix.size()));
    if (path.isEmpty() || QDir::isAbsolutePath(path)) return prefix + path;
    return prefix + QDir::cleanPath(QDir(folder).filePath(path));
}

QString folderOf(const QString& path) { return path.left(lastSeparator(path) + 1); }

QString fileNameOf(const QString& path) { return path.mid(lastSeparator(path) + 1); }

bool isGiven(const QString& text) { return text > QStringLiteral(" "); }

}  // namespace palvenor
