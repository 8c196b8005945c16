// slcan: the box as an slcan (LAWICEL) adapter on a pseudo-terminal, for
// slcand, python-can and CAN GUIs.
#include "boxcommands.h"
#include "canframe.h"
#include "canreporting.h"
#include "clitable.h"
#include "devicelink.h"
#include "framesink.h"
#include "slcan.h"
#include "stopsignal.h"
#include "version.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {
// Frames waiting for a client that does not read are dropped beyond this
// (about a second of a busy bus), and F then reports the overrun.
constexpr int kMaxPendingBytes = 256 * 1024;
// How often a hung-up terminal is checked for a new client.
constexpr int kHangUpPollMs = 50;
// How long frames are gathered before they are written together.
constexpr auto kBatchWait = std::chrono::milliseconds(2);

using Clock = std::chrono::steady_clock;

// What goes to the client: received frames and answers, in the order they
// came. Frames come from whichever thread reads the link; the main loop takes
// everything that is ready in one piece, so a busy bus costs one write per
// batch instead of one per frame.
class SlcanOutput : public FrameSink
{
public:
    explicit SlcanOutput(int wakeFd) : m_wakeFd(wakeFd) {}

    void frameRead(const CmdPacket &report) override
    {
        const QVector<uint8_t> record = report.getPayload();
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open)
            return;
        if (m_pending.size() >= kMaxPendingBytes) {
            m_overrun = true;
            return;
        }
        const qint64 ms = m_timestamps ? std::chrono::duration_cast<std::chrono::milliseconds>(
                                             Clock::now().time_since_epoch())
                                             .count()
                                       : -1;
        const int skip = std::min(2, record.size());
        const bool wasEmpty = m_pending.isEmpty();
        if (appendSlcanFrame(m_pending, canFrameId(record), record.constData() + skip,
                             record.size() - skip, ms) &&
            wasEmpty)
            wake();
    }

    void answer(const QByteArray &text)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.append(text);
        wake();
    }
    QByteArray take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QByteArray out;
        out.swap(m_pending);
        return out;
    }
    void setOpen(bool open)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = open;
    }
    void setTimestamps(bool on)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_timestamps = on;
    }
    bool takeOverrun()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const bool overrun = m_overrun;
        m_overrun = false;
        return overrun;
    }
    void wake()
    {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    }

private:
    const int m_wakeFd;
    std::mutex m_mutex;
    QByteArray m_pending;
    bool m_open = false;
    bool m_timestamps = false;
    bool m_overrun = false;
};

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

class SlcanBridge
{
public:
    SlcanBridge(CliContext &cli, int master, int wakeFd)
        : m_cli(cli), m_master(master), m_wakeFd(wakeFd), m_output(wakeFd)
    {
    }

    int serve();

private:
    void readLoop();
    bool readClient();
    void handle(const QByteArray &command);
    bool openChannel(bool listenOnly);
    void closeChannel();
    void clientGone();
    bool writeClient();
    void answer(bool ok) { m_output.answer(QByteArray(1, ok ? SLCAN_OK : SLCAN_ERROR)); }
    void answerText(const QByteArray &text) { m_output.answer(text + SLCAN_OK); }
    void boxGone(const BoxAck &ack)
    {
        if (ack.linkFailed)
            m_boxGone = true;
    }

    CliContext &m_cli;
    const int m_master;
    const int m_wakeFd;
    SlcanOutput m_output;
    std::atomic<bool> m_stopReading{false};
    std::atomic<bool> m_boxGone{false};
    bool m_open = false;
    bool m_listenOnly = false;
    bool m_hungUp = true;
    QByteArray m_fromClient;
    QByteArray m_toClient;
};

void SlcanBridge::readLoop()
{
    DeviceLink *link = DeviceLink::instance();
    while (!m_stopReading.load()) {
        if (link->receiveFrame(m_output) < 0) {
            m_boxGone = true;
            m_output.wake();
            return;
        }
    }
}

int SlcanBridge::serve()
{
    CanReporting reporting(m_output);
    std::thread reader([this] { readLoop(); });
    const int stopFd = stopSignalFd();
    bool stopped = false;
    while (!stopped && !m_boxGone) {
        pollfd fds[3] = {{m_wakeFd, POLLIN, 0}, {stopFd, POLLIN, 0}, {m_master, 0, 0}};
        if (!m_hungUp)
            fds[2].events = short(POLLIN | (m_toClient.isEmpty() ? 0 : POLLOUT));
        const int n = ::poll(fds, m_hungUp ? 2 : 3, m_hungUp ? kHangUpPollMs : -1);
        if (n < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            stopped = true;
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] const ssize_t r = ::read(m_wakeFd, &count, sizeof count);
        }
        if (m_hungUp) {
            // A client has the terminal open once the master no longer hangs up.
            pollfd probe = {m_master, POLLIN, 0};
            if (::poll(&probe, 1, 0) >= 0 && !(probe.revents & POLLHUP))
                m_hungUp = false;
            else
                m_output.take();
            continue;
        }
        if ((fds[2].revents & (POLLIN | POLLHUP | POLLERR)) && !readClient()) {
            clientGone();
            continue;
        }
        if (m_toClient.isEmpty()) {
            // Frames come one by one at a busy bus: gathering them for a
            // moment turns thousands of writes a second into a few hundred
            // and leaves the reading thread the processor.
            if (fds[0].revents & POLLIN)
                std::this_thread::sleep_for(kBatchWait);
            m_toClient = m_output.take();
        }
        if (!m_toClient.isEmpty() && !writeClient())
            clientGone();
    }
    m_stopReading = true;
    reader.join();

    int code = CLI_OK;
    if (m_boxGone) {
        code = m_cli.fail(CLI_NO_ANSWER, QStringLiteral("the box was pulled out"));
    } else if (!reporting.switchOff().answered) {
        code = m_cli.noAnswer(QStringLiteral("the request to stop reporting CAN frames"));
    }
    reporting.end();
    // Whatever was answered last still reaches a client that is there.
    if (!m_hungUp) {
        m_toClient += m_output.take();
        writeClient();
    }
    return code;
}

bool SlcanBridge::readClient()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_fromClient.append(buffer, int(n));
            for (const QByteArray &command : takeSlcanCommands(m_fromClient))
                handle(command);
            if (m_boxGone)
                return true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN: all read. EIO or end of file: the last client closed.
        return n < 0 && errno == EAGAIN;
    }
}

bool SlcanBridge::writeClient()
{
    while (!m_toClient.isEmpty()) {
        const ssize_t n = ::write(m_master, m_toClient.constData(), size_t(m_toClient.size()));
        if (n > 0) {
            m_toClient.remove(0, int(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return n < 0 && errno == EAGAIN;
        }
    }
    return true;
}

void SlcanBridge::clientGone()
{
    // The next client starts as with a fresh adapter: channel closed.
    m_hungUp = true;
    m_fromClient.clear();
    m_toClient.clear();
    closeChannel();
    m_output.setTimestamps(false);
    m_output.take();
    m_output.takeOverrun();
}

bool SlcanBridge::openChannel(bool listenOnly)
{
    m_listenOnly = listenOnly;
    if (m_open)
        return true;
    // Frames the box sends while it answers belong to the open channel.
    m_output.setOpen(true);
    const BoxAck ack = BoxCommands::setCanReporting(true);
    boxGone(ack);
    m_open = ack.answered;
    if (!m_open)
        m_output.setOpen(false);
    return m_open;
}

void SlcanBridge::closeChannel()
{
    if (!m_open)
        return;
    // Frames still on their way go out before the answer.
    const BoxAck ack = BoxCommands::setCanReporting(false);
    boxGone(ack);
    m_output.setOpen(false);
    m_open = false;
}

void SlcanBridge::handle(const QByteArray &text)
{
    const SlcanCommand command = parseSlcanCommand(text);
    switch (command.kind) {
    case SlcanCommand::Malformed:
        answer(false);
        break;
    case SlcanCommand::Open:
    case SlcanCommand::ListenOnly:
        answer(openChannel(command.kind == SlcanCommand::ListenOnly));
        break;
    case SlcanCommand::Close:
        closeChannel();
        answer(true);
        break;
    case SlcanCommand::BitRate:
        answer(true);
        break;
    case SlcanCommand::Send: {
        if (!m_open || m_listenOnly) {
            answer(false);
            break;
        }
        // The same frame `send` writes.
        const BoxAck ack = BoxCommands::sendCanFrame(command.id, command.data);
        boxGone(ack);
        answer(ack.sent);
        break;
    }
    case SlcanCommand::Version: {
        const BoxAnswer<quint32> version = BoxCommands::softwareVersion();
        boxGone(version);
        if (version.value)
            answerText(slcanVersionText(*version.value));
        else
            answer(false);
        break;
    }
    case SlcanCommand::BridgeVersion:
        answerText(slcanBridgeVersionText(QStringLiteral(VOTKBOX_VERSION)));
        break;
    case SlcanCommand::Serial:
        answerText(slcanSerialText(DeviceLink::instance()->serialNumber()));
        break;
    case SlcanCommand::Status:
        answerText(slcanStatusText(m_output.takeOverrun() ? SLCAN_FLAG_OVERRUN : 0));
        break;
    case SlcanCommand::Timestamps:
        m_output.setTimestamps(command.timestamps);
        answer(true);
        break;
    }
}

// The link at PATH, removed again at exit.
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
