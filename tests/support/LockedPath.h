#pragma once
// Makes a file or folder refuse changes while the object lives: nothing can be
// created in a locked folder, and a locked file cannot be deleted. An ordinary
// user is refused by permissions (a file through its folder); root passes over
// permissions, so for root the path gets the file system's immutable flag.
// ok() is false when neither works here, and the test should be skipped.
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

class LockedPath {
public:
    explicit LockedPath(const QString& path)
    {
        if (geteuid() == 0) {
            m_path = QFile::encodeName(path);
            m_ok = setImmutable(true);
        } else {
            const QFileInfo fi(path);
            m_path = QFile::encodeName(fi.isDir() ? fi.absoluteFilePath() : fi.absolutePath());
            struct stat st {};
            m_ok = ::stat(m_path.constData(), &st) == 0 && ::chmod(m_path.constData(), 0555) == 0;
            m_mode = st.st_mode & 07777;
        }
    }
    ~LockedPath()
    {
        if (!m_ok) return;
        if (geteuid() == 0) setImmutable(false);
        else ::chmod(m_path.constData(), m_mode);
    }
    LockedPath(const LockedPath&) = delete;
    LockedPath& operator=(const LockedPath&) = delete;
    bool ok() const { return m_ok; }

private:
    bool setImmutable(bool on)
    {
        const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }
    QByteArray m_path;
    mode_t m_mode = 0755;
    bool m_ok = false;
};
