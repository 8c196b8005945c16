#include "canreporting.h"

#include "devicelink.h"

CanReporting::CanReporting(DeviceLink &link, FrameSink &sink) : m_link(link), m_sink(&sink)
{
    m_link.setFrameSink(m_sink);
}

CanReporting::~CanReporting()
{
    end();
}

BoxAck CanReporting::switchOn()
{
    return BoxCommands::setCanReporting(m_link, true);
}

BoxAck CanReporting::switchOff()
{
    return BoxCommands::setCanReporting(m_link, false);
}

void CanReporting::end()
{
    m_link.clearFrameSink(m_sink);
}
