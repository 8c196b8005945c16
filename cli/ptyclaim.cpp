#include "ptyclaim.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

PtyClaim::PtyClaim(const QByteArray &slavePath) : m_path(slavePath)
{
    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0 && ::inotify_add_watch(m_watch, m_path.constData(), IN_OPEN | IN_CLOSE) < 0) {
        ::close(m_watch);
        m_watch = -1;
    }
}

PtyClaim::~PtyClaim()
{
    // The terminal goes with the bridge: nothing to hand over.
    if (m_own >= 0)
        ::close(m_own);
    if (m_watch >= 0)
        ::close(m_watch);
}

namespace {
// The system call itself: a preloaded ioctl wrapper (umockdev's, which the
// tests run the tool under) answers ENOTTY for any terminal under /dev.
int ttyIoctl(int fd, unsigned long request)
{
    return int(::syscall(SYS_ioctl, fd, request));
}
} // namespace

void PtyClaim::claim()
{
    if (m_watch < 0 || m_own >= 0)
        return;
    m_own = ::open(m_path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_own < 0)
        return;
    ++m_ownOpens;
    if (ttyIoctl(m_own, TIOCEXCL) != 0)
        release();
}

bool PtyClaim::clientClosed()
{
    alignas(inotify_event) char buffer[4096];
    bool lost = false;
    for (;;) {
        const ssize_t n = ::read(m_watch, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->mask & IN_Q_OVERFLOW)
                lost = true;
            // Any open or close stands for any other: only the count matters.
            if (event->mask & IN_OPEN)
                m_ownOpens > 0 ? void(--m_ownOpens) : void(++m_others);
            if (event->mask & IN_CLOSE)
                m_ownCloses > 0 ? void(--m_ownCloses) : void(--m_others);
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    if (lost) {
        // Counts that can no longer be trusted: the hang-up tells from now on.
        release();
        ::close(m_watch);
        m_watch = -1;
        return false;
    }
    return m_own >= 0 && m_others <= 0;
}

void PtyClaim::release()
{
    if (m_own < 0)
        return;
    // Answers and frames the client did not read are not the next one's.
    ::tcflush(m_own, TCIFLUSH);
    ttyIoctl(m_own, TIOCNXCL);
    ::close(m_own);
    m_own = -1;
    ++m_ownCloses;
}
