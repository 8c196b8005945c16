#include "capturechooser.h"

#include "capturefile.h"
#include "filechooser.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <utility>

namespace {
QString text(const char *source)
{
    // The replay asked for captures first; its texts are the window's.
    return QCoreApplication::translate("MainWindow", source);
}
} // namespace

QVector<CaptureFileType> captureSaveTypes()
{
    return {
        {text(QT_TRANSLATE_NOOP("MainWindow", "candump 日志 (*.log)")), CanSaveFormat::CandumpLog,
         ".log"},
        {text(QT_TRANSLATE_NOOP("MainWindow", "CSV 文件 (*.csv)")), CanSaveFormat::Csv, ".csv"},
        {text(QT_TRANSLATE_NOOP("MainWindow", "Vector ASC 文件 (*.asc)")), CanSaveFormat::Asc,
         ".asc"},
        {text(QT_TRANSLATE_NOOP("MainWindow", "PEAK TRC 文件 (*.trc)")), CanSaveFormat::Trc,
         ".trc"},
        {text(QT_TRANSLATE_NOOP("MainWindow", "Vector BLF 文件 (*.blf)")), CanSaveFormat::Blf,
         ".blf"},
        {text(QT_TRANSLATE_NOOP("MainWindow", "python-can CSV 文件 (*.csv)")),
         CanSaveFormat::PythonCsv, ".csv"},
    };
}

bool captureSaveFormat(QString *path, const QString &chosenFilter, CanSaveFormat *format)
{
    const QVector<CaptureFileType> types = captureSaveTypes();
    CaptureFileType chosen = types.first();
    for (const CaptureFileType &type : types)
        if (type.filter == chosenFilter)
            chosen = type;
    if (QFileInfo(*path).suffix().isEmpty()) {
        *path += QLatin1String(chosen.extension);
        *format = chosen.format;
        return true;
    }
    if (!canSaveFormatFor(*path, format))
        return false;
    // Both CSVs end in ".csv": the type chosen tells them apart.
    if (*format == CanSaveFormat::Csv && chosen.format == CanSaveFormat::PythonCsv)
        *format = CanSaveFormat::PythonCsv;
    return true;
}

bool chooseCapture(QWidget *parent, const QString &caption, ChosenCapture *chosen)
{
    QStringList filters{
        text(QT_TRANSLATE_NOOP("MainWindow", "所有记录 (*.log *.csv *.asc *.trc *.blf)"))};
    for (const CaptureFileType &type : captureSaveTypes())
        if (type.format != CanSaveFormat::PythonCsv) // read as a CSV, told by its header
            filters << type.filter;
    const QString path =
        openFileChooser()(parent, caption, QString(), filters.join(QLatin1String(";;")),
                          QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return false;
    if (!canSaveFormatFor(path, &chosen->format)) {
        MessageBox::warning(
            parent, caption,
            text(QT_TRANSLATE_NOOP("MainWindow", "请使用 .log、.csv、.asc、.trc 或 .blf 文件名")));
        return false;
    }
    auto file = std::make_unique<QFile>();
    QString why;
    switch (openCaptureFile(path, file.get(), &why)) {
    case CaptureOpen::Opened:
        break;
    case CaptureOpen::NotAFile:
        MessageBox::warning(
            parent, caption,
            QCoreApplication::translate("MainWindow",
                                        "%1 不是普通文件（管道、设备或目录），不能作为记录打开")
                .arg(QFileInfo(path).fileName()));
        return false;
    case CaptureOpen::Failed:
        MessageBox::warning(parent, caption,
                            text(QT_TRANSLATE_NOOP("MainWindow", "无法打开文件：%1")).arg(why));
        return false;
    }
    chosen->path = path;
    chosen->file = std::move(file);
    return true;
}
