#include "simsession.h"

#include "devicelink.h"

namespace {
// The box is pulled out after this many reports of the image.
constexpr int kUnplugAfterReports = 200;
} // namespace

SimSession::SimSession(DeviceLink &link) : m_link(link)
{
    m_link.reset();
    m_link.setBackend(&backend);
}

SimSession::~SimSession()
{
    // The link must not keep a handle into a backend that is going away.
    m_link.reset();
    m_link.setBackend(nullptr);
}

void SimSession::applyFaultMode(const QString &mode)
{
    if (mode == QLatin1String("silent")) {
        box.setFault(SimBox::Fault::Silent);
        // Scripts testing a silent box should not wait out the reply time-out.
        box.setInstantTimeouts(true);
    } else if (mode == QLatin1String("absent")) {
        box.unplug();
    } else if (mode == QLatin1String("usb-mode-refused")) {
        box.setUsbModeAnswer(0);
    } else if (mode == QLatin1String("two-boxes")) {
        addSecondBox();
    } else if (mode == QLatin1String("unplug-during-upgrade")) {
        box.setRestartTimeMs(-1);
        m_pull.setInterval(2);
        QObject::connect(&m_pull, &QTimer::timeout, [this] {
            if (box.rawReportsReceived() >= kUnplugAfterReports) {
                box.unplug();
                m_pull.stop();
            }
        });
        m_pull.start();
    }
}

SimBox &SimSession::addSecondBox()
{
    if (!m_second) {
        m_second = std::make_unique<SimBox>();
        SimBox::Identity id = m_second->identity();
        id.serialNumber = QStringLiteral("0002");
        m_second->setIdentity(id);
        backend.addBox(*m_second);
    }
    return *m_second;
}
