#pragma once

#include <QString>

namespace palvenor {

// The program's private INI file "Palvenor.ini" in the per-user
// configuration folder. Every read and write goes to the file itself, so two
// running programs see each other's values.
class IniFile {
public:
    explicit IniFile(QString path = defaultPath());

    static QString defaultPath();
    const QString& path() const { return path_; }

    // Reads with a buffer of 2048 characters: a longer value comes back cut
    // to the 2047 characters such a read reports.
    QString IniLesen(const QString& section, const QString& key, const QString& defaultValue) const;
    void IniSchreiben(const QString& section, const QString& key, const QString& value);

private:
    QString path_;
};

// The hand-over value: section "velsta", key "Palvenor".
inline const QString kHandOverSection = QStringLiteral("velsta");
inline const QString kHandOverKey = QStringLiteral("Palvenor");
inline const QString kHandOverTaken = QStringLiteral("aktiv");

}  // namespace palvenor
