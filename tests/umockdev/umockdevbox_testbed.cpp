#include "umockdevbox.h"

// The testbed side of the box: its sysfs records, the node's ioctl answers,
// and putting the devices in and taking them out.

// sys/ioctl.h must come before linux/hidraw.h.
#include <sys/ioctl.h>

#include <linux/hidraw.h>

#include <QDebug>
#include <QStringList>

// glib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <umockdev.h>
#pragma pop_macro("signals")

#include <algorithm>
#include <csignal>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

namespace {
// How long a report the box sent just before going away may wait to be read.
constexpr auto kGoneGrace = std::chrono::milliseconds(200);

// Vendor page, 64-byte input and output reports.
const uint8_t kReportDescriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x02,
                                     0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40,
                                     0x81, 0x02, 0x09, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x00,
                                     0x75, 0x08, 0x95, 0x40, 0x91, 0x02, 0xC0};
constexpr int kHidrawMajor = 241;
const char kUsbHub[] = "/devices/pci0000:00/0000:00:14.0/usb1";

// The process's one testbed, shared by its boxes; each box has a USB port of
// its own and node numbers never repeat across them.
struct SharedTestbed
{
    std::mutex mutex; // umockdev's testbed is no thread-safe object: one change at a time
    UMockdevTestbed *testbed = nullptr;
    int users = 0;
    int boxes = 0;
    int nodes = 0;
};

SharedTestbed &shared()
{
    static SharedTestbed bed;
    return bed;
}

QString descriptorHex()
{
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(kReportDescriptor), sizeof(kReportDescriptor))
            .toHex()
            .toUpper());
}

// Record attributes are one line each; keep identity texts on their line.
QString attributeText(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return t;
}

template <typename T> bool answerWith(UMockdevIoctlClient *client, const T &value)
{
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    GError *error = nullptr;
    UMockdevIoctlData *data = umockdev_ioctl_data_resolve(arg, 0, sizeof(T), &error);
    if (!data) {
        g_clear_error(&error);
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return false;
    }
    std::memcpy(data->data, &value, std::min<size_t>(sizeof(T), size_t(data->data_len)));
    g_object_unref(data);
    umockdev_ioctl_client_complete(client, 0, 0);
    return true;
}

// Runs on umockdev's own thread; the node's only ioctls are hidapi's.
gboolean handleIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer wakeFd)
{
    switch (umockdev_ioctl_client_get_request(client)) {
    case HIDIOCGRDESCSIZE: {
        // hid_open asks this once per open: the host has just opened the node.
        answerWith(client, int(sizeof(kReportDescriptor)));
        const uint64_t one = 1;
        if (::write(int(reinterpret_cast<intptr_t>(wakeFd)), &one, sizeof(one)) < 0) {
            // The pump notices the open on its next round anyway.
        }
        break;
    }
    case HIDIOCGRDESC: {
        hidraw_report_descriptor d = {};
        d.size = sizeof(kReportDescriptor);
        std::memcpy(d.value, kReportDescriptor, sizeof(kReportDescriptor));
        answerWith(client, d);
        break;
    }
    case HIDIOCGRAWINFO: {
        hidraw_devinfo info = {};
        info.bustype = 3; // BUS_USB
        info.vendor = int16_t(0x28E9);
        info.product = int16_t(0x028F);
        answerWith(client, info);
        break;
    }
    default:
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        break;
    }
    return TRUE;
}
} // namespace

void UmockdevBox::createTestbed()
{
    std::signal(SIGHUP, SIG_IGN);
    SharedTestbed &bed = shared();
    {
        std::lock_guard<std::mutex> lock(bed.mutex);
        if (!bed.testbed)
            bed.testbed = umockdev_testbed_new();
        ++bed.users;
        m_port = ++bed.boxes;
    }
    m_testbed = bed.testbed;
    gchar *root = umockdev_testbed_get_root_dir(m_testbed);
    m_rootDir = QString::fromLocal8Bit(root);
    g_free(root);
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_ioctl = umockdev_ioctl_base_new();
    g_signal_connect(m_ioctl, "handle-ioctl", G_CALLBACK(handleIoctl),
                     reinterpret_cast<gpointer>(intptr_t(m_wakeFd)));
}

void UmockdevBox::destroyTestbed()
{
    removeNode();
    g_object_unref(m_ioctl);
    SharedTestbed &bed = shared();
    {
        std::lock_guard<std::mutex> lock(bed.mutex);
        if (--bed.users == 0) {
            g_object_unref(bed.testbed);
            bed.testbed = nullptr;
        }
    }
    m_testbed = nullptr;
    ::close(m_wakeFd);
}

// Makes the testbed follow the box: a box that went away loses its node, a box
// that is (back) in gets a new one.
void UmockdevBox::reconcile()
{
    const bool boxIn = m_box.isPlugged();
    bool pullNow;
    bool failed;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        pullNow = m_pullNow;
        failed = m_plugFailed;
    }
    if (m_node.fd >= 0 && (!boxIn || m_sessionLost)) {
        // A box that restarts by itself sends its last reply first: let the host read it.
        const bool lastReplyTaken = !m_inFlight || Clock::now() - m_inFlightSince > kGoneGrace;
        if (pullNow || lastReplyTaken)
            removeNode();
    }
    if (m_node.fd < 0 && pullNow) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pullNow = false;
    }
    if (m_node.fd < 0 && boxIn && !failed && !pullNow && !addNode()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_plugFailed = true;
        }
        m_changed.notify_all();
    }
}

bool UmockdevBox::addNode()
{
    std::lock_guard<std::mutex> testbedLock(shared().mutex);
    ++m_nextIndex;
    const int index = shared().nodes++;
    SimBox::Identity id = m_box.identity();
    // The box lock is keyed by the serial number: a box left with the simulated
    // default gets one of this process's own, so that another test run on the
    // same machine never finds this rig's box in use.
    if (id.serialNumber == SimBox::Identity().serialNumber)
        id.serialNumber = QStringLiteral("RIG%1").arg(::getpid());
    Node node;
    node.index = index;
    node.name = QStringLiteral("hidraw%1").arg(index);
    const QString port = QStringLiteral("1-%1").arg(m_port);
    const QString usb = QString::fromLatin1(kUsbHub) + QLatin1Char('/') + port;
    const QString interface = usb + QLatin1Char('/') + port + QStringLiteral(":1.0");
    const QString hid =
        interface +
        QStringLiteral("/0003:28E9:028F.%1").arg(index + 1, 4, 16, QLatin1Char('0')).toUpper();
    const QString hidraw = hid + QStringLiteral("/hidraw/") + node.name;

    QStringList record;
    record << QStringLiteral("P: ") + usb << QStringLiteral("E: SUBSYSTEM=usb")
           << QStringLiteral("E: DEVTYPE=usb_device") << QStringLiteral("A: idVendor=28e9")
           << QStringLiteral("A: idProduct=028f")
           << QStringLiteral("A: manufacturer=") + attributeText(id.manufacturer)
           << QStringLiteral("A: product=") + attributeText(id.product)
           << QStringLiteral("A: serial=") + attributeText(id.serialNumber)
           << QStringLiteral("A: busnum=1") << QStringLiteral("A: devnum=%1").arg(index + 2)
           << QStringLiteral("A: bcdDevice=0100") << QString();
    record << QStringLiteral("P: ") + interface << QStringLiteral("E: SUBSYSTEM=usb")
           << QStringLiteral("E: DEVTYPE=usb_interface") << QStringLiteral("A: bInterfaceNumber=00")
           << QStringLiteral("A: bInterfaceClass=03") << QString();
    record << QStringLiteral("P: ") + hid << QStringLiteral("E: SUBSYSTEM=hid")
           << QStringLiteral("E: HID_ID=0003:000028E9:0000028F")
           << QStringLiteral("E: HID_NAME=") + id.manufacturer + QLatin1Char(' ') + id.product
           << QStringLiteral("E: HID_UNIQ=") + id.serialNumber
           << QStringLiteral("H: report_descriptor=") + descriptorHex() << QString();
    record << QStringLiteral("P: ") + hidraw << QStringLiteral("N: ") + node.name
           << QStringLiteral("E: SUBSYSTEM=hidraw")
           << QStringLiteral("E: DEVNAME=/dev/") + node.name
           << QStringLiteral("A: dev=%1:%2").arg(kHidrawMajor).arg(index)
           << QStringLiteral("L: device=../../") << QString();

    // The testbed sends the "add" events as it creates the devices, so
    // whoever reacts to them must find the ioctl answer already in place.
    const QByteArray devnode = QByteArrayLiteral("/dev/") + node.name.toLatin1();
    GError *error = nullptr;
    if (!umockdev_testbed_attach_ioctl(m_testbed, devnode.constData(), m_ioctl, &error)) {
        qWarning("UmockdevBox: no ioctl handler for %s: %s", devnode.constData(),
                 error ? error->message : "?");
        g_clear_error(&error);
    }
    if (!umockdev_testbed_add_from_string(
            m_testbed, record.join(QLatin1Char('\n')).toUtf8().constData(), &error)) {
        qWarning("UmockdevBox: the testbed refused the box: %s", error ? error->message : "?");
        g_clear_error(&error);
        if (!umockdev_testbed_detach_ioctl(m_testbed, devnode.constData(), &error))
            g_clear_error(&error);
        return false;
    }
    node.usbSysPath = QStringLiteral("/sys") + usb;
    node.interfaceSysPath = QStringLiteral("/sys") + interface;
    node.hidSysPath = QStringLiteral("/sys") + hid;
    node.hidrawSysPath = QStringLiteral("/sys") + hidraw;

    node.fd = umockdev_testbed_get_dev_fd(m_testbed, devnode.constData());
    if (node.fd < 0) {
        qWarning("UmockdevBox: %s is not a stream node", devnode.constData());
        for (const QString &path :
             {node.hidrawSysPath, node.hidSysPath, node.interfaceSysPath, node.usbSysPath})
            umockdev_testbed_remove_device(m_testbed, path.toUtf8().constData());
        if (!umockdev_testbed_detach_ioctl(m_testbed, devnode.constData(), &error))
            g_clear_error(&error);
        return false;
    }
    // A started tool must not inherit the box's end (closing it would no
    // longer hang up the node), and the pump never blocks on it.
    ::fcntl(node.fd, F_SETFD, ::fcntl(node.fd, F_GETFD) | FD_CLOEXEC);
    ::fcntl(node.fd, F_SETFL, ::fcntl(node.fd, F_GETFL) | O_NONBLOCK);
    termios tio;
    if (::tcgetattr(node.fd, &tio) == 0) {
        // Report bytes pass untouched: no signals, flow control or line editing.
        ::cfmakeraw(&tio);
        ::tcsetattr(node.fd, TCSANOW, &tio);
    }
    if (::ioctl(node.fd, TIOCGPTN, &node.ptsNumber) == 0)
        node.ptsPath = QByteArrayLiteral("/dev/pts/") + QByteArray::number(node.ptsNumber);

    m_node = node;
    m_hostOpen = false;
    m_session = 0;
    m_sessionLost = false;
    m_inFlight = false;
    m_outReport.clear();
    m_hostBytes.clear();
    publish();
    return true;
}

void UmockdevBox::removeNode()
{
    if (m_node.fd < 0)
        return;
    std::lock_guard<std::mutex> testbedLock(shared().mutex);
    // Hang up first, as a pulled cable does. The testbed closes this number
    // when it goes, so it keeps a harmless placeholder.
    const int null = int(::syscall(SYS_openat, AT_FDCWD, "/dev/null", O_RDWR | O_CLOEXEC));
    if (null >= 0) {
        ::dup3(null, m_node.fd, O_CLOEXEC);
        ::syscall(SYS_close, null);
    }
    for (const QString &path :
         {m_node.hidrawSysPath, m_node.hidSysPath, m_node.interfaceSysPath, m_node.usbSysPath})
        umockdev_testbed_uevent(m_testbed, path.toUtf8().constData(), "remove");
    const QByteArray devnode = QByteArrayLiteral("/dev/") + m_node.name.toLatin1();
    GError *error = nullptr;
    if (!umockdev_testbed_detach_ioctl(m_testbed, devnode.constData(), &error))
        g_clear_error(&error);
    for (const QString &path :
         {m_node.hidrawSysPath, m_node.hidSysPath, m_node.interfaceSysPath, m_node.usbSysPath})
        umockdev_testbed_remove_device(m_testbed, path.toUtf8().constData());
    // umockdev keeps the PTY's name mapping; the next node may get the same PTY.
    if (m_node.ptsNumber >= 0) {
        const QString map =
            m_rootDir + QStringLiteral("/dev/.ptymap/_dev_pts_%1").arg(m_node.ptsNumber);
        ::unlink(map.toLocal8Bit().constData());
    }
    m_node = Node();
    m_hostOpen = false;
    m_session = 0;
    m_sessionLost = false;
    m_inFlight = false;
    m_outReport.clear();
    m_hostBytes.clear();
    publish();
}
