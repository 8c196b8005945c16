// slcan: the box as an slcan (LAWICEL) adapter on a pseudo-terminal, for
// slcand, python-can and CAN GUIs.
#include "clitable.h"
#include "ptyclaim.h"
#include "slcanbridge.h"

#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
// The pseudo-terminal: the master side, and the slave path the client opens.
struct Pty
{
    int master = -1;
    QByteArray slavePath;

    ~Pty()
    {
        if (master >= 0)
            ::close(master);
    }
    bool open()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return false;
        char name[128];
        if (::ptsname_r(master, name, sizeof name) != 0)
            return false;
        slavePath = name;
        // Raw from the start: a client that leaves the settings alone must not
        // get its CRs turned into newlines or its commands echoed back.
        const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0)
            return false;
        termios tio{};
        bool ok = ::tcgetattr(slave, &tio) == 0;
        if (ok) {
            ::cfmakeraw(&tio);
            ok = ::tcsetattr(slave, TCSANOW, &tio) == 0;
        }
        ::close(slave);
        return ok;
    }
};

QByteArray linkTarget(const QByteArray &path)
{
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.constData(), target, sizeof target);
    return n > 0 ? QByteArray(target, int(n)) : QByteArray();
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// What is at PATH for --link: nothing, or a link an earlier bridge left to a
// terminal that is gone, may be replaced; anything else belongs to someone
// else, so `refusal` says why it stays. A terminal that exists may be
// another bridge's or a login's: only a missing one counts as stale, or
// `own`, whose number a bridge that died may have left to this one.
struct LinkSpot
{
    QString refusal;
    bool stale = false;
};

LinkSpot lookAtLink(const QByteArray &path, const QByteArray &own = QByteArray())
{
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT ? LinkSpot() : LinkSpot{errnoText()};
    if (!S_ISLNK(st.st_mode))
        return {QStringLiteral("it exists and is not a symbolic link")};
    const QByteArray target = linkTarget(path);
    static const QRegularExpression ptyPath(QStringLiteral("^/dev/pts/[0-9]+$"));
    if (!ptyPath.match(QString::fromLocal8Bit(target)).hasMatch())
        return {QStringLiteral("it is a symbolic link to %1, not to a pseudo-terminal")
                    .arg(QString::fromLocal8Bit(target))};
    if (target != own && (::lstat(target.constData(), &st) == 0 || errno != ENOENT))
        return {QStringLiteral("it links to %1, a terminal in use")
                    .arg(QString::fromLocal8Bit(target))};
    return {QString(), true};
}

class PtyLink
{
public:
    // Removed only while it still leads to this bridge's terminal: whatever
    // someone put there meanwhile stays.
    ~PtyLink()
    {
        if (!m_path.isEmpty() && linkTarget(m_path) == m_target)
            ::unlink(m_path.constData());
    }
    // Empty when PATH links to `target` now; else why not.
    QString create(const QByteArray &path, const QByteArray &target)
    {
        const LinkSpot spot = lookAtLink(path, target);
        if (!spot.refusal.isEmpty())
            return spot.refusal;
        if (spot.stale && ::unlink(path.constData()) != 0 && errno != ENOENT)
            return errnoText();
        if (::symlink(target.constData(), path.constData()) != 0)
            return errnoText();
        m_path = path;
        m_target = target;
        return QString();
    }

private:
    QByteArray m_path;
    QByteArray m_target;
};

int refuseLink(CliContext &cli, const QString &path, const QString &why)
{
    return cli.fail(CLI_REFUSED,
                    QStringLiteral("slcan: cannot make the link %1: %2").arg(path, why));
}
} // namespace

int checkSlcanInput(CliContext &cli, const CliOptions &options)
{
    if (options.link.isEmpty())
        return CLI_OK;
    const QString why = lookAtLink(QFile::encodeName(options.link)).refusal;
    return why.isEmpty() ? CLI_OK : refuseLink(cli, options.link, why);
}

int cliSlcan(CliContext &cli, const CliOptions &options)
{
    Pty pty;
    if (!pty.open())
        return cli.fail(CLI_NO_BOX, QStringLiteral("no pseudo-terminal could be created: %1")
                                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    PtyLink link;
    if (!options.link.isEmpty()) {
        const QString why = link.create(QFile::encodeName(options.link), pty.slavePath);
        if (!why.isEmpty())
            return refuseLink(cli, options.link, why);
    }
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0)
        return cli.fail(CLI_NO_BOX, QStringLiteral("slcan: no event descriptor"));
    PtyClaim claim(pty.slavePath);
    cli.out << QString::fromLocal8Bit(pty.slavePath) << '\n';
    cli.out.flush();
    int code;
    {
        SlcanBridge bridge(cli, pty.master, claim, wakeFd);
        code = bridge.serve();
    }
    ::close(wakeFd);
    return code;
}
