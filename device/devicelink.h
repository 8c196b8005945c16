#pragma once

#include "boxlock.h"
#include "cmdpacket.h"
#include "reportframing.h"

#include <QVector>

#include <QString>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

class HidBackend;
struct HidHandle;
struct HidDeviceEntry;
class FrameSink;

// The box's answer to one command: the read's result (bytes read, 0 after the
// time-out, -1 on error) and the reply, empty unless the box answered.
struct LinkReply
{
    int result = -1;
    CmdPacket packet;
    // The command itself went out (a box that resets on it may never answer).
    bool sent = false;

    bool answered() const { return result > 0; }
    QVector<uint8_t> payload() const { return packet.getPayload(); }
};

// How an attempt to open the box ended.
struct LinkOpenResult
{
    enum Status
    {
        Opened,
        NoBox,        // none plugged in, or it went away while opening
        NoPermission, // its device node is there but this user may not open it
        InUse,        // another program holds its lock; it was not opened
        LockFailed,   // its lock could not be taken; it was not opened unlocked
    };
    Status status = NoBox;
    // Who holds the box, for InUse.
    BoxLockHolder holder;
    // Why the lock could not be taken, for LockFailed.
    QString lockFailure;
    // The opened box's USB serial number, for Opened (may be empty).
    QString serialNumber;

    bool opened() const { return status == Opened; }
};

// One box plugged in, as the system lists it; empty texts stay empty.
struct BoxInfo
{
    QString path; // the device node, e.g. /dev/hidraw3
    QString serialNumber;
    QString manufacturer;
    QString product;
};

// Which box to open: the one at a device path or the one with a USB serial
// number; naming neither takes the first box found.
struct BoxSelector
{
    QString path;
    QString serialNumber;

    bool isEmpty() const { return path.isEmpty() && serialNumber.isEmpty(); }
    bool matches(const BoxInfo &box) const;
};

// Length of one read slice of a reader that waits for any report.
constexpr int LINK_RX_SLICE_MS = 20;
// How long the CAN receive loop rests, without the lock, when nothing was
// queued; hidraw keeps 64 reports meanwhile.
constexpr int LINK_RX_IDLE_US = 1000;

// The single USB HID link to the box. One lock serialises every backend call
// on the handle, so a request and its reply stay together and a handle is
// never replaced or closed under a reader.
class DeviceLink
{
public:
    // The process's link. Only the programs' tops (start-up, the CLI's
    // dispatcher, benchmarks, tests) take it; everything else is handed it.
    static DeviceLink *instance();

    // The boxes plugged in, in the order openBox() without a choice takes
    // them. Opens and locks none.
    std::vector<BoxInfo> boxes() const;

    // Opens the chosen box (closing a handle held before); a box not plugged
    // in gives NoBox. Where other programs can open it too, the box's lock is
    // taken first and held until close(); a box another program holds is not
    // opened. The choice is kept for open(), by serial number where the box
    // has one, since a box that restarts may come back under another path.
    LinkOpenResult openBox(const BoxSelector &which = BoxSelector());
    // Opens the box chosen last again (the first box found when none was
    // chosen): 0 when it was opened, -1 otherwise.
    int open();
    void close();

    // A box was opened and has not been found gone since.
    bool isConnected() const { return m_connected.load(); }

    // hid_write's result, or -1 when nothing could be written. A CAN frame
    // written while reporting is on also goes to the frame sink as sent.
    int sendPacket(const CmdPacket &packet);
    // The next input report, whatever it is: the read's result (bytes read, 0
    // after the time-out, -1 on error), the reply filled in every case. Only
    // the upgrade's block answers are taken this way; without time-out it
    // waits one short slice.
    int receivePacket(CmdPacket &reply, bool withTimeout);
    int writeRaw(const uint8_t *data, int len);
    // The next input report that is not a CAN frame, within the reply
    // time-out: the upgrade's block answers. Frames read meanwhile go to the
    // frame sink while reporting is on and are dropped otherwise; they never
    // pass for an answer. Result as for receivePacket.
    int receiveAnswer(CmdPacket &reply);

    // The one way to ask the box something: sends the command and takes as its
    // reply the first report with the same command code, within the reply
    // time-out from the send, with the lock held throughout so that the reply
    // goes to the thread that asked. Reports read meanwhile are CAN frames
    // while reporting is on (they go to the frame sink, in order) and are
    // dropped otherwise; so is input already queued before the command.
    LinkReply exchange(uint8_t cmd, const QVector<uint8_t> &payload = {});

    // One turn of the CAN receive loop: the reports queued are read without
    // waiting and their frames handed to `sink` in one batch before the lock
    // is released (other reports are dropped), so frames keep
    // their order against the ones an exchange passes on; with none queued it
    // rests a moment without the lock. Gives way at once to a waiting sender.
    // The number of reports read, 0 when none was queued, -1 on error.
    int receiveFrame(FrameSink &sink);
    // Where the frames an exchange (or a re-open) reads go while CAN
    // reporting is on; null drops them.
    void setFrameSink(FrameSink *sink);
    // Forgets `sink` if it is still the one set.
    void clearFrameSink(FrameSink *sink);

    // While a thread holds the link (the firmware transfer), every other
    // thread's calls fail at once instead of interleaving with it.
    bool claim();
    // The claim is the firmware transfer's: the box it held has restarted or
    // gone, so the link counts as connected again only once a box is opened.
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

    // Forgetting a box that went is the session's call.
    friend class BoxSession;
    void forgetBox() { m_connected.store(false); }

    class Access;
    bool blockedForCaller() const;
    int sendLocked(const CmdPacket &packet);
    // One input report as read (no report-ID byte, zeros after it).
    int readReportLocked(uint8_t report[LINK_REPORT_LEN], int timeoutMs);
    int receiveLocked(CmdPacket &reply, int timeoutMs);
    // Hands the report to the frame sink while reporting is on, if it is a frame.
    void passOnLocked(const CmdPacket &report);
    // Reads until the report of command `cmd` (kAnyReply: anything but a
    // frame) arrives, passing every other report on; 0 after the read
    // time-out, with `report` empty.
    static constexpr int kAnyReply = -1;
    int awaitReportLocked(CmdPacket &report, int cmd);
    void passOnQueuedLocked();
    void closeLocked();
    LinkOpenResult lockBoxLocked(const BoxInfo &box, bool &newlyLocked);
    std::vector<BoxInfo> boxesLocked() const;

    mutable std::mutex m_mutex;
    mutable std::atomic<int> m_waiting{0};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_claimed{false};
    std::atomic<std::thread::id> m_owner{};
    HidHandle *m_handle = nullptr;
    FrameSink *m_sink = nullptr;
    BoxLock m_boxLock;
    // The box reports CAN frames: from the send of CMD_CAN_RX_ENABLE 1 to the
    // reply to CMD_CAN_RX_ENABLE 0.
    bool m_reporting = false;
    BoxSelector m_choice;
    QString m_serialNumber;
    QString m_manufacturer;
    QString m_product;
};
