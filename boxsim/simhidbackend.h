#pragma once

#include "hidbackend.h"

#include <atomic>
#include <vector>

class SimBox;

// Backend that talks to a SimBox instead of a USB device; more boxes can be
// added, each under a path of its own.
class SimHidBackend : public HidBackend
{
public:
    explicit SimHidBackend(SimBox &box) : m_boxes{&box} {}

    int init() override { return 0; }
    HidHandle *open(unsigned short vendorId, unsigned short productId,
                    const wchar_t *serial) override;
    HidHandle *openPath(const char *path) override;
    int write(HidHandle *dev, const unsigned char *data, size_t length) override;
    int readTimeout(HidHandle *dev, unsigned char *data, size_t length, int milliseconds) override;
    int getSerialNumberString(HidHandle *dev, wchar_t *string, size_t maxlen) override;
    int getManufacturerString(HidHandle *dev, wchar_t *string, size_t maxlen) override;
    int getProductString(HidHandle *dev, wchar_t *string, size_t maxlen) override;
    void close(HidHandle *dev) override;
    // The boxes plugged in, in the order they were added: the first by kPath,
    // the next ones by kPath followed by "-2", "-3", ...
    std::vector<HidDeviceEntry> enumerate(unsigned short vendorId,
                                          unsigned short productId) override;

    // Another box, plugged in and out on its own; `box` must outlive this.
    void addBox(SimBox &box) { m_boxes.push_back(&box); }

    // Tests of the box lock pretend the box could be opened by other programs
    // too, as a real one can; off by default, so the simulated box is never locked.
    void setSharedWithOtherPrograms(bool shared) { m_shared = shared; }
    bool sharedWithOtherPrograms() const override { return m_shared; }

    static constexpr const char *kPath = "sim:votkbox";

    // Handles opened and not yet closed (a leak shows here).
    int openHandles() const;
    // Reads asked for so far, answered or failed (a spinning reader shows here).
    int readsAsked() const { return m_reads.load(); }

private:
    std::string pathOf(size_t index) const;

    std::vector<SimBox *> m_boxes;
    int m_open = 0;
    bool m_shared = false;
    std::atomic<int> m_reads{0};
};
