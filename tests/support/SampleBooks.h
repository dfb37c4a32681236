#pragma once

#include <QString>

namespace palvenor::test {

// Writes a sample book with the project's generator and returns its path,
// or an empty string when the generator failed.
QString makeBook(const QString& folder, const QString& name, int pages,
                 const QString& kinds = QStringLiteral("bw"));

// Writes bytes into a new file in folder and returns its path.
QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes);

}  // namespace palvenor::test
