#pragma once

#include "cmdpacket.h"
#include "reportframing.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <thread>

class HidBackend;
struct HidHandle;

// Length of one read slice of the CAN receive loop: short enough that a stop
// request or a waiting request/reply exchange is served promptly.
constexpr int LINK_RX_SLICE_MS = 20;

// The single USB HID link to the box. One lock serialises every backend call
// on the handle, so a request and its reply stay together and a handle is
// never replaced or closed under a reader.
class DeviceLink
{
public:
    static DeviceLink *instance();

    // 0 when the box was opened, -1 when none was found.
    int open();
    void close();

    bool isConnected() const { return m_connected.load(); }
    void setConnected(bool connected) { m_connected.store(connected); }

    // hid_write's result, or -1 when nothing could be written.
    int sendPacket(const CmdPacket &packet);
    // The read's result: bytes read, 0 after the time-out, -1 on error. The
    // reply is filled in every case. Without time-out it waits one short slice.
    int receivePacket(CmdPacket &reply, bool withTimeout);
    int writeRaw(const uint8_t *data, int len);

    // One request and its reply, with the lock held from the write to the
    // reply, so that the reply goes to the thread that asked. Returns the
    // read's result, or -1 when the request could not be written.
    int request(const CmdPacket &command, CmdPacket &reply);

    // While a thread holds the link (the firmware transfer), every other
    // thread's calls fail at once instead of interleaving with it.
    bool claim();
    void release();
    bool isClaimedByOther() const;

    bool hasHandle() const;
    QString serialNumber() const;
    QString manufacturer() const;
    QString product() const;

    // Closes the handle and forgets all state: a fresh link, as at process start.
    void reset();

    // Installs a HID backend (nullptr: the real library) once no call is
    // inside the one in use; that one may be destroyed as soon as this returns.
    void setBackend(HidBackend *backend);

private:
    DeviceLink() = default;

    class Access;
    bool blockedForCaller() const;
    int sendLocked(const CmdPacket &packet);
    int receiveLocked(CmdPacket &reply, int timeoutMs);
    void closeLocked();

    mutable std::mutex m_mutex;
    mutable std::atomic<int> m_waiting{0};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_claimed{false};
    std::atomic<std::thread::id> m_owner{};
    HidHandle *m_handle = nullptr;
    QString m_serialNumber;
    QString m_manufacturer;
    QString m_product;
};
