#include "socketcandserver.h"

#include "boxcommands.h"
#include "canreporting.h"
#include "cantxworker.h"
#include "clitable.h"
#include "devicelink.h"
#include "stopsignal.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
// python-can reads the answer to "< rawmode >" as one read that must hold
// nothing else: the first frames wait this long after it.
constexpr auto kRawModeSettle = std::chrono::milliseconds(200);
// Frames a client may have waiting before its oldest are dropped: about a
// second of a busy bus, the kernel's buffers not counted.
constexpr int kMaxQueuedFrames = 8192;
// The kernel's send buffer of a client: enough for a distant client at a busy
// bus, small enough that a client that stops reading is seen within a second.
constexpr int kSendBuffer = 128 * 1024;
// Answers a client may have waiting: one that writes without reading is not
// read from beyond this, so it cannot make the server hold without bound.
constexpr size_t kMaxQueuedAnswers = 1024;
// What one write hands the kernel at most.
constexpr int kWriteChunk = 16 * 1024;
// What is read from a client in one turn.
constexpr int kReadChunk = 4096;
// A client whose frames are dropped is told of on stderr at most this often.
constexpr auto kDropReportEvery = std::chrono::seconds(1);
// socketcand's discovery beacon: port and the longest gap between two.
constexpr quint16 kBeaconPort = 42000;
constexpr auto kBeaconEvery = std::chrono::seconds(2);
// What comes before each message in raw mode. python-can drops the character
// after the last whole message of each read: without it, a read that ends in
// the middle of a frame would cost that frame its '<'. In front, not behind,
// so that a read of whole writes ends on a '>' and leaves nothing behind.
constexpr char kSeparator = ' ';

QString peerText(const sockaddr_in &address)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return QStringLiteral("%1:%2").arg(QLatin1String(text)).arg(ntohs(address.sin_port));
}
} // namespace

void SocketcandFrames::framesRead(const QVector<CanFrame> &frames)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return;
    const bool wasEmpty = m_pending.isEmpty();
    for (const CanFrame &frame : frames) {
        if (m_pending.size() >= kMaxPending) {
            ++m_lost;
            continue;
        }
        m_pending.append(frame);
    }
    if (wasEmpty && !m_pending.isEmpty())
        wake();
}

QVector<CanFrame> SocketcandFrames::take()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QVector<CanFrame> frames;
    frames.swap(m_pending);
    return frames;
}

void SocketcandFrames::setOpen(bool open)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = open;
    if (!open)
        m_pending.clear();
}

qint64 SocketcandFrames::takeLost()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const qint64 lost = m_lost;
    m_lost = 0;
    return lost;
}

void SocketcandFrames::wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

SocketcandServer::SocketcandServer(CliContext &cli, const SocketcandConfig &config, int listenFd,
                                   int wakeFd)
    : m_cli(cli), m_config(config), m_listenFd(listenFd), m_wakeFd(wakeFd), m_frames(wakeFd)
{
}

SocketcandServer::~SocketcandServer()
{
    for (const auto &client : m_clients)
        ::close(client->fd);
    if (m_beaconFd >= 0)
        ::close(m_beaconFd);
}

void SocketcandServer::readLoop()
{
    while (!m_stopReading.load()) {
        if (m_cli.link.receiveFrame(m_frames) < 0) {
            m_boxGone = true;
            m_frames.wake();
            return;
        }
    }
}

int SocketcandServer::serve()
{
    CanReporting reporting(m_cli.link, m_frames);
    if (m_config.beacon) {
        m_beaconFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        if (m_beaconFd < 0 ||
            ::setsockopt(m_beaconFd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
            m_cli.say(QStringLiteral("votkbox-cli: socketcand: no beacon can be sent"));
        planBeacons();
    }
    std::thread reader([this] { readLoop(); });
    const int stopFd = stopSignalFd();
    bool stopped = false;
    Clock::time_point nextBeacon = Clock::now();
    while (!stopped && !m_boxGone) {
        const Clock::time_point now = Clock::now();
        if (m_beaconFd >= 0 && now >= nextBeacon) {
            sendBeacon();
            nextBeacon = now + kBeaconEvery;
        }
        // Wake for the beacon and for frames held after an answer.
        Clock::time_point wakeAt = m_beaconFd >= 0 ? nextBeacon : Clock::time_point::max();
        std::vector<pollfd> fds = {
            {m_wakeFd, POLLIN, 0}, {stopFd, POLLIN, 0}, {m_listenFd, POLLIN, 0}};
        for (const auto &client : m_clients) {
            const size_t answers = client->queue.size() - size_t(client->framesQueued);
            short events = answers < kMaxQueuedAnswers ? POLLIN : 0;
            const bool held = client->holdUntil > now;
            if (held && !client->queue.empty())
                wakeAt = std::min(wakeAt, client->holdUntil);
            if (!client->writing.isEmpty() || (!client->queue.empty() && !held))
                events |= POLLOUT;
            fds.push_back({client->fd, events, 0});
        }
        int timeoutMs = -1;
        if (wakeAt != Clock::time_point::max())
            timeoutMs = int(std::max<qint64>(
                1,
                std::chrono::duration_cast<std::chrono::milliseconds>(wakeAt - now).count() + 1));
        const int n = ::poll(fds.data(), nfds_t(fds.size()), timeoutMs);
        if (n < 0 && errno != EINTR)
            break;
        if (fds[1].revents) {
            stopped = true;
            break;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] const ssize_t r = ::read(m_wakeFd, &count, sizeof count);
        }
        queueFrames(m_frames.take());
        if (const qint64 lost = m_frames.takeLost())
            m_cli.say(QStringLiteral("votkbox-cli: socketcand: %1 frames from the box were lost")
                          .arg(lost));
        // The clients polled, by their place; new ones come after them.
        for (size_t i = 0; i + 3 < fds.size() && i < m_clients.size(); ++i) {
            Client &client = *m_clients[i];
            if (fds[i + 3].revents & (POLLIN | POLLHUP | POLLERR))
                readClient(client);
        }
        for (const auto &client : m_clients)
            if (!client->gone)
                flush(*client);
        for (const auto &client : m_clients)
            if (client->gone)
                dropClient(*client);
        m_clients.erase(std::remove_if(m_clients.begin(), m_clients.end(),
                                       [](const auto &c) { return c->fd < 0; }),
                        m_clients.end());
        if (m_reporting && rawClients() == 0)
            setReporting(false);
        if (fds[2].revents & POLLIN)
            acceptClients();
    }
    m_stopReading = true;
    reader.join();

    int code = CLI_OK;
    if (m_boxGone) {
        code = m_cli.fail(CLI_NO_ANSWER, QStringLiteral("the box was pulled out"));
    } else if (m_reporting && !setReporting(false)) {
        code = m_cli.noAnswer(QStringLiteral("the request to stop reporting CAN frames"));
    }
    reporting.end();
    for (const auto &client : m_clients)
        dropClient(*client);
    m_clients.clear();
    return code;
}

int SocketcandServer::rawClients() const
{
    return int(std::count_if(m_clients.begin(), m_clients.end(), [](const auto &c) {
        return c->fd >= 0 && c->session.state() == SocketcandSession::Raw;
    }));
}

bool SocketcandServer::setReporting(bool on)
{
    // Frames the box sends while it answers belong to the clients.
    if (on)
        m_frames.setOpen(true);
    const BoxAck ack = BoxCommands::setCanReporting(m_cli.link, on);
    if (ack.linkFailed)
        m_boxGone = true;
    if (!on || !ack.answered)
        m_frames.setOpen(false);
    m_reporting = on && ack.answered;
    return ack.answered;
}

void SocketcandServer::acceptClients()
{
    while (true) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        const int fd = ::accept4(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        const QString peer = peerText(address);
        const quint32 from = ntohl(address.sin_addr.s_addr);
        if (!m_config.allow.isEmpty() &&
            std::none_of(m_config.allow.begin(), m_config.allow.end(),
                         [&](const Ipv4Range &range) { return range.contains(from); })) {
            m_cli.say(
                QStringLiteral("votkbox-cli: socketcand: refused %1: not in --allow").arg(peer));
            ::close(fd);
            continue;
        }
        if (int(m_clients.size()) >= m_config.maxClients) {
            const QByteArray full = socketcandError("too many clients");
            [[maybe_unused]] const ssize_t n =
                ::send(fd, full.constData(), size_t(full.size()), MSG_NOSIGNAL);
            m_cli.say(QStringLiteral("votkbox-cli: socketcand: refused %1: %2 clients already")
                          .arg(peer)
                          .arg(m_config.maxClients));
            ::close(fd);
            continue;
        }
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
        auto client = std::make_unique<Client>(m_config.bus);
        client->fd = fd;
        client->peer = peer;
        queueAnswer(*client, socketcandGreeting(), false);
        flush(*client);
        m_cli.say(QStringLiteral("votkbox-cli: socketcand: %1 connected").arg(peer));
        m_clients.push_back(std::move(client));
    }
}

void SocketcandServer::readClient(Client &client)
{
    char buffer[kReadChunk];
    ssize_t n;
    do {
        n = ::recv(client.fd, buffer, sizeof buffer, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (n <= 0) {
        // Closed, or reset: what it left unfinished goes with it.
        client.gone = true;
        return;
    }
    client.in.append(buffer, int(n));
    for (const QByteArray &message : takeSocketcandMessages(client.in)) {
        if (m_boxGone)
            break;
        handle(client, message);
    }
}

void SocketcandServer::handle(Client &client, const QByteArray &message)
{
    // In raw mode every message has the separator in front; before it
    // python-can compares whole reads with the answers.
    const bool wasRaw = client.session.state() == SocketcandSession::Raw;
    SocketcandSession::Step step = client.session.handle(message);
    if (step.send && !CanTxWorker::transmit(m_cli.link, step.id, step.data))
        step.answer = socketcandError("the box did not take the frame");
    if (step.startsFrames) {
        if (!m_reporting && !setReporting(true))
            step.answer = socketcandError("the box did not switch its reporting on");
        client.holdUntil = Clock::now() + kRawModeSettle;
    }
    if (!step.answer.isEmpty())
        queueAnswer(client, step.answer, wasRaw);
}

void SocketcandServer::queueAnswer(Client &client, const QByteArray &answer, bool separated)
{
    client.queue.push_back({separated ? kSeparator + answer : answer, false});
}

void SocketcandServer::queueFrames(const QVector<CanFrame> &frames)
{
    if (frames.isEmpty())
        return;
    QVector<QByteArray> texts;
    texts.reserve(frames.size());
    for (const CanFrame &frame : frames) {
        QByteArray text(1, kSeparator);
        if (appendSocketcandFrame(text, frame.id, frame.data, frame.length, frame.timeUs))
            texts.append(text);
    }
    for (const auto &client : m_clients) {
        if (client->gone || client->session.state() != SocketcandSession::Raw)
            continue;
        for (const QByteArray &text : texts) {
            client->queue.push_back({text, true});
            ++client->framesQueued;
        }
        // The oldest frames go; answers stay.
        for (auto it = client->queue.begin();
             client->framesQueued > kMaxQueuedFrames && it != client->queue.end();) {
            if (it->frame) {
                it = client->queue.erase(it);
                --client->framesQueued;
                ++client->dropped;
            } else {
                ++it;
            }
        }
    }
}

void SocketcandServer::fillWriting(Client &client, Clock::time_point now)
{
    client.writing.clear();
    client.written = 0;
    while (!client.queue.empty() && client.writing.size() < kWriteChunk) {
        Client::Entry &entry = client.queue.front();
        if (entry.frame && client.holdUntil > now)
            break;
        // An answer before raw mode goes alone: python-can compares whole reads.
        const bool alone = !entry.frame && !entry.text.startsWith(kSeparator);
        if (alone && !client.writing.isEmpty())
            break;
        client.writing.append(entry.text);
        if (entry.frame)
            --client.framesQueued;
        client.queue.pop_front();
        if (alone)
            break;
    }
}

void SocketcandServer::flush(Client &client)
{
    const Clock::time_point now = Clock::now();
    while (true) {
        if (client.written >= client.writing.size())
            fillWriting(client, now);
        if (client.writing.isEmpty())
            break;
        const ssize_t n =
            ::send(client.fd, client.writing.constData() + client.written,
                   size_t(client.writing.size() - client.written), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            client.written += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        client.gone = true;
        return;
    }
    sayDrops(client, now, false);
}

void SocketcandServer::sayDrops(Client &client, Clock::time_point now, bool leaving)
{
    if (client.dropped == client.droppedSaid)
        return;
    if (!leaving && now - client.droppedSaidAt < kDropReportEvery)
        return;
    m_cli.say(QStringLiteral("votkbox-cli: socketcand: %1 reads too slowly: %2 frames dropped")
                  .arg(client.peer)
                  .arg(client.dropped));
    client.droppedSaid = client.dropped;
    client.droppedSaidAt = now;
}

void SocketcandServer::dropClient(Client &client)
{
    if (client.fd < 0)
        return;
    sayDrops(client, Clock::now(), true);
    ::close(client.fd);
    client.fd = -1;
    m_cli.say(QStringLiteral("votkbox-cli: socketcand: %1 left").arg(client.peer));
}

void SocketcandServer::planBeacons()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    const QString hostName = QString::fromLocal8Bit(name);
    auto plan = [&](quint32 to, quint32 address) {
        sockaddr_in at{};
        at.sin_addr.s_addr = htonl(address);
        at.sin_port = htons(m_config.port);
        m_beacons.push_back({to, socketcandBeacon(hostName, QStringLiteral("can://") + peerText(at),
                                                  m_config.bus)});
    };
    if ((m_config.address >> 24) == 127) {
        plan(0x7FFFFFFF, m_config.address);
        return;
    }
    // The subnet of the address listened on; every subnet for any address.
    ifaddrs *interfaces = nullptr;
    if (::getifaddrs(&interfaces) == 0) {
        for (const ifaddrs *i = interfaces; i; i = i->ifa_next) {
            if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !i->ifa_broadaddr ||
                !(i->ifa_flags & IFF_BROADCAST) || !(i->ifa_flags & IFF_UP))
                continue;
            const quint32 address =
                ntohl(reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr.s_addr);
            const quint32 broadcast =
                ntohl(reinterpret_cast<const sockaddr_in *>(i->ifa_broadaddr)->sin_addr.s_addr);
            if (m_config.address == INADDR_ANY || m_config.address == address)
                plan(broadcast, address);
        }
        ::freeifaddrs(interfaces);
    }
    if (m_beacons.empty())
        plan(INADDR_BROADCAST, m_config.address);
}

void SocketcandServer::sendBeacon()
{
    for (const Beacon &beacon : m_beacons) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(kBeaconPort);
        to.sin_addr.s_addr = htonl(beacon.to);
        [[maybe_unused]] const ssize_t n =
            ::sendto(m_beaconFd, beacon.text.constData(), size_t(beacon.text.size()), MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr *>(&to), sizeof to);
    }
}
