// slcan: the box as an slcan (LAWICEL) adapter on a pseudo-terminal, for
// slcand, python-can and CAN GUIs.
#include "clitable.h"
#include "slcanbridge.h"

#include <QFile>

#include <cerrno>
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

class PtyLink
{
public:
    ~PtyLink()
    {
        if (!m_path.isEmpty())
            ::unlink(m_path.constData());
    }
    // An old link at PATH is replaced; any other file there is kept.
    bool create(const QByteArray &path, const QByteArray &target)
    {
        struct stat st
        {
        };
        if (::lstat(path.constData(), &st) == 0) {
            if (!S_ISLNK(st.st_mode) || ::unlink(path.constData()) != 0)
                return false;
        }
        if (::symlink(target.constData(), path.constData()) != 0)
            return false;
        m_path = path;
        return true;
    }

private:
    QByteArray m_path;
};
} // namespace

QString cliSlcanArguments(const QStringList &args)
{
    if (args.isEmpty() ||
        (args.size() == 2 && args.at(0) == QLatin1String("--link") && !args.at(1).isEmpty()))
        return QString();
    return QStringLiteral("wrong arguments for slcan");
}

int cliSlcan(CliContext &cli, const QStringList &args)
{
    Pty pty;
    if (!pty.open())
        return cli.fail(CLI_NO_BOX, QStringLiteral("no pseudo-terminal could be created: %1")
                                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    PtyLink link;
    if (args.size() == 2 && !link.create(QFile::encodeName(args.at(1)), pty.slavePath))
        return cli.fail(CLI_USAGE,
                        QStringLiteral("slcan: cannot create the link %1: %2")
                            .arg(args.at(1), QString::fromLocal8Bit(std::strerror(errno))));
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0)
        return cli.fail(CLI_NO_BOX, QStringLiteral("slcan: no event descriptor"));
    cli.out << QString::fromLocal8Bit(pty.slavePath) << '\n';
    cli.out.flush();
    int code;
    {
        SlcanBridge bridge(cli, pty.master, wakeFd);
        code = bridge.serve();
    }
    ::close(wakeFd);
    return code;
}
