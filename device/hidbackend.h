#pragma once

#include <cstddef>
#include <string>
#include <vector>
#include <wchar.h>

// Opaque device handle of a HID backend (hidapi's hid_device for the real one).
struct HidHandle;

// One device found by HidBackend::enumerate.
struct HidDeviceEntry
{
    std::string path;
    // Empty when the device has none.
    std::wstring serialNumber;
    std::wstring manufacturer;
    std::wstring product;
};

// The one seam every hidapi call goes through. It mirrors hidapi's contract:
// byte counts on success, 0 after a read time-out, -1 on error, nullptr when
// no device opens.
class HidBackend
{
public:
    virtual ~HidBackend() = default;

    virtual int init() = 0;
    virtual HidHandle *open(unsigned short vendorId, unsigned short productId,
                            const wchar_t *serial) = 0;
    // Opens the device at `path`, as enumerate() names it. None by default.
    virtual HidHandle *openPath(const char *path)
    {
        (void)path;
        return nullptr;
    }
    virtual int write(HidHandle *dev, const unsigned char *data, size_t length) = 0;
    virtual int readTimeout(HidHandle *dev, unsigned char *data, size_t length,
                            int milliseconds) = 0;
    virtual int getSerialNumberString(HidHandle *dev, wchar_t *string, size_t maxlen) = 0;
    virtual int getManufacturerString(HidHandle *dev, wchar_t *string, size_t maxlen) = 0;
    virtual int getProductString(HidHandle *dev, wchar_t *string, size_t maxlen) = 0;
    virtual void close(HidHandle *dev) = 0;
    // The devices with these ids, in the order open() without a serial number
    // would choose among them. None by default.
    virtual std::vector<HidDeviceEntry> enumerate(unsigned short vendorId, unsigned short productId)
    {
        (void)vendorId;
        (void)productId;
        return {};
    }
    // Whether other programs can open the same devices, so that the link locks
    // a box before opening it. Only the real library's can.
    virtual bool sharedWithOtherPrograms() const { return false; }
};

// The backend in use; the real hidapi-hidraw library unless another was
// installed at start (the simulated box, or a test's).
HidBackend *hidBackend();
// Installs a backend for the rest of the process (or until replaced); the
// caller keeps ownership. Passing nullptr restores the real library. Only for
// when no thread uses the link; otherwise DeviceLink::setBackend, which waits
// for a call in progress.
void setHidBackend(HidBackend *backend);
