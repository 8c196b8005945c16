#include "umockdevbox.h"

// The box side of the node: the pump that carries reports between the PTY
// and the SimBox, one report at a time.

#include <QDebug>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr size_t kOutputReportLen = 65;
constexpr size_t kInputReportLen = 64;
// A host write shorter than a whole report is taken as complete after this quiet time.
constexpr auto kShortReportQuiet = std::chrono::milliseconds(2);
constexpr auto kApiTimeout = std::chrono::seconds(5);

// The box side's own looks at the PTY go around umockdev's preload, which
// would take the slave for the emulated node.
int openSlave(const QByteArray &path, int flags)
{
    return int(::syscall(SYS_openat, AT_FDCWD, path.constData(),
                         flags | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
}

void closeRaw(int fd)
{
    ::syscall(SYS_close, fd);
}
} // namespace

UmockdevBox::UmockdevBox(bool plugged)
{
    createTestbed();
    if (!plugged)
        m_box.unplug();
    m_pump = std::thread([this] { pumpLoop(); });
    if (plugged)
        plug();
}

UmockdevBox::~UmockdevBox()
{
    unplug();
    m_stop.store(true);
    wake();
    m_pump.join();
    destroyTestbed();
}

QString UmockdevBox::plug()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_published.index >= 0)
            return QStringLiteral("/dev/") + m_published.name;
        m_plugFailed = false;
    }
    m_box.plug();
    wake();
    if (!waitForState(true))
        return QString();
    return nodePath();
}

void UmockdevBox::unplug()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pullNow = true;
    }
    m_box.unplug();
    wake();
    waitForState(false);
}

bool UmockdevBox::waitForState(bool plugged)
{
    if (std::this_thread::get_id() == m_pump.get_id())
        return false; // called from a plug listener on the pump: it cannot wait for itself
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool reached = m_changed.wait_for(lock, kApiTimeout, [&] {
        return plugged ? (m_published.index >= 0 || m_plugFailed) : m_published.index < 0;
    });
    if (!reached)
        qWarning("UmockdevBox: the box side did not answer in time");
    return reached && (plugged ? m_published.index >= 0 : true);
}

bool UmockdevBox::isPlugged() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_published.index >= 0;
}

QString UmockdevBox::nodePath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_published.index >= 0 ? QStringLiteral("/dev/") + m_published.name : QString();
}

QString UmockdevBox::nodeName() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_published.name;
}

QString UmockdevBox::usbSysPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_published.usbSysPath;
}

QString UmockdevBox::hidrawSysPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_published.hidrawSysPath;
}

int UmockdevBox::plugCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_publishedCount;
}

bool UmockdevBox::isOpenByHost() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_publishedOpen;
}

QString UmockdevBox::rootDir() const
{
    return m_rootDir;
}

void UmockdevBox::publish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_published = m_node;
        m_publishedOpen = m_hostOpen;
        m_publishedCount = m_nextIndex;
    }
    m_changed.notify_all();
}

void UmockdevBox::wake()
{
    const uint64_t one = 1;
    if (::write(m_wakeFd, &one, sizeof(one)) < 0) {
        // Already signalled (counter full): the pump is awake anyway.
    }
}

void UmockdevBox::waitForWork(int fd, int timeoutUs)
{
    pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {fd, POLLIN, 0}};
    const timespec timeout = {timeoutUs / 1000000, long(timeoutUs % 1000000) * 1000};
    if (::ppoll(fds, fd >= 0 ? 2 : 1, &timeout, nullptr) > 0 && (fds[0].revents & POLLIN)) {
        uint64_t count = 0;
        if (::read(m_wakeFd, &count, sizeof(count)) < 0) {
            // Nothing to take: another round of the loop reads it.
        }
    }
}

void UmockdevBox::pumpLoop()
{
    while (!m_stop.load()) {
        reconcile();
        if (m_node.fd < 0)
            waitForWork(-1, 5000);
        else
            serviceNode();
    }
}

void UmockdevBox::serviceNode()
{
    const Clock::time_point now = Clock::now();
    pollfd p = {m_node.fd, POLLIN, 0};
    ::poll(&p, 1, 0);
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        // Nobody holds the node (the PTY reports a hang-up until it is opened).
        // A hid_write that returned has reached the device on real hidraw, even
        // when the host closes right after it: take what is still buffered.
        if (m_hostOpen) {
            if (p.revents & POLLIN)
                takeHostBytes(now);
            hostClosed();
        }
        waitForWork(-1, 2000);
        return;
    }
    if (!m_hostOpen) {
        m_hostOpen = true;
        m_session = m_box.openSession();
        publish();
    }
    if (p.revents & POLLIN)
        takeHostBytes(now);
    if (!m_hostBytes.empty() && now - m_lastHostBytes >= kShortReportQuiet) {
        deliverHostReport(m_hostBytes.data(), m_hostBytes.size());
        m_hostBytes.clear();
    }

    if (m_inFlight && !hostHasUnreadInput()) {
        m_inFlight = false;
        ++m_toHost;
    }
    if (!m_inFlight && m_session != 0) {
        if (m_outReport.empty()) {
            uint8_t report[kInputReportLen];
            const int n = m_box.hostRead(m_session, report, sizeof(report), 0);
            if (n > 0)
                m_outReport.assign(report, report + n);
            else if (n < 0)
                m_sessionLost = true;
        }
        if (!m_outReport.empty()) {
            // One report at a time: the PTY is a byte stream, and a read of
            // 65 bytes must never reach into the next report.
            const ssize_t written = ::write(m_node.fd, m_outReport.data(), m_outReport.size());
            if (written == ssize_t(m_outReport.size())) {
                m_outReport.clear();
                m_inFlight = true;
                m_inFlightSince = now;
            }
        }
    }

    int timeoutUs = 1000;
    if (m_inFlight) {
        // Read promptly while the host keeps up; a host that stops reading
        // costs little.
        const auto age = now - m_inFlightSince;
        timeoutUs = age < std::chrono::milliseconds(5)     ? 50
                    : age < std::chrono::milliseconds(100) ? 1000
                                                           : 5000;
    } else if (!m_hostBytes.empty()) {
        timeoutUs = 500;
    }
    waitForWork(m_node.fd, timeoutUs);
}

void UmockdevBox::hostClosed()
{
    m_hostOpen = false;
    m_session = 0;
    // A closed hidraw handle loses the reports queued for it.
    m_inFlight = false;
    m_outReport.clear();
    m_hostBytes.clear();
    flushHostInput();
    publish();
}

void UmockdevBox::takeHostBytes(Clock::time_point now)
{
    uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_node.fd, buf, sizeof(buf));
        if (n <= 0)
            break;
        m_hostBytes.insert(m_hostBytes.end(), buf, buf + n);
        m_lastHostBytes = now;
    }
    size_t used = 0;
    while (m_hostBytes.size() - used >= kOutputReportLen) {
        deliverHostReport(m_hostBytes.data() + used, kOutputReportLen);
        used += kOutputReportLen;
    }
    m_hostBytes.erase(m_hostBytes.begin(), m_hostBytes.begin() + long(used));
}

void UmockdevBox::deliverHostReport(const uint8_t *data, size_t length)
{
    if (m_session == 0)
        return;
    if (m_box.hostWrite(m_session, data, length) < 0)
        m_sessionLost = true;
    else
        ++m_fromHost;
}

// Whether the report last written still waits in the host's input queue. A
// poll of the slave also runs the PTY's pending hand-over, so bytes on their
// way count as unread.
bool UmockdevBox::hostHasUnreadInput() const
{
    if (m_node.ptsPath.isEmpty())
        return false;
    const int slave = openSlave(m_node.ptsPath, O_RDONLY);
    if (slave < 0)
        return false;
    pollfd p = {slave, POLLIN, 0};
    const bool unread = ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
    closeRaw(slave);
    return unread;
}

void UmockdevBox::flushHostInput() const
{
    if (m_node.ptsPath.isEmpty())
        return;
    const int slave = openSlave(m_node.ptsPath, O_RDONLY);
    if (slave < 0)
        return;
    ::syscall(SYS_ioctl, slave, TCFLSH, TCIFLUSH);
    closeRaw(slave);
}
