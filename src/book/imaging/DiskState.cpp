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

struct Noted {
    DiskState state;
    std::shared_ptr<const tiff::KnownChain> chain;  // null where none is known
};

QMutex g_notedLock;
std::map<QString, Noted> g_noted;  // by canonical path

DiskState diskStateOf(const QFileInfo& file)
{
    return {file.size(), file.lastModified()};
}

}  // namespace

void noteDiskState(const QString& path)
{
    const QFileInfo file(path);
    const DiskState now = diskStateOf(file);
    const QMutexLocker lock(&g_notedLock);
    Noted& noted = g_noted[file.canonicalFilePath()];
    if (noted.state != now)
        noted = {now, nullptr};
}

void noteWrittenChain(const QString& path, tiff::KnownChain chain)
{
    const QFileInfo file(path);
    auto known = std::make_shared<const tiff::KnownChain>(std::move(chain));
    const QMutexLocker lock(&g_notedLock);
    g_noted[file.canonicalFilePath()] = {diskStateOf(file), std::move(known)};
}

bool changedSinceNoted(const QString& path)
{
    const QFileInfo file(path);
    const DiskState now = diskStateOf(file);
    const QMutexLocker lock(&g_notedLock);
    const auto noted = g_noted.find(file.canonicalFilePath());
    return noted != g_noted.end() && noted->second.state != now;
}

std::shared_ptr<const tiff::KnownChain> knownChain(const QString& path)
{
    const QFileInfo file(path);
    const DiskState now = diskStateOf(file);
    const QMutexLocker lock(&g_notedLock);
    const auto noted = g_noted.find(file.canonicalFilePath());
    if (noted == g_noted.end() || noted->second.state != now)
        return nullptr;
    return noted->second.chain;
}

tiff::LayoutStatus findLayout(const QString& path, const tiff::FileBytes& file, tiff::Layout* layout,
                              std::shared_ptr<const tiff::KnownChain>* known)
{
    std::shared_ptr<const tiff::KnownChain> chain = knownChain(path);
    if (known)
        *known = chain;
    if (!chain)
        return tiff::readLayout(file, layout);
    *layout = chain->layout;
    return tiff::LayoutStatus::Ok;
}

}  // namespace palvenor::imaging
