#include "RecentFiles.h"

#include "FrameLink.h"

#include <QSettings>

namespace palvenor {

namespace {

const QString kStoreName = QStringLiteral("Palvenor");
const QString kSection = QStringLiteral("Recent Files");
// "&", the item's digit and three blanks stand before the path.
constexpr qsizetype kCaptionPrefixLength = 5;

QString keyOf(int number) { return QStringLiteral("RecentFile%1").arg(number); }

QStringList entriesIn(const QSettings& section) {
    QStringList entries;
    for (const QString& key : section.childKeys()) entries << section.value(key).toString();
    return entries;
}

// Where moving down stops: the 1-based place of path in the list, or the
// end of the list when path is not in it.
int stopOf(const QStringList& entries, const QString& path) {
    const qsizetype at = entries.indexOf(path);
    return at < 0 ? kRecentFileCount : static_cast<int>(at) + 1;
}

// Moves the entries before place stop one place down, leaving out empty
// entries and path itself.
void moveDown(QSettings& section, int stop, const QString& path) {
    for (int j = stop - 1; j >= 1; --j) {
        const QString entry = section.value(keyOf(j)).toString();
        if (!entry.isEmpty() && entry != path) section.setValue(keyOf(j + 1), entry);
    }
}

}  // namespace

RecentFiles::RecentFiles() = default;

RecentFiles::RecentFiles(QString iniPath) : iniPath_(std::move(iniPath)) {}

// The native store is named by the program alone: Qt takes that one name as
// the organisation and adds no application part (~/.config/Palvenor.conf on
// Linux). Only the user's own store counts, never a system-wide one.
std::unique_ptr<QSettings> RecentFiles::openSection() const {
    auto store = iniPath_.isEmpty()
                     ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                   kStoreName)
                     : std::make_unique<QSettings>(iniPath_, QSettings::IniFormat);
    store->setFallbacksEnabled(false);
    store->beginGroup(kSection);
    return store;
}

void RecentFiles::add(const QString& path) {
    const std::unique_ptr<QSettings> section = openSection();
    const QStringList entries = entriesIn(*section);
    if (!entries.isEmpty()) moveDown(*section, stopOf(entries, path), path);
    section->setValue(keyOf(1), path);
}

QStringList RecentFiles::captions() const {
    const std::unique_ptr<QSettings> section = openSection();
    if (section->value(keyOf(1)).toString().isEmpty()) return {};
    const QStringList entries = entriesIn(*section);
    QStringList captions;
    for (qsizetype i = 0; i < entries.size(); ++i)
        captions << QLatin1Char('&') + QString::number(i + 1) + QStringLiteral("   ") + entries[i];
    return captions;
}

QString RecentFiles::pathOfCaption(const QString& caption) {
    return caption.mid(kCaptionPrefixLength);
}

}  // namespace palvenor
