// Recording every frame to a file while capturing.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "cantab.h"

#include <QLabel>

void MainWindow::setUpRecording()
{
    m_recording = new QLabel(this);
    m_recording->setObjectName(QStringLiteral("label_recording"));
    m_recording->hide();
    ui->statusbar->addPermanentWidget(m_recording);
    connect(ui->tab_can, &CanTab::recordingShown, this, [this](const QString &text) {
        m_recording->setText(text);
        m_recording->setVisible(!text.isEmpty());
        ui->action_record->setEnabled(!ui->tab_can->hasRecorder());
        ui->action_stop_recording->setEnabled(ui->tab_can->isRecording());
    });
}

void MainWindow::on_action_record_triggered()
{
    ui->tab_can->recordToFile();
}

void MainWindow::on_action_stop_recording_triggered()
{
    ui->tab_can->stopRecording();
}
