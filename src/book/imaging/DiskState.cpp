#include "DiskState.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMutex>

#include <map>

namespace palvenor::imaging {

namespace {

struct DiskState {
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const DiskState&) const = default;
};

QMutex g_diskStatesLock;
std::map<QString, DiskState> g_diskStates;  // by canonical path

DiskState diskStateOf(const QFileInfo& file)
{
    return {file.size(), file.lastModified()};
}

}  // namespace

void noteDiskState(const QString& path)
{
    const QFileInfo file(path);
    const QMutexLocker lock(&g_diskStatesLock);
    g_diskStates[file.canonicalFilePath()] = diskStateOf(file);
}

bool changedSinceNoted(const QString& path)
{
    const QFileInfo file(path);
    const DiskState now = diskStateOf(file);
    const QMutexLocker lock(&g_diskStatesLock);
    const auto noted = g_diskStates.find(file.canonicalFilePath());
    return noted != g_diskStates.end() && noted->second != now;
}

}  // namespace palvenor::imaging
