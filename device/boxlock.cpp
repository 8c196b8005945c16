#include "boxlock.h"

#include <QDir>
#include <QFile>

#include <mutex>
#include <set>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// fcntl locks belong to the process, and closing any descriptor of the file
// drops them: the keys held here keep a second lock in this process from
// opening (and later closing) the same file.
std::mutex heldMutex;
std::set<QString> &heldKeys()
{
    static std::set<QString> keys;
    return keys;
}

QString lockDir()
{
    static const QString dir = [] {
        const QString run = QStringLiteral("/run/lock");
        if (::access(QFile::encodeName(run).constData(), W_OK | X_OK) == 0)
            return run;
        return QDir::tempPath();
    }();
    return dir;
}

// Every byte but [A-Za-z0-9.-] becomes _XX, so two keys never share a file.
QString sanitised(const QString &text)
{
    QString out;
    for (const char c : text.toUtf8()) {
        const auto b = uint8_t(c);
        if ((b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
            b == '.' || b == '-')
            out += QChar(b);
        else
            out += QStringLiteral("_%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return out;
}

BoxLockHolder holderOf(int fd, bool ownProcess)
{
    BoxLockHolder holder;
    if (ownProcess) {
        holder.pid = ::getpid();
    } else {
        struct flock probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        if (::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK && probe.l_pid > 0)
            holder.pid = probe.l_pid;
    }
    if (holder.pid > 0) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(holder.pid));
        if (comm.open(QIODevice::ReadOnly))
            holder.program = QString::fromLocal8Bit(comm.readAll()).trimmed();
    }
    return holder;
}
} // namespace

BoxLock::~BoxLock()
{
    release();
}

QString BoxLock::keyFor(const QString &serialNumber, const QString &devicePath)
{
    if (!serialNumber.isEmpty())
        return QStringLiteral("serial-") + serialNumber;
    return QStringLiteral("path-") + devicePath;
}

QString BoxLock::filePath(const QString &key)
{
    return lockDir() + QStringLiteral("/votkbox-") + sanitised(key) + QStringLiteral(".lock");
}

BoxLock::Result BoxLock::acquire(const QString &key, BoxLockHolder *holder)
{
    if (isHeld() && m_key == key)
        return Result::Locked;
    std::lock_guard<std::mutex> guard(heldMutex);
    if (heldKeys().count(key)) {
        if (holder)
            *holder = holderOf(-1, true);
        return Result::InUse;
    }
    const QByteArray path = QFile::encodeName(filePath(key));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return Result::Unavailable;
    // Past the umask, so that another user's program can lock the same file.
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid())
        ::fchmod(fd, 0666);
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_SETLK, &lock) != 0) {
        const int error = errno;
        if (holder)
            *holder = holderOf(fd, false);
        ::close(fd);
        return error == EACCES || error == EAGAIN ? Result::InUse : Result::Unavailable;
    }
    if (m_fd >= 0) {
        heldKeys().erase(m_key);
        ::close(m_fd);
    }
    m_fd = fd;
    m_key = key;
    heldKeys().insert(key);
    return Result::Locked;
}

void BoxLock::release()
{
    if (m_fd < 0)
        return;
    std::lock_guard<std::mutex> guard(heldMutex);
    heldKeys().erase(m_key);
    ::close(m_fd);
    m_fd = -1;
    m_key.clear();
}
