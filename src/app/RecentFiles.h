#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

namespace palvenor {

// The recent files list in the per-user settings store of the program:
// section "Recent Files", keys "RecentFile1" (the most recent) to
// "RecentFile5", each holding a book's full path. Every call reads and
// writes the store itself, so two running programs share one list.
class RecentFiles {
public:
    // The list in the native per-user store.
    RecentFiles();
    // The list in the INI file at iniPath instead.
    explicit RecentFiles(QString iniPath);

    // Puts path at the top. The entries above its old place move down by
    // one; when it was not in the list, all of them do and the last drops out.
    void add(const QString& path);
    // One menu caption per entry in storage order, "&1   path" for the
    // first; none while the first entry is empty.
    QStringList captions() const;
    // The path a menu caption shows.
    static QString pathOfCaption(const QString& caption);

private:
    std::unique_ptr<QSettings> openSection() const;

    QString iniPath_;
};

}  // namespace palvenor
