#include "boxlock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <mutex>
#include <set>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// fcntl locks belong to the process, and closing any descriptor of the file
// drops them: the keys held here keep a second lock in this process from
// opening (and later closing) the same file. The set is never destroyed, so a
// lock released by a static destructor (the link's) still finds it.
std::mutex heldMutex;
std::set<QString> &heldKeys()
{
    static auto *keys = new std::set<QString>;
    return *keys;
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

// A file name fits NAME_MAX; a longer one keeps its start readable and ends in
// a hash of the whole key, marked "_h", which no sanitised key contains.
QString fileNameFor(const QString &key)
{
    constexpr int kReadable = 100;
    const QString name = QStringLiteral("votkbox-") + sanitised(key) + QStringLiteral(".lock");
    if (QFile::encodeName(name).size() <= NAME_MAX)
        return name;
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("votkbox-") + sanitised(key).left(kReadable) + QStringLiteral("_h") +
           QString::fromLatin1(hash) + QStringLiteral(".lock");
}

// A process name as the system keeps it can carry any byte: escape what a
// terminal or a message box would act on.
QString printable(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.isPrint())
            out += c;
        else
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
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
            holder.program = printable(QString::fromLocal8Bit(comm.read(64)).trimmed());
    }
    return holder;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Opens the lock file without ever following a link or touching anything but
// a regular file. An existing file is opened without O_CREAT: with
// fs.protected_regular a file another user made in a sticky folder refuses
// O_CREAT even where it may be opened. -1 with `reason` set on failure.
int openLockFile(const QString &path, QString &reason)
{
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < 3; ++attempt) {
        bool created = false;
        int fd = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            fd = ::open(name.constData(),
                        O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
            // Made by another program in between: open that one.
            if (fd < 0 && errno == EEXIST)
                continue;
            created = fd >= 0;
        }
        if (fd < 0) {
            reason = errno == ELOOP ? QStringLiteral("%1 is a symbolic link").arg(path)
                                    : QStringLiteral("%1: %2").arg(path, systemError(errno));
            return -1;
        }
        struct stat info = {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            reason = QStringLiteral("%1 is not a regular file").arg(path);
            ::close(fd);
            return -1;
        }
        // Past the umask, so that another user's program can lock the same file.
        if (created || (info.st_uid == ::geteuid() && (info.st_mode & 0777) != 0666))
            ::fchmod(fd, 0666);
        return fd;
    }
    reason = QStringLiteral("%1 keeps being replaced").arg(path);
    return -1;
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

QString BoxLock::directory()
{
    const QString chosen = qEnvironmentVariable("VOTKBOX_LOCK_DIR");
    if (!chosen.isEmpty())
        return chosen;
    const QString run = QStringLiteral("/run/lock");
    if (::access(QFile::encodeName(run).constData(), W_OK | X_OK) == 0)
        return run;
    return QDir::tempPath();
}

QString BoxLock::filePath(const QString &key)
{
    return directory() + QLatin1Char('/') + fileNameFor(key);
}

BoxLock::Result BoxLock::acquire(const QString &key, BoxLockHolder *holder, QString *failure)
{
    if (isHeld() && m_key == key)
        return Result::Locked;
    std::lock_guard<std::mutex> guard(heldMutex);
    if (heldKeys().count(key)) {
        if (holder)
            *holder = holderOf(-1, true);
        return Result::InUse;
    }
    QString reason;
    const int fd = openLockFile(filePath(key), reason);
    if (fd < 0) {
        if (failure)
            *failure = reason;
        return Result::Unavailable;
    }
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_SETLK, &lock) != 0) {
        const int error = errno;
        const bool held = error == EACCES || error == EAGAIN;
        if (held && holder)
            *holder = holderOf(fd, false);
        if (!held && failure)
            *failure = QStringLiteral("%1: %2").arg(filePath(key), systemError(error));
        ::close(fd);
        return held ? Result::InUse : Result::Unavailable;
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
