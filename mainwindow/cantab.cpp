// The CAN tab: its parts put together (the receive table is in cantab_rx.cpp,
// the replay in cantab_replay.cpp, the transmit list in transmitlist.cpp).
#include "cantab.h"
#include "ui_cantab.h"

#include "capturerecorder.h"
#include "transmitlistwidget.h"

#include <utility>

CanTab::CanTab(QWidget *parent) : QWidget(parent), ui(new Ui::CanTab)
{
    ui->setupUi(this);
    setUpCanRxTable();
}

CanTab::~CanTab() = default;

void CanTab::setUp(DeviceLink &link)
{
    m_link = &link;
    ui->transmitList->setUp(link);
    connect(ui->transmitList, &TransmitListWidget::runningChanged, this, &CanTab::reportSenders);
}

void CanTab::setLinkChecks(std::function<bool()> connected, std::function<bool()> upgradeRunning)
{
    m_connectedCheck = connected;
    m_upgradeCheck = upgradeRunning;
    ui->transmitList->setLinkChecks(std::move(connected), std::move(upgradeRunning));
}

TransmitListWidget *CanTab::transmitList() const
{
    return ui->transmitList;
}

void CanTab::addTransmitFrame(const CanFrame &frame)
{
    ui->transmitList->addTransmitFrame(frame);
}

void CanTab::reportSenders()
{
    emit sendersRunning(ui->transmitList->anyRunning(), m_replay != nullptr);
}

void CanTab::stopPeriodicRows()
{
    ui->transmitList->stopAll();
    ui->pushButton_can_replay->setChecked(false);
}
