#include "IniFile.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace palvenor {

namespace {
constexpr qsizetype kReadBufferSize = 2048;
}

IniFile::IniFile(QString path) : path_(std::move(path)) {}

QString IniFile::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Palvenor.ini");
}

QString IniFile::IniLesen(const QString& section, const QString& key,
                          const QString& defaultValue) const {
    QSettings ini(path_, QSettings::IniFormat);
    const QVariant value = ini.value(section + QLatin1Char('/') + key, defaultValue);
    // A hand-edited value with unquoted commas is read back as a list.
    const QString text = value.typeId() == QMetaType::QStringList
                             ? value.toStringList().join(QStringLiteral(", "))
                             : value.toString();
    return text.left(kReadBufferSize - 1);
}

void IniFile::IniSchreiben(const QString& section, const QString& key, const QString& value) {
    QSettings ini(path_, QSettings::IniFormat);
    ini.setValue(section + QLatin1Char('/') + key, value);
    ini.sync();
}

}  // namespace palvenor
