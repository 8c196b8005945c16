#pragma once

#include "hidbackend.h"

// The production backend: the hidapi-hidraw library.
class HidapiBackend : public HidBackend
{
public:
    int init() override;
    HidHandle *open(unsigned short vendorId, unsigned short productId,
                    const wchar_t *serial) override;
    HidHandle *openPath(const char *path) override;
    int write(HidHandle *dev, const unsigned char *data, size_t length) override;
    int readTimeout(HidHandle *dev, unsigned char *data, size_t length, int milliseconds) override;
    int getSerialNumberString(HidHandle *dev, wchar_t *string, size_t maxlen) override;
    int getManufacturerString(HidHandle *dev, wchar_t *string, size_t maxlen) override;
    int getProductString(HidHandle *dev, wchar_t *string, size_t maxlen) override;
    void close(HidHandle *dev) override;
    std::vector<HidDeviceEntry> enumerate(unsigned short vendorId,
                                          unsigned short productId) override;
    bool sharedWithOtherPrograms() const override { return true; }
};
