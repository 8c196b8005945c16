#pragma once

#include "devicelink.h"

// Takes the lock while telling a slice reader that someone is waiting for it.
class DeviceLink::Access
{
public:
    explicit Access(const DeviceLink &link) : m_link(link)
    {
        ++m_link.m_waiting;
        m_link.m_mutex.lock();
        --m_link.m_waiting;
    }
    ~Access() { m_link.m_mutex.unlock(); }
    Access(const Access &) = delete;
    Access &operator=(const Access &) = delete;

private:
    const DeviceLink &m_link;
};
