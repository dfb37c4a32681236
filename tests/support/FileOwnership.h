#pragma once

// The owner, group and mode of a file, for checking that replacing a file
// keeps them.

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <ostream>

namespace palvenor::test {

struct Ownership {
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    ino_t inode = 0;  // not compared: a replaced file is a new one

    bool operator==(const Ownership& other) const {
        return owner == other.owner && group == other.group && mode == other.mode;
    }
    friend std::ostream& operator<<(std::ostream& out, const Ownership& o) {
        return out << "owner " << o.owner << " group " << o.group << " mode 0" << std::oct << o.mode << std::dec;
    }
};

inline Ownership ownershipOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return {info.st_uid, info.st_gid, mode_t(info.st_mode & 07777), info.st_ino};
}

// Puts an older file at path, for a save to replace.
inline void writeOldFile(const QString& path) {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    ASSERT_EQ(old.write("alt"), 3);
}

// Gives the file a mode a new file would not get, and as root another
// user's and group's ownership, which root may keep and read-only mode,
// which root may write over; returns what it gave.
inline Ownership giveAway(const QString& path) {
    const bool root = ::geteuid() == 0;
    const QByteArray name = QFile::encodeName(path);
    EXPECT_EQ(::chown(name.constData(), root ? 4321 : ::geteuid(), root ? 8765 : ::getegid()), 0);
    EXPECT_EQ(::chmod(name.constData(), root ? 0444 : 0604), 0);
    return ownershipOf(path);
}

}  // namespace palvenor::test
