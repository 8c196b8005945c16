// Finding, locking, opening and closing the box: the part of the link that
// decides which handle the exchanges below it use.
#include "devicelink.h"
#include "devicelinkaccess.h"

#include "hidbackend.h"

#include "devicelog.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

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

LinkOpenResult DeviceLink::lockBoxLocked(const BoxInfo &box, bool &newlyLocked)
{
    LinkOpenResult outcome;
    const QString key = BoxLock::keyFor(box.serialNumber, box.path);
    newlyLocked = !(m_boxLock.isHeld() && m_boxLock.key() == key);
    switch (m_boxLock.acquire(key, &outcome.holder, &outcome.lockFailure)) {
    case BoxLock::Result::Locked:
        outcome.status = LinkOpenResult::Opened;
        break;
    case BoxLock::Result::InUse:
        newlyLocked = false;
        outcome.status = LinkOpenResult::InUse;
        break;
    // Unlocked, two programs would take each other's replies without a word.
    case BoxLock::Result::Unavailable:
        newlyLocked = false;
        outcome.status = LinkOpenResult::LockFailed;
        break;
    }
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
    qCDebug(lcDevice) << "manufacturer:" << m_manufacturer << " product:" << m_product;
    qCDebug(lcDevice) << "-----------------------------------------";
    outcome.status = LinkOpenResult::Opened;
    outcome.serialNumber = m_serialNumber;
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
