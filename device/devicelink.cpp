#include "devicelink.h"
#include "devicelinkaccess.h"

#include "commands.h"
#include "frameclock.h"
#include "framesink.h"
#include "hidbackend.h"

#include <QDebug>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {
// Enough to empty a full hidraw buffer (64 reports) with reports still coming in.
constexpr int kMaxQueuedReports = 256;
} // namespace

DeviceLink *DeviceLink::instance()
{
    static DeviceLink link;
    return &link;
}

bool DeviceLink::blockedForCaller() const
{
    return m_claimed.load() && m_owner.load() != std::this_thread::get_id();
}

int DeviceLink::sendPacket(const CmdPacket &packet)
{
    if (blockedForCaller())
        return -1;
    Access lock(*this);
    const int written = sendLocked(packet);
    // The trace shows what went out between what came in.
    const QVector<uint8_t> payload = packet.getPayload();
    CanFrame sent;
    if (written > 0 && m_reporting && m_sink &&
        canFrameOfPayload(packet.getCmd(), payload.constData(), payload.size(), &sent)) {
        sent.timeUs = frameReadTimeUs();
        sent.direction = CanDirection::Sent;
        m_sink->frameSent(sent);
    }
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
    reply = CmdPacket();
    if (blockedForCaller())
        return -1;
    Access lock(*this);
    return awaitReportLocked(reply, kAnyReply);
}

int DeviceLink::awaitReportLocked(CmdPacket &report, int cmd)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(LINK_READ_TIMEOUT_MS);
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            report = CmdPacket();
            return 0;
        }
        const int result = receiveLocked(report, int(left));
        const uint8_t code = report.getCmd();
        if (result <= 0 || (cmd == kAnyReply ? code != CMD_CAN_FRAME : code == cmd))
            return result;
        passOnLocked(report);
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
    int result = 0;
    int read = 0;
    {
        // Only reads that wait for nothing are made under the lock, so a
        // sender never waits for the bus to bring a frame. What one turn read
        // goes on as one batch, before the lock is released, so that it keeps
        // its place against the frames an exchange passes on.
        Access lock(*this);
        QVector<CanFrame> frames;
        while (read < kMaxQueuedReports) {
            uint8_t report[LINK_REPORT_LEN];
            result = readReportLocked(report, 0);
            if (result <= 0)
                break;
            ++read;
            CanFrame frame;
            if (canFrameOfReport(report, LINK_REPORT_LEN - 1, &frame)) {
                frame.timeUs = frameReadTimeUs();
                frames.append(frame);
            }
            if (m_waiting.load() > 0)
                break;
        }
        if (!frames.isEmpty())
            sink.framesRead(frames);
    }
    if (read > 0)
        return read;
    if (result < 0)
        return result;
    std::this_thread::sleep_for(std::chrono::microseconds(LINK_RX_IDLE_US));
    return 0;
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

    CmdPacket report;
    answer.result = awaitReportLocked(report, cmd);
    if (answer.result <= 0)
        return answer;
    // The box sends no frame after its answer to "reporting off".
    if (reportingOff)
        m_reporting = false;
    answer.packet = report;
    return answer;
}

void DeviceLink::passOnLocked(const CmdPacket &report)
{
    const QVector<uint8_t> payload = report.getPayload();
    CanFrame frame;
    if (!m_reporting || !m_sink ||
        !canFrameOfPayload(report.getCmd(), payload.constData(), payload.size(), &frame))
        return;
    frame.timeUs = frameReadTimeUs();
    m_sink->framesRead({frame});
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

int DeviceLink::readReportLocked(uint8_t report[LINK_REPORT_LEN], int timeoutMs)
{
    std::memset(report, 0, LINK_REPORT_LEN);
    if (blockedForCaller() || !m_handle)
        return -1;
    return hidBackend()->readTimeout(m_handle, report, LINK_REPORT_LEN, timeoutMs);
}

int DeviceLink::receiveLocked(CmdPacket &reply, int timeoutMs)
{
    uint8_t buf[LINK_REPORT_LEN];
    const int result = readReportLocked(buf, timeoutMs);
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
        m_connected.store(false);
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
