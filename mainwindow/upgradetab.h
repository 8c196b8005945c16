#pragma once

#include "otafile.h"
#include "otahandle.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class UpgradeTab;
}

class BoxSession;

// The firmware upgrade page: the file, the start of the transfer, its
// progress and its verdict. The window owns the session and the transfer and
// decides whether one may start.
class UpgradeTab : public QWidget
{
    Q_OBJECT
public:
    explicit UpgradeTab(QWidget *parent = nullptr);
    ~UpgradeTab() override;

    // Nothing starts before the tab has the window's session and transfer.
    void setUp(BoxSession &session, OtaHandle &ota);
    // Asked after a file is chosen and before it is read: false when the
    // start is refused, the refusal already told.
    void setStartCheck(std::function<bool()> check);
    // From the start of the transfer, while the box's reporting goes off,
    // until the transfer has ended.
    bool isUpgrading() const;
    void setStartEnabled(bool enabled);
    // The connected box as the confirmation names it: its serial number and
    // its firmware version (the number the box gives); empty when unknown.
    void setBoxFacts(const QString &serial, const QString &version);

signals:
    // The image is good and the transfer about to take the link.
    void transferStarting();
    // The transfer has ended, its verdict shown and the controls back on.
    void transferEnded();

private slots:
    void on_button_select_file_clicked();
    void on_pushButton_ota_clicked();
    void slt_update_ota_progress(int value);

private:
    // What is wrong with a file that is no good upgrade file; empty for a good one.
    static QString fileProblemText(OtaFileStatus status);
    // Asks before the box's firmware is replaced; true to go on.
    bool confirmUpgrade();
    void setUpgradeControlsEnabled(bool enabled);
    void showOtaVerdict(OtaVerdict verdict);
    void showOtaRestarting();

    std::unique_ptr<Ui::UpgradeTab> ui;
    BoxSession *m_session = nullptr;
    OtaHandle *m_ota = nullptr;
    std::function<bool()> m_startCheck;
    QString m_boxSerial;
    QString m_boxVersion;
    // The transfer waits for the box's reporting to go off before it starts.
    bool m_upgradeStarting = false;
};
