// The CAN databases the views decode frames with.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "cantab.h"
#include "config.h"
#include "filechooser.h"
#include "loadeddbc.h"
#include "messagebox.h"
#include "plotwindow.h"

#include <QFileInfo>

void MainWindow::on_action_load_dbc_triggered()
{
    const QStringList current = config()->get(Config::DbcFiles).toStringList();
    const QString dir = current.isEmpty() ? QString() : QFileInfo(current.first()).absolutePath();
    const QStringList paths =
        openFilesChooser()(this, tr("加载 DBC"), dir, tr("DBC 文件 (*.dbc);;所有文件 (*)"));
    if (!paths.isEmpty())
        loadDbcFiles(paths, true);
}

// Nothing decoded any more, and nothing loaded at the next start.
void MainWindow::on_action_unload_dbc_triggered()
{
    loadedDbc()->clear();
    config()->set(Config::DbcFiles, QStringList());
    ui->statusbar->showMessage(tr("已卸载 DBC"));
}

void MainWindow::on_action_signal_plot_triggered()
{
    // Each a window of its own, over the stored frames and the ones to come.
    auto *plot = new PlotWindow(ui->tab_can->rows(), this);
    connect(ui->tab_can, &CanTab::framesStored, plot, &PlotWindow::appendFrames);
    needReportingWhileOpen(plot, ReportingReason::PlotWindow);
    plot->show();
}

void MainWindow::loadDbcFiles(const QStringList &paths, bool chosen)
{
    const LoadedDbc::Outcome outcome = loadedDbc()->load(paths);
    if (chosen && !outcome.loaded.isEmpty()) {
        // Only what could be read is remembered: a bad file chosen now would
        // otherwise be told again at every start.
        QStringList kept;
        for (const QString &path : outcome.loaded)
            kept << QFileInfo(path).absoluteFilePath();
        config()->set(Config::DbcFiles, kept);
    }
    QStringList parts;
    if (!outcome.loaded.isEmpty())
        parts << tr("已加载 DBC：%1 个文件，%2 个报文")
                     .arg(outcome.loaded.size())
                     .arg(outcome.messages);
    if (!outcome.warnings.isEmpty())
        parts << tr("%1 个警告").arg(outcome.warnings.size());
    if (!outcome.failed.isEmpty())
        parts << tr("无法加载 %1").arg(outcome.failed.join(QLatin1String("; ")));
    ui->statusbar->showMessage(parts.join(QLatin1String(" | ")));
    if (chosen && !outcome.failed.isEmpty())
        MessageBox::warning(
            this, tr("加载 DBC"),
            tr("以下文件无法加载：\n%1").arg(outcome.failed.join(QLatin1Char('\n'))));
}
