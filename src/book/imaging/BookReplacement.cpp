#include "BookReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace palvenor::imaging {

namespace {

bool statOf(const QString& path, struct stat* info)
{
    return ::stat(QFile::encodeName(path).constData(), info) == 0;
}

bool changeOwner(int descriptor, uid_t owner, gid_t group)
{
    return ::fchown(descriptor, owner, group) == 0;
}

}  // namespace

void removeSaveLeftovers(const QString& book)
{
    const QFileInfo info(book);
    const QDir folder = info.absoluteDir();
    // The six characters the temporary file's name ends in are letters and digits.
    const QRegularExpression leftover(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(info.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    const QStringList candidates =
        folder.entryList({info.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    for (const QString& name : candidates)
        if (leftover.match(name).hasMatch())
            QFile::remove(folder.filePath(name));
}

bool hasOtherLinks(const QString& book)
{
    struct stat info {};
    return statOf(book, &info) && S_ISREG(info.st_mode) && info.st_nlink > 1;
}

void takeOverOwnership(int descriptor, const QString& book)
{
    struct stat info {};
    if (!statOf(book, &info))
        return;
    // Owner first: changing it clears the set-user-ID bit the mode may carry.
    // Only root may keep another user as owner; else the group is kept where
    // this user belongs to it, and the new file stays this user's.
    if (!changeOwner(descriptor, info.st_uid, info.st_gid))
        changeOwner(descriptor, uid_t(-1), info.st_gid);
    ::fchmod(descriptor, info.st_mode & 07777);
}

bool syncFolderOf(const QString& book, QString* reason)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(book).absolutePath());
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const bool synced = ::fsync(descriptor) == 0;
    if (!synced)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    ::close(descriptor);
    return synced;
}

QString replacedPath(const QString& target)
{
    const QFileInfo info(target);
    return info.isSymLink() && info.exists() ? info.canonicalFilePath() : target;
}

bool commitReplacement(QSaveFile& save, const QString& path, QString* reason)
{
    takeOverOwnership(save.handle(), path);
    if (!save.commit()) {
        *reason = save.errorString();
        return false;
    }
    return syncFolderOf(path, reason);
}

bool replaceFile(const QString& target, const std::function<bool(QIODevice&)>& write, QString* reason)
{
    const QString path = replacedPath(target);
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly) || !write(save)) {
        *reason = save.errorString();
        save.cancelWriting();
        return false;
    }
    return commitReplacement(save, path, reason);
}

}  // namespace palvenor::imaging
