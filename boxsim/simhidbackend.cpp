#include "simhidbackend.h"

#include "simbox.h"

#include <algorithm>
#include <cstring>

struct HidHandle
{
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
    const quint64 session = m_box.openSession();
    if (session == 0)
        return nullptr;
    ++m_open;
    return new HidHandle{session};
}

HidHandle *SimHidBackend::openPath(const char *path)
{
    if (!path || std::strcmp(path, kPath) != 0)
        return nullptr;
    return open(0x28E9, 0x028F, nullptr);
}

std::vector<HidDeviceEntry> SimHidBackend::enumerate(unsigned short vendorId,
                                                     unsigned short productId)
{
    if (vendorId != 0x28E9 || productId != 0x028F || !m_box.isPlugged())
        return {};
    const SimBox::Identity id = m_box.identity();
    return {{kPath, id.serialNumber.toStdWString(), id.manufacturer.toStdWString(),
             id.product.toStdWString()}};
}

int SimHidBackend::write(HidHandle *dev, const unsigned char *data, size_t length)
{
    return dev ? m_box.hostWrite(dev->session, data, length) : -1;
}

int SimHidBackend::readTimeout(HidHandle *dev, unsigned char *data, size_t length, int ms)
{
    ++m_reads;
    return dev ? m_box.hostRead(dev->session, data, length, ms) : -1;
}

int SimHidBackend::getSerialNumberString(HidHandle *dev, wchar_t *string, size_t maxlen)
{
    return dev && m_box.isPlugged() ? copyString(m_box.identity().serialNumber, string, maxlen)
                                    : -1;
}

int SimHidBackend::getManufacturerString(HidHandle *dev, wchar_t *string, size_t maxlen)
{
    return dev && m_box.isPlugged() ? copyString(m_box.identity().manufacturer, string, maxlen)
                                    : -1;
}

int SimHidBackend::getProductString(HidHandle *dev, wchar_t *string, size_t maxlen)
{
    return dev && m_box.isPlugged() ? copyString(m_box.identity().product, string, maxlen) : -1;
}

void SimHidBackend::close(HidHandle *dev)
{
    if (!dev)
        return;
    m_box.closeSession(dev->session);
    --m_open;
    delete dev;
}

int SimHidBackend::openHandles() const
{
    return m_open;
}
