#pragma once

#include "simbox.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

// The VOTK-WIFI BOX on a umockdev hidraw node: lets a test drive the unmodified
// hidapi-hidraw library and libudev monitoring end to end, with a SimBox on
// the device side.
//
// Set-up rules:
// - The test binary runs under umockdev-wrapper (votk_add_test(... UMOCKDEV)).
// - Construct the UmockdevBox first thing in the process (main() or
//   initTestCase()): its testbed must exist before anything asks udev or
//   umockdev about the system (hid_init/hid_open, a udev monitor,
//   umockdev_in_mock_environment()), since their answers are cached.
// - It lives until the end of the test binary. Several boxes may live in one
//   process: they share its testbed, each on a USB port of its own, with node
//   names that never repeat (give them serial numbers of their own before
//   plugging them in). The constructor ignores SIGHUP for the whole process (a
//   closing PTY can raise it).
// - Call DeviceLink::instance()->reset() before the UmockdevBox is destroyed.
//
// What the host sees while the box is plugged in:
// - sysfs: the usb device 28e9:028f (usbSysPath(); manufacturer, product and
//   serial attributes from box()->identity() at plug time; the simulated
//   default serial becomes "RIG<pid>"), its interface 00,
//   a hid device with a vendor-page report descriptor (64-byte input and
//   output reports) and its hidraw child (hidrawSysPath()) with the node
//   nodePath(). Each plug-in gets a new node name: hidraw0, hidraw1, ...
// - udev events on the netlink "udev" monitor: "add" for the usb device, the
//   interface, the hid device and the hidraw device (parent first), sent by
//   the testbed while plug() creates them; react to them after plug() has
//   returned (a monitor served by the thread that calls plug() does). unplug()
//   sends "remove" in the reverse order (children first), after the node has
//   hung up and while the devices are still in sysfs, then removes them.
// - hid_open(0x28E9, 0x028F, NULL) opens the node; each hid_write reaches
//   box()->hostWrite() exactly as written (65 bytes, report-ID byte first);
//   each report from box()->hostRead() arrives as one 64-byte hid_read. Reports
//   go one at a time: the next is written only after the host has read the
//   previous one, so reads never merge two reports.
// - hid_get_*_string fail on the open handle (the node is a PTY underneath).
// - After unplug() the host's reads and writes on the old handle fail (-1).
//
// The SimBox side: box() is the simulated box. Its own plug state is mirrored
// onto the testbed: box()->unplug() pulls the node out, box()->plug() puts a
// new one in, and a restart after the upgrade finish does both (the finish
// reply is delivered before the node goes). Each time the host opens the node
// the box gets a new session (openSession()). box()->setPlugListener() is free
// for the test's own use; a listener must not call plug() or unplug().
//
// All methods are thread-safe. plug() and unplug() return once the change is
// complete (node present and "add" events sent, or node gone).
class UmockdevBox
{
public:
    // Creates the testbed and starts the box side; plugs the box in unless
    // `plugged` is false.
    explicit UmockdevBox(bool plugged = true);
    // Unplugs the box, stops the box side and removes the testbed.
    ~UmockdevBox();
    UmockdevBox(const UmockdevBox &) = delete;
    UmockdevBox &operator=(const UmockdevBox &) = delete;

    // The simulated box behind the node.
    SimBox *box() { return &m_box; }

    // Plugs the box in under a new node name. Returns the node path
    // ("/dev/hidraw1"), the current one when already plugged, or an empty
    // string when the testbed refused the device (a warning says why).
    QString plug();
    // Pulls the box out at once: the node hangs up, "remove" events, the device
    // leaves sysfs. Nothing happens when it is not plugged in.
    void unplug();
    bool isPlugged() const;

    // The current node ("/dev/hidraw1") and its name ("hidraw1"); empty while
    // unplugged.
    QString nodePath() const;
    QString nodeName() const;
    // Sysfs paths as udev reports them ("/sys/devices/..."); empty while unplugged.
    QString usbSysPath() const;
    QString hidrawSysPath() const;
    // How many nodes this box got so far (with one box in the process, the
    // next node is hidraw<plugCount()>).
    int plugCount() const;
    // True while the host holds the current node open.
    bool isOpenByHost() const;
    // Output reports handed to the box and input reports the host has read.
    quint64 reportsFromHost() const { return m_fromHost.load(); }
    quint64 reportsToHost() const { return m_toHost.load(); }
    // The testbed's root directory (the value of UMOCKDEV_DIR).
    QString rootDir() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Node
    {
        int index = -1;
        int fd = -1;
        QString name;
        QString usbSysPath;
        QString hidrawSysPath;
        QString hidSysPath;
        QString interfaceSysPath;
        QByteArray ptsPath;
        int ptsNumber = -1;
    };

    // umockdevbox_testbed.cpp
    void createTestbed();
    void destroyTestbed();
    void reconcile();
    bool addNode();
    void removeNode();

    // umockdevbox.cpp
    void pumpLoop();
    void serviceNode();
    void hostClosed();
    void takeHostBytes(Clock::time_point now);
    void deliverHostReport(const uint8_t *data, size_t length);
    bool hostHasUnreadInput() const;
    void flushHostInput() const;
    void waitForWork(int fd, int timeoutUs);
    void wake();
    void publish();
    bool waitForState(bool plugged);

    SimBox m_box;
    UMockdevTestbed *m_testbed = nullptr;
    UMockdevIoctlBase *m_ioctl = nullptr;
    QString m_rootDir;
    int m_wakeFd = -1;

    // Owned by the pump thread.
    Node m_node;
    bool m_hostOpen = false;
    quint64 m_session = 0;
    bool m_sessionLost = false;
    bool m_inFlight = false;
    Clock::time_point m_inFlightSince;
    std::vector<uint8_t> m_outReport;
    std::vector<uint8_t> m_hostBytes;
    Clock::time_point m_lastHostBytes;
    int m_nextIndex = 0;
    // This box's USB port on the shared testbed (1-<m_port>).
    int m_port = 1;

    // Shared with the API.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_pullNow = false;
    bool m_plugFailed = false;
    Node m_published;
    bool m_publishedOpen = false;
    int m_publishedCount = 0;

    std::atomic<quint64> m_fromHost{0};
    std::atomic<quint64> m_toHost{0};
    std::atomic<bool> m_stop{false};
    std::thread m_pump;
};
