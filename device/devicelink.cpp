#include "devicelink.h"

#include "hidbackend.h"

#include <QDebug>

#include <cstring>

namespace {
constexpr size_t kStringLen = 255;

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

int DeviceLink::open()
{
    if (blockedForCaller())
        return -1;
    Access lock(*this);
    if (blockedForCaller())
        return -1;
    closeLocked();
    hidBackend()->init();
    m_handle = hidBackend()->open(LINK_VENDOR_ID, LINK_PRODUCT_ID, nullptr);
    if (!m_handle)
        return -1;
    m_connected.store(true);
    m_serialNumber = readIdentity(&HidBackend::getSerialNumberString, m_handle);
    m_manufacturer = readIdentity(&HidBackend::getManufacturerString, m_handle);
    m_product = readIdentity(&HidBackend::getProductString, m_handle);
    qDebug() << "manufacturer:" << m_manufacturer << " product:" << m_product;
    qDebug() << "-----------------------------------------";
    return 0;
}

void DeviceLink::close()
{
    if (blockedForCaller())
        return;
    Access lock(*this);
    closeLocked();
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
    return sendLocked(packet);
}

int DeviceLink::receivePacket(CmdPacket &reply, bool withTimeout)
{
    if (!withTimeout && m_waiting.load() > 0) {
        // Let a waiting exchange have the link before the next slice.
        reply = CmdPacket();
        std::this_thread::yield();
        return 0;
    }
    if (blockedForCaller()) {
        reply = CmdPacket();
        return -1;
    }
    Access lock(*this);
    return receiveLocked(reply, withTimeout ? LINK_READ_TIMEOUT_MS : LINK_RX_SLICE_MS);
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

int DeviceLink::request(const CmdPacket &command, CmdPacket &reply)
{
    reply = CmdPacket();
    if (blockedForCaller())
        return -1;
    Access lock(*this);
    if (sendLocked(command) < 0) {
        reply = CmdPacket();
        return -1;
    }
    return receiveLocked(reply, LINK_READ_TIMEOUT_MS);
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
    m_connected.store(false);
    m_claimed.store(false);
    m_owner.store(std::thread::id());
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
