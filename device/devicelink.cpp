#include "devicelink.h"

#include "commands.h"
#include "framesink.h"
#include "hidbackend.h"

#include <QDebug>

#include <algorithm>
#include <chrono>
#include <cstring>

#include <cerrno>
#include <unistd.h>

namespace {
constexpr size_t kStringLen = 255;
// Enough to empty a full hidraw buffer (64 reports) with reports still coming in.
constexpr int kMaxQueuedReports = 256;

QString readIdentity(int (HidBackend::*getter)(HidHandle *, wchar_t *, size_t), HidHandle *h)
{
    wchar_t buf[kStringLen + 1] = {};
    if ((hidBackend()->*getter)(h, buf, kStringLen) < 0)
        return QString();
    buf[kStringLen] = 0;
    return QString::fromWCharArray(buf);
}
} // namespace

// Takes the lock while telling a slice reader that someone is waiting for it.
class DeviceLink::Access
{
public:
    explicit Access(const DeviceLink &link) : m_link(link)
    {
        ++m_link.m_waiting;
        m_link.m_mutex.lock();
        --m_link.m_waiting;
    }
    ~Access() { m_link.m_mutex.unlock(); }
    Access(const Access &) = delete;
    Access &operator=(const Access &) = delete;

private:
    const DeviceLink &m_link;
};

DeviceLink *DeviceLink::instance()
{
    static DeviceLink link;
    return &link;
}

bool DeviceLink::blockedForCaller() const
{
    return m_claimed.load() && m_owner.load() != std::this_thread::get_id();
}

LinkOpenResult DeviceLink::lockBoxLocked(const BoxInfo &box, bool &newlyLocked)
{
    LinkOpenResult outcome;
    const QString key = BoxLock::keyFor(box.serialNumber, box.path);
    newlyLocked = !(m_boxLock.isHeld() && m_boxLock.key() == key);
    if (m_boxLock.acquire(key, &outcome.holder) == BoxLock::Result::InUse) {
        newlyLocked = false;
        outcome.status = LinkOpenResult::InUse;
        return outcome;
    }
    // Without a lock file the box is still opened: the lock only guards.
    outcome.status = LinkOpenResult::Opened;
    return outcome;
}

std::vector<BoxInfo> DeviceLink::boxes() const
{
    Access lock(*this);
    return boxesLocked();
}

std::vector<BoxInfo> DeviceLink::boxesLocked() const
{
    hidBackend()->init();
    std::vector<BoxInfo> found;
    for (const HidDeviceEntry &entry : hidBackend()->enumerate(LINK_VENDOR_ID, LINK_PRODUCT_ID))
        found.push_back(
            {QString::fromStdString(entry.path), QString::fromStdWString(entry.serialNumber),
             QString::fromStdWString(entry.manufacturer), QString::fromStdWString(entry.product)});
    return found;
}

bool BoxSelector::matches(const BoxInfo &box) const
{
    if (!path.isEmpty() && box.path != path)
        return false;
    return serialNumber.isEmpty() || box.serialNumber == serialNumber;
}

int DeviceLink::open()
{
    BoxSelector again;
    {
        Access lock(*this);
        again = m_choice;
    }
    return openBox(again).opened() ? 0 : -1;
}

LinkOpenResult DeviceLink::openBox(const BoxSelector &which)
{
    LinkOpenResult outcome;
    if (blockedForCaller())
        return outcome;
    Access lock(*this);
    if (blockedForCaller())
        return outcome;
    // Reports queued on the old handle go with it: pass the frames on first.
    passOnQueuedLocked();
    closeLocked();
    hidBackend()->init();
    m_choice = which;
    const bool shared = hidBackend()->sharedWithOtherPrograms();
    BoxInfo box;
    if (!which.isEmpty() || shared) {
        // A box held before keeps its lock while it is away (restarting after
        // an upgrade, re-plugged): it comes back under the same key.
        const std::vector<BoxInfo> found = boxesLocked();
        const auto chosen = std::find_if(found.begin(), found.end(),
                                         [&](const BoxInfo &b) { return which.matches(b); });
        if (chosen == found.end())
            return outcome;
        box = *chosen;
        if (!which.isEmpty() && !box.serialNumber.isEmpty())
            m_choice = BoxSelector{QString(), box.serialNumber};
    }
    bool newlyLocked = false;
    if (shared) {
        outcome = lockBoxLocked(box, newlyLocked);
        if (outcome.status != LinkOpenResult::Opened)
            return outcome;
    }
    // Without a choice hidapi's own pick is the first box, as enumerated.
    m_handle = which.isEmpty() ? hidBackend()->open(LINK_VENDOR_ID, LINK_PRODUCT_ID, nullptr)
                               : hidBackend()->openPath(box.path.toLocal8Bit().constData());
    if (!m_handle) {
        if (newlyLocked)
            m_boxLock.release();
        const QByteArray path = box.path.toLocal8Bit();
        outcome.status = !path.isEmpty() && ::access(path.constData(), R_OK | W_OK) != 0 &&
                                 (errno == EACCES || errno == EPERM)
                             ? LinkOpenResult::NoPermission
                             : LinkOpenResult::NoBox;
        return outcome;
    }
    m_connected.store(true);
    m_serialNumber = readIdentity(&HidBackend::getSerialNumberString, m_handle);
    m_manufacturer = readIdentity(&HidBackend::getManufacturerString, m_handle);
    m_product = readIdentity(&HidBackend::getProductString, m_handle);
    qDebug() << "manufacturer:" << m_manufacturer << " product:" << m_product;
    qDebug() << "-----------------------------------------";
    outcome.status = LinkOpenResult::Opened;
    return outcome;
}

void DeviceLink::close()
{
    if (blockedForCaller())
        return;
    Access lock(*this);
    closeLocked();
    m_boxLock.release();
}

void DeviceLink::closeLocked()
{
    if (m_handle) {
        hidBackend()->close(m_handle);
        m_handle = nullptr;
    }
}

int DeviceLink::sendPacket(const CmdPacket &packet)
{
    if (blockedForCaller())
        return -1;
    Access lock(*this);
    const int written = sendLocked(packet);
    // The trace shows what went out between what came in.
    if (written > 0 && packet.getCmd() == CMD_CAN_FRAME && m_reporting && m_sink)
        m_sink->frameSent(packet);
    return written;
}

int DeviceLink::receivePacket(CmdPacket &reply, bool withTimeout)
{
    reply = CmdPacket();
    if (blockedForCaller())
        return -1;
    Access lock(*this);
    return receiveLocked(reply, withTimeout ? LINK_READ_TIMEOUT_MS : LINK_RX_SLICE_MS);
}

int DeviceLink::receiveAnswer(CmdPacket &reply)
{
    using Clock = std::chrono::steady_clock;
    reply = CmdPacket();
    if (blockedForCaller())
        return -1;
    Access lock(*this);
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(LINK_READ_TIMEOUT_MS);
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            reply = CmdPacket();
            return 0;
        }
        const int result = receiveLocked(reply, int(left));
        if (result <= 0 || reply.getCmd() != CMD_CAN_FRAME)
            return result;
        passOnLocked(reply);
    }
}

int DeviceLink::receiveFrame(FrameSink &sink)
{
    if (m_waiting.load() > 0) {
        // Let a waiting exchange have the link before the next slice.
        std::this_thread::yield();
        return 0;
    }
    if (blockedForCaller())
        return -1;
    Access lock(*this);
    CmdPacket report;
    const int result = receiveLocked(report, LINK_RX_SLICE_MS);
    if (result > 0)
        sink.frameRead(report);
    return result;
}

void DeviceLink::setFrameSink(FrameSink *sink)
{
    Access lock(*this);
    m_sink = sink;
}

void DeviceLink::clearFrameSink(FrameSink *sink)
{
    Access lock(*this);
    if (m_sink == sink)
        m_sink = nullptr;
}

int DeviceLink::writeRaw(const uint8_t *data, int len)
{
    if (len < 0 || len > LINK_MAX_RAW || (len > 0 && !data))
        return -1;
    if (blockedForCaller())
        return -1;
    Access lock(*this);
    if (blockedForCaller() || !m_handle)
        return -1;
    uint8_t buf[LINK_REPORT_LEN] = {};
    if (len > 0)
        std::memcpy(buf + 1, data, size_t(len));
    return hidBackend()->write(m_handle, buf, size_t(len) + 1);
}

LinkReply DeviceLink::exchange(uint8_t cmd, const QVector<uint8_t> &payload)
{
    using Clock = std::chrono::steady_clock;
    LinkReply answer;
    CmdPacket command;
    command.set(cmd, payload);
    if (blockedForCaller())
        return answer;
    Access lock(*this);
    if (blockedForCaller() || !m_handle)
        return answer;
    // Nothing that came before the command can be its reply (a late answer to
    // an earlier, timed-out one, say).
    passOnQueuedLocked();
    if (sendLocked(command) < 0)
        return answer;
    answer.sent = true;
    const bool reportingOn = cmd == CMD_CAN_RX_ENABLE && payload.value(0) != 0;
    const bool reportingOff = cmd == CMD_CAN_RX_ENABLE && payload.value(0) == 0;
    if (reportingOn)
        m_reporting = true;

    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(LINK_READ_TIMEOUT_MS);
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            answer.result = 0;
            return answer;
        }
        CmdPacket report;
        answer.result = receiveLocked(report, int(left));
        if (answer.result <= 0)
            return answer;
        if (report.getCmd() == cmd) {
            // The box sends no frame after its answer to "reporting off".
            if (reportingOff)
                m_reporting = false;
            answer.packet = report;
            return answer;
        }
        passOnLocked(report);
    }
}

void DeviceLink::passOnLocked(const CmdPacket &report)
{
    if (m_reporting && m_sink)
        m_sink->frameRead(report);
}

void DeviceLink::passOnQueuedLocked()
{
    if (!m_handle)
        return;
    for (int i = 0; i < kMaxQueuedReports; ++i) {
        CmdPacket report;
        if (receiveLocked(report, 0) <= 0)
            return;
        passOnLocked(report);
    }
}

int DeviceLink::sendLocked(const CmdPacket &packet)
{
    if (blockedForCaller() || !m_handle)
        return -1;
    uint8_t buf[LINK_REPORT_LEN];
    if (!encodeCommandReport(packet, buf))
        return -1;
    return hidBackend()->write(m_handle, buf, LINK_REPORT_LEN);
}

int DeviceLink::receiveLocked(CmdPacket &reply, int timeoutMs)
{
    reply = CmdPacket();
    if (blockedForCaller() || !m_handle)
        return -1;
    uint8_t buf[LINK_REPORT_LEN] = {};
    const int result = hidBackend()->readTimeout(m_handle, buf, LINK_REPORT_LEN, timeoutMs);
    // A failed or timed-out read decodes as command 0 with an empty payload.
    reply = decodeInputReport(buf, result > 0 ? size_t(LINK_REPORT_LEN - 1) : 0);
    return result;
}

bool DeviceLink::claim()
{
    Access lock(*this);
    if (m_claimed.load() && m_owner.load() != std::this_thread::get_id())
        return false;
    m_owner.store(std::this_thread::get_id());
    m_claimed.store(true);
    return true;
}

void DeviceLink::release()
{
    Access lock(*this);
    if (m_owner.load() == std::this_thread::get_id()) {
        m_claimed.store(false);
        m_owner.store(std::thread::id());
    }
}

bool DeviceLink::isClaimedByOther() const
{
    return blockedForCaller();
}

bool DeviceLink::hasHandle() const
{
    Access lock(*this);
    return m_handle != nullptr;
}

QString DeviceLink::serialNumber() const
{
    Access lock(*this);
    return m_serialNumber;
}

QString DeviceLink::manufacturer() const
{
    Access lock(*this);
    return m_manufacturer;
}

QString DeviceLink::product() const
{
    Access lock(*this);
    return m_product;
}

void DeviceLink::reset()
{
    Access lock(*this);
    closeLocked();
    m_boxLock.release();
    m_connected.store(false);
    m_reporting = false;
    m_claimed.store(false);
    m_owner.store(std::thread::id());
    m_choice = BoxSelector();
    m_serialNumber.clear();
    m_manufacturer.clear();
    m_product.clear();
}

void DeviceLink::setBackend(HidBackend *backend)
{
    // Every backend call is made under the lock, so holding it here waits out
    // a reader still inside the old backend.
    Access lock(*this);
    setHidBackend(backend);
}
