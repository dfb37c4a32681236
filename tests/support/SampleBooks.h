#pragma once

#include <QString>

namespace palvenor::test {

// Writes a sample book with the project's generator and returns its path,
// or an empty string when the generator failed. With truthPath the text of
// its pages goes there, the pages parted by a form feed.
QString makeBook(const QString& folder, const QString& name, int pages,
                 const QString& kinds = QStringLiteral("bw"), const QString& truthPath = QString());

// Writes bytes into a new file in folder and returns its path.
QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes);

}  // namespace palvenor::test
