#include "slcanbridge.h"

#include "boxcommands.h"
#include "canreporting.h"
#include "clitable.h"
#include "devicelink.h"
#include "ptyclaim.h"
#include "stopsignal.h"
#include "version.h"

#include <cerrno>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {
// How often a hung-up terminal is checked for a new client.
constexpr int kHangUpPollMs = 50;
// How long frames are gathered before they are written together.
constexpr auto kBatchWait = std::chrono::milliseconds(2);
// What is read from a client in one turn: a client that writes faster than
// the box takes its frames must not keep the answers, the received frames and
// a stop waiting.
constexpr size_t kClientBatch = 1024;

bool readable(int fd)
{
    pollfd p = {fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}
} // namespace

bool SlcanBridge::stopRequested()
{
    if (!m_stopSeen && m_stopFd >= 0 && readable(m_stopFd))
        m_stopSeen = true;
    return m_stopSeen;
}

void SlcanBridge::boxGone(const BoxAck &ack)
{
    if (ack.linkFailed)
        m_boxGone = true;
}

void SlcanBridge::readLoop()
{
    DeviceLink &link = m_cli.link;
    while (!m_stopReading.load()) {
        if (link.receiveFrame(m_output) < 0) {
            m_boxGone = true;
            m_output.wake();
            return;
        }
    }
}

int SlcanBridge::serve()
{
    CanReporting reporting(m_cli.link, m_output);
    std::thread reader([this] { readLoop(); });
    m_stopFd = stopSignalFd();
    while (!m_stopSeen && !m_boxGone) {
        pollfd fds[4] = {{m_wakeFd, POLLIN, 0},
                         {m_stopFd, POLLIN, 0},
                         {m_claim.watchFd(), POLLIN, 0},
                         {m_master, 0, 0}};
        if (!m_hungUp)
            fds[3].events = short(POLLIN | (m_toClient.isEmpty() ? 0 : POLLOUT));
        const int n = ::poll(fds, m_hungUp ? 3 : 4, m_hungUp ? kHangUpPollMs : -1);
        if (n < 0 && errno != EINTR)
            break;
        if (fds[1].revents) {
            m_stopSeen = true;
            break;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] const ssize_t r = ::read(m_wakeFd, &count, sizeof count);
        }
        if ((fds[2].revents & POLLIN) && m_claim.clientClosed()) {
            finishClient();
            continue;
        }
        if (m_hungUp) {
            // A client has the terminal open once the master no longer hangs up.
            pollfd probe = {m_master, POLLIN, 0};
            if (::poll(&probe, 1, 0) < 0)
                continue;
            if (!(probe.revents & POLLHUP)) {
                m_hungUp = false;
                m_claim.claim();
            } else if (probe.revents & POLLIN) {
                // A client came and went between two looks.
                m_hungUp = false;
                finishClient();
            } else {
                m_output.take();
            }
            continue;
        }
        int fromClient = 0;
        if (fds[3].revents & (POLLIN | POLLHUP | POLLERR)) {
            fromClient = readClient();
            if (fromClient < 0) {
                clientGone();
                continue;
            }
        }
        if (m_toClient.isEmpty()) {
            // Frames come one by one at a busy bus: gathering them for a
            // moment turns thousands of writes a second into a few hundred
            // and leaves the reading thread the processor. Serving the
            // client's batch took its own while.
            if ((fds[0].revents & POLLIN) && fromClient == 0)
                std::this_thread::sleep_for(kBatchWait);
            // The wakes of the answers just given are spent: the next look
            // must not take them for frames and wait for more.
            uint64_t count;
            [[maybe_unused]] const ssize_t r = ::read(m_wakeFd, &count, sizeof count);
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

void SlcanBridge::finishClient()
{
    // What the client wrote before it closed is served; its unfinished line
    // must not start the next client's.
    while (!m_stopSeen && !m_boxGone && readClient() > 0) {
    }
    clientGone();
}

int SlcanBridge::readClient()
{
    char buffer[kClientBatch];
    ssize_t n;
    do {
        n = ::read(m_master, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        // EAGAIN: all read. EIO or end of file: the last client closed.
        return n < 0 && errno == EAGAIN ? 0 : -1;
    }
    m_fromClient.append(buffer, int(n));
    for (const QByteArray &command : takeSlcanCommands(m_fromClient)) {
        // Once a stop came, nothing more goes to the box.
        if (m_boxGone || stopRequested())
            break;
        handle(command);
    }
    return int(n);
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
    m_claim.release();
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
    const BoxAck ack = BoxCommands::setCanReporting(m_cli.link, true);
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
    const BoxAck ack = BoxCommands::setCanReporting(m_cli.link, false);
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
        const BoxAck ack = BoxCommands::sendCanFrame(m_cli.link, command.id, command.data);
        boxGone(ack);
        answer(ack.sent);
        break;
    }
    case SlcanCommand::Version: {
        const BoxAnswer<quint32> version = BoxCommands::softwareVersion(m_cli.link);
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
        answerText(slcanSerialText(m_cli.link.serialNumber()));
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
