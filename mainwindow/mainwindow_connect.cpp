#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "boxchooser.h"
#include "boxcommands.h"
#include "config.h"
#include "devicelink.h"
#include "infotab.h"
#include "messagebox.h"
#include "replydecode.h"
#include "upgradetab.h"
#include "windowlog.h"

#include <QLabel>

void MainWindow::setUpInfoTab()
{
    InfoTab *tab = ui->tab_info;
    tab->setUp(m_link, m_session);
    tab->setWorkCheck([this] { return !upgradeInProgress(true) && check_connected(); });
    connect(tab, &InfoTab::connectRequested, this, &MainWindow::connectByHand);
    connect(tab, &InfoTab::versionRead, this, [this](const QString &version) {
        m_boxVersion = version;
        showBoxState();
    });
}

void MainWindow::connectByHand()
{
    if (upgradeInProgress(true) || m_session.isBusy())
        return;
    qCDebug(lcWindow) << "connect ...";
    m_session.listBoxes([this](const std::vector<BoxInfo> &boxes) {
        const std::optional<BoxSelector> which = chooseBox(boxes, true);
        // The window may have closed while the chooser was open.
        if (which && !m_session.hasEnded())
            m_session.connectByHand(*which);
    });
}

std::optional<BoxSelector> MainWindow::chooseBox(const std::vector<BoxInfo> &boxes, bool byHand)
{
    const BoxPick pick =
        pickBox(boxes, m_namedBox, config()->get(Config::BoxSerial).toString(), byHand);
    int index = pick.index;
    if (pick.ask) {
        // Plug events while the chooser is open leave the choice to it.
        if (m_choosing)
            return std::nullopt;
        m_choosing = true;
        index = boxChoice()(this, boxes, pick.preselected);
        m_choosing = false;
        if (index < 0 || index >= int(boxes.size()))
            return std::nullopt;
        if (!boxes[size_t(index)].serialNumber.isEmpty())
            config()->set(Config::BoxSerial, boxes[size_t(index)].serialNumber);
    }
    if (index >= 0) {
        // By serial number where it has one, so that a re-open finds this box
        // again under whatever path it comes back.
        const BoxInfo &box = boxes[size_t(index)];
        return box.serialNumber.isEmpty() ? BoxSelector{box.path, QString()}
                                          : BoxSelector{QString(), box.serialNumber};
    }
    if (!m_namedBox.isEmpty() && !byHand)
        ui->statusbar->showMessage(namedBoxAbsentText());
    // The button's open of a box that is not there says so.
    if (byHand)
        return m_namedBox;
    return std::nullopt;
}

QString MainWindow::namedBoxAbsentText() const
{
    return m_namedBox.serialNumber.isEmpty()
               ? tr("未找到位于 %1 的VOTK设备").arg(m_namedBox.path)
               : tr("未找到序列号为 %1 的VOTK设备").arg(m_namedBox.serialNumber);
}

void MainWindow::showConnectAttempt(const ConnectAttempt &attempt)
{
    m_boxSerial = attempt.opened.serialNumber;
    if (!attempt.opened.opened()) {
        qCDebug(lcWindow) << "device open failed";
        ui->tab_info->clearBoxValues();
        syncStatusBar(false);
        const bool namedAbsent =
            attempt.opened.status == LinkOpenResult::NoBox && !m_namedBox.isEmpty();
        MessageBox::information(this, tr("信息"),
                                namedAbsent
                                    ? tr("VOTK连接失败") + QLatin1Char('\n') + namedBoxAbsentText()
                                    : openFailureText(attempt.opened));
        return;
    }
    const Handshake outcome = attempt.handshake.value_or(Handshake::NoAnswerToProbe);
    showHandshake(outcome);
    if (outcome == Handshake::UsbModeRefused)
        MessageBox::information(this, tr("信息"),
                                tr("VOTK连接失败") + QLatin1Char('\n') +
                                    tr("VOTK设备拒绝进入USB模式"));
}

QString MainWindow::openFailureText(const LinkOpenResult &opened)
{
    switch (opened.status) {
    case LinkOpenResult::Opened:
        break;
    case LinkOpenResult::NoBox:
        return tr("VOTK连接失败") + QLatin1Char('\n') + tr("未找到VOTK设备，请检查USB线");
    case LinkOpenResult::NoPermission:
        return tr("VOTK连接失败") + QLatin1Char('\n') +
               tr("没有访问VOTK设备的权限：请安装udev规则 %1，然后重新插拔设备")
                   .arg(QStringLiteral("60-votkbox.rules"));
    case LinkOpenResult::InUse:
        return tr("VOTK设备正被其他程序使用") + QLatin1Char('\n') +
               tr("程序: %1 (PID %2)")
                   .arg(opened.holder.program.isEmpty() ? QStringLiteral("?")
                                                        : opened.holder.program)
                   .arg(opened.holder.pid);
    case LinkOpenResult::LockFailed:
        return tr("无法锁定VOTK设备，未打开设备") + QLatin1Char('\n') + opened.lockFailure;
    }
    return tr("VOTK连接失败");
}

void MainWindow::showHandshake(Handshake outcome)
{
    if (outcome == Handshake::NoAnswerToProbe) {
        ui->tab_info->clearBoxValues();
        return;
    }
    if (outcome == Handshake::Ok) {
        ui->tab_info->showConnected();
        syncStatusBar(true);
    } else {
        ui->tab_info->clearBoxValues();
    }
    qCDebug(lcWindow) << "usb mode";
}

bool MainWindow::check_connected()
{
    if (m_link.isConnected())
        return true;
    MessageBox::warning(this, tr("信息"), tr("VOTK未连接"));
    return false;
}

void MainWindow::can_rx_enable(int on)
{
    switchReporting((on & 0xFF) != 0, nullptr);
}

bool MainWindow::switchReporting(bool on, std::function<void()> then)
{
    return m_session.switchReportingIfFree(on, std::move(then));
}

void MainWindow::showDisconnected()
{
    m_boxSerial.clear();
    m_boxVersion.clear();
    stopPeriodicRows();
    m_session.forgetBox();
    ui->tab_info->showDisconnected(!m_session.isBusy());
    syncStatusBar(false);
}

void MainWindow::setBoxBusy(bool busy)
{
    // The buttons that would queue more box work behind the running one, and
    // the upgrade, which would take the link from under it.
    ui->tab_info->setBusy(busy, m_session.isAccepted());
    ui->tab_upgrade->setStartEnabled(!busy && !upgradeInProgress(false));
}

void MainWindow::showBoxState()
{
    QString text;
    if (m_link.isConnected() && m_session.isAccepted()) {
        text = m_boxSerial.isEmpty() ? tr("已连接") : tr("已连接：%1").arg(m_boxSerial);
        bool number = false;
        const quint32 version = m_boxVersion.toUInt(&number);
        if (number)
            text += QStringLiteral(" · ") + tr("固件 %1").arg(versionText(version));
    } else {
        // With automatic connection on, the window takes the next box plugged in.
        text = config()->get(Config::AutoConnect).toBool() ? tr("等待设备") : tr("未连接");
    }
    m_boxState->setText(text);
    ui->tab_upgrade->setBoxFacts(m_boxSerial, m_boxVersion);
}

void MainWindow::syncStatusBar(bool connected)
{
    showBoxState();
    const QString current = ui->statusbar->currentMessage();
    const QString contradicting = connected ? tr("USB线断开") : tr("USB线连接");
    if (current == contradicting)
        ui->statusbar->clearMessage();
}

bool MainWindow::upgradeInProgress(bool tellUser)
{
    const bool busy = ui->tab_upgrade->isUpgrading() || m_link.isClaimedByOther();
    if (busy && tellUser)
        MessageBox::information(this, tr("信息"), tr("正在升级固件，请稍候"));
    return busy;
}
