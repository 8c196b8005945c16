#pragma once

#include <QDialog>

#include <QVariant>

#include <functional>
#include <memory>

class BoxOperation;
class DeviceLink;
class DeviceThread;

namespace Ui {
class SettingDialog;
}

class SettingDialog : public QDialog
{
    Q_OBJECT
public:
    // The box's settings are read and written through `link` on `deviceThread`
    // (the window's); without one the dialog runs a thread of its own.
    explicit SettingDialog(DeviceLink &link, QWidget *parent = nullptr,
                           DeviceThread *deviceThread = nullptr);
    ~SettingDialog() override;

private slots:
    void on_listWidget_currentRowChanged(int currentRow);
    void on_radioButton_cn_clicked();
    void on_radioButton_en_clicked();
    void on_pushButton_read_can_time_clicked();
    void on_pushButton_update_can_time_clicked();
    void on_pushButto_wifi_factory_clicked();
    void on_checkBox_auto_connect_stateChanged(int state);
    void on_spinBox_rx_row_limit_editingFinished();
    void on_spinBox_record_rotate_mb_editingFinished();
    void on_spinBox_record_rotate_s_editingFinished();
    void on_checkBox_can_rx_always_clicked(bool checked);

private:
    bool checkConnected();
    // The connection check, then: no device command while an upgrade holds the link.
    bool deviceReady();
    void chooseLanguage(const QString &language, const char *debugLine);
    // Runs `work` on the device thread with the box buttons off; `done` gets
    // its result.
    void runOnBox(std::function<QVariant()> work, std::function<void(const QVariant &)> done);
    void setBoxBusy(bool busy);

    Ui::SettingDialog *ui;
    DeviceLink &m_link;
    std::unique_ptr<DeviceThread> m_ownThread;
    DeviceThread *m_deviceThread;
    bool m_boxBusy = false;
};
