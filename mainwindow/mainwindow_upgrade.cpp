#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "devicelink.h"
#include "upgradetab.h"

#include <utility>

void MainWindow::setUpUpgradeTab()
{
    UpgradeTab *tab = ui->tab_upgrade;
    tab->setUp(m_session, m_ota);
    tab->setStartCheck([this] { return !upgradeInProgress(true) && check_connected(); });
    connect(tab, &UpgradeTab::transferStarting, this, [this] { stopPeriodicRows(); });
    connect(tab, &UpgradeTab::transferEnded, this, &MainWindow::upgradeFinished);
}

void MainWindow::upgradeFinished()
{
    // The transfer leaves the link not connected; a removal it was left alone
    // with counts now. Either way the window shows what the link is.
    if (std::exchange(m_removedDuringUpgrade, false) || !m_link.isConnected())
        showDisconnected();
    if (std::exchange(m_closeAfterUpgrade, false)) {
        closeWhenIdle();
        return;
    }
    m_session.resumeAfterUpgrade();
    // The box restarted into its new firmware; with automatic connection on
    // it is taken again as one present at start would be.
    if (!m_link.isConnected())
        connectPresentBox();
}
