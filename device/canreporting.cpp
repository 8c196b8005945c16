#include "canreporting.h"

#include "devicelink.h"

CanReporting::CanReporting(FrameSink &sink) : m_sink(&sink)
{
    DeviceLink::instance()->setFrameSink(m_sink);
}

CanReporting::~CanReporting()
{
    end();
}

BoxAck CanReporting::switchOn()
{
    return BoxCommands::setCanReporting(true);
}

BoxAck CanReporting::switchOff()
{
    return BoxCommands::setCanReporting(false);
}

void CanReporting::end()
{
    DeviceLink::instance()->clearFrameSink(m_sink);
}
