#include "SampleBooks.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace palvenor::test {

QString makeBook(const QString& folder, const QString& name, int pages, const QString& kinds,
                 const QString& truthPath) {
    const QString path = QDir(folder).filePath(name);
    QStringList arguments{path, QStringLiteral("--pages"), QString::number(pages), QStringLiteral("--kinds"), kinds};
    if (!truthPath.isEmpty()) arguments << QStringLiteral("--truth") << truthPath;
    QProcess generator;
    generator.start(QStringLiteral(PALVENOR_SAMPLEBOOK), arguments);
    if (!generator.waitForFinished(120000) || generator.exitCode() != 0) return QString();
    return path;
}

QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes) {
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    file.write(bytes);
    return path;
}

}  // namespace palvenor::test
