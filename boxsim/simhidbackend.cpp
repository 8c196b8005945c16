#include "simhidbackend.h"

#include "simbox.h"

#include <algorithm>
#include <cstring>
#include <string>

struct HidHandle
{
    SimBox *box;
    quint64 session;
};

namespace {
int copyString(const QString &text, wchar_t *string, size_t maxlen)
{
    if (!string || maxlen == 0)
        return -1;
    const std::wstring w = text.toStdWString();
    const size_t n = std::min(w.size(), maxlen - 1);
    std::copy(w.begin(), w.begin() + long(n), string);
    string[n] = 0;
    return 0;
}
} // namespace

HidHandle *SimHidBackend::open(unsigned short vendorId, unsigned short productId, const wchar_t *)
{
    if (vendorId != 0x28E9 || productId != 0x028F)
        return nullptr;
    // As hidapi does: the first one plugged in.
    for (SimBox *box : m_boxes) {
        if (!box->isPlugged())
            continue;
        const quint64 session = box->openSession();
        if (session == 0)
            return nullptr;
        ++m_open;
        return new HidHandle{box, session};
    }
    return nullptr;
}

HidHandle *SimHidBackend::openPath(const char *path)
{
    for (size_t n = 0; path && n < m_boxes.size(); ++n) {
        if (pathOf(n) != path)
            continue;
        // The first box's opens all go one way, which tests of it wrap.
        if (n == 0)
            return m_boxes[0]->isPlugged() ? open(0x28E9, 0x028F, nullptr) : nullptr;
        const quint64 session = m_boxes[n]->openSession();
        if (session == 0)
            return nullptr;
        ++m_open;
        return new HidHandle{m_boxes[n], session};
    }
    return nullptr;
}

std::string SimHidBackend::pathOf(size_t index) const
{
    return index == 0 ? std::string(kPath) : kPath + ("-" + std::to_string(index + 1));
}

std::vector<HidDeviceEntry> SimHidBackend::enumerate(unsigned short vendorId,
                                                     unsigned short productId)
{
    std::vector<HidDeviceEntry> found;
    if (vendorId != 0x28E9 || productId != 0x028F)
        return found;
    for (size_t n = 0; n < m_boxes.size(); ++n) {
        if (!m_boxes[n]->isPlugged())
            continue;
        const SimBox::Identity id = m_boxes[n]->identity();
        found.push_back({pathOf(n), id.serialNumber.toStdWString(), id.manufacturer.toStdWString(),
                         id.product.toStdWString()});
    }
    return found;
}

int SimHidBackend::write(HidHandle *dev, const unsigned char *data, size_t length)
{
    return dev ? dev->box->hostWrite(dev->session, data, length) : -1;
}

int SimHidBackend::readTimeout(HidHandle *dev, unsigned char *data, size_t length, int ms)
{
    ++m_reads;
    return dev ? dev->box->hostRead(dev->session, data, length, ms) : -1;
}

int SimHidBackend::getSerialNumberString(HidHandle *dev, wchar_t *string, size_t maxlen)
{
    return dev && dev->box->isPlugged()
               ? copyString(dev->box->identity().serialNumber, string, maxlen)
               : -1;
}

int SimHidBackend::getManufacturerString(HidHandle *dev, wchar_t *string, size_t maxlen)
{
    return dev && dev->box->isPlugged()
               ? copyString(dev->box->identity().manufacturer, string, maxlen)
               : -1;
}

int SimHidBackend::getProductString(HidHandle *dev, wchar_t *string, size_t maxlen)
{
    return dev && dev->box->isPlugged() ? copyString(dev->box->identity().product, string, maxlen)
                                        : -1;
}

void SimHidBackend::close(HidHandle *dev)
{
    if (!dev)
        return;
    dev->box->closeSession(dev->session);
    --m_open;
    delete dev;
}

int SimHidBackend::openHandles() const
{
    return m_open;
}
