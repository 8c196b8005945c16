#include "hidapibackend.h"

#include <hidapi.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>

namespace {
hid_device *dev(HidHandle *h)
{
    return reinterpret_cast<hid_device *>(h);
}
} // namespace

int HidapiBackend::init()
{
    return hid_init();
}

HidHandle *HidapiBackend::open(unsigned short vendorId, unsigned short productId,
                               const wchar_t *serial)
{
    return reinterpret_cast<HidHandle *>(hid_open(vendorId, productId, serial));
}

HidHandle *HidapiBackend::openPath(const char *path)
{
    return reinterpret_cast<HidHandle *>(hid_open_path(path));
}

int HidapiBackend::write(HidHandle *h, const unsigned char *data, size_t length)
{
    return hid_write(dev(h), data, length);
}

int HidapiBackend::readTimeout(HidHandle *h, unsigned char *data, size_t length, int milliseconds)
{
    // A stop signal that lands in hidapi's poll fails the read with EINTR.
    // The box is still there: wait out the rest of the time.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        errno = 0;
        const int result = hid_read_timeout(dev(h), data, length, milliseconds);
        if (result >= 0 || errno != EINTR)
            return result;
        if (milliseconds > 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            milliseconds = int(std::max<long long>(0, left.count()));
        }
    }
}

int HidapiBackend::getSerialNumberString(HidHandle *h, wchar_t *string, size_t maxlen)
{
    return hid_get_serial_number_string(dev(h), string, maxlen);
}

int HidapiBackend::getManufacturerString(HidHandle *h, wchar_t *string, size_t maxlen)
{
    return hid_get_manufacturer_string(dev(h), string, maxlen);
}

int HidapiBackend::getProductString(HidHandle *h, wchar_t *string, size_t maxlen)
{
    return hid_get_product_string(dev(h), string, maxlen);
}

void HidapiBackend::close(HidHandle *h)
{
    hid_close(dev(h));
}

std::vector<HidDeviceEntry> HidapiBackend::enumerate(unsigned short vendorId,
                                                     unsigned short productId)
{
    std::vector<HidDeviceEntry> found;
    hid_device_info *list = hid_enumerate(vendorId, productId);
    for (const hid_device_info *d = list; d; d = d->next)
        found.push_back({d->path ? d->path : "", d->serial_number ? d->serial_number : L"",
                         d->manufacturer_string ? d->manufacturer_string : L"",
                         d->product_string ? d->product_string : L""});
    hid_free_enumeration(list);
    return found;
}

namespace {
HidapiBackend &realBackend()
{
    static HidapiBackend backend;
    return backend;
}
std::atomic<HidBackend *> installed{nullptr};
} // namespace

HidBackend *hidBackend()
{
    HidBackend *b = installed.load();
    return b ? b : &realBackend();
}

void setHidBackend(HidBackend *backend)
{
    installed.store(backend);
}
