#include "WebDirectory.h"

#include <QRegularExpression>

#include <cmath>

namespace palvenor::acquire {

namespace {

constexpr qsizetype kSniffWhole = 2550;
constexpr qsizetype kSniffHead = 255;

// The "/" after which a link's folder part ends, searched from the
// second character on; -1 when there is none.
qsizetype folderEnd(const QString& link) { return link.indexOf(QLatin1Char('/'), 1); }

}  // namespace

bool isImageType(const QString& fileType) {
    return QStringLiteral(".jpg.gif.png.tif").contains(fileType, Qt::CaseInsensitive);
}

bool isWebAddress(const QString& source) {
    return source.contains(QStringLiteral("HTTP://"), Qt::CaseInsensitive) ||
           source.contains(QStringLiteral("HTTPS://"), Qt::CaseInsensitive);
}

QStringList linksOfType(const QString& page, const QString& fileType) {
    static const QString href = QStringLiteral("href=");
    QStringList links;
    qsizetype p = page.indexOf(href, 0, Qt::CaseInsensitive);
    while (p >= 0) {
        const qsizetype start = p + href.size() + 1;
        const qsizetype end = page.indexOf(QLatin1Char('"'), start);
        if (end < 0) break;
        QString link = page.mid(start, end - start);
        if (fileType.contains(link.right(4), Qt::CaseSensitive)) {
            if (const qsizetype slash = folderEnd(link); slash >= 0) link = link.mid(slash + 1);
            links.append(link);
        }
        p = page.indexOf(href, end, Qt::CaseInsensitive);
    }
    return links;
}

bool isErrorPage(const QByteArray& file, const QString& fileType) {
    const QByteArray sample = file.size() >= kSniffWhole ? file.left(kSniffHead) : file;
    return sample.toUpper().contains("HTML") && !fileType.contains(QStringLiteral(".htm"), Qt::CaseInsensitive);
}

std::optional<int> startNumber(const QString& answer) {
    static const QRegularExpression leading(QStringLiteral(R"(^\s*([+-]?(\d+\.?\d*|\.\d+)))"));
    const QRegularExpressionMatch match = leading.match(answer);
    if (!match.hasMatch()) return 0;
    const double rounded = std::nearbyint(match.captured(1).toDouble());
    if (rounded < -32768 || rounded > 32767) return std::nullopt;
    return int(rounded);
}

std::optional<QString> localName(const QString& entry) {
    QString name = entry;
    name.replace(QStringLiteral("%20"), QStringLiteral(" "));
    static const QRegularExpression driveLetter(QStringLiteral("^[A-Za-z]:"));
    const QStringList parts = name.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')) || driveLetter.match(name).hasMatch() ||
        parts.contains(QStringLiteral("..")))
        return std::nullopt;
    name = parts.last();
    if (name.isEmpty() || name == QStringLiteral(".")) return std::nullopt;
    return name;
}

}  // namespace palvenor::acquire
