// The INI value reader: "Palvenor.ini" of arbitrary bytes, read key by key.

#include "IniFile.h"

#include <QFile>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = QStringLiteral("/tmp/palvenor-fuzz-%1.ini").arg(::getpid());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    const palvenor::IniFile ini(path);
    ini.IniLesen(palvenor::kHandOverSection, palvenor::kHandOverKey, QString());
    ini.IniLesen(QStringLiteral("Einstellungen"), QStringLiteral("Zoom"), QStringLiteral("100"));
    ini.IniLesen(QStringLiteral("Zuletzt"), QStringLiteral("Datei1"), QString());
    return 0;
}
