// The candump logs the window saves and `monitor --format log` prints, read by
// the tools engineers use on them: python-can's can.LogReader and can-utils'
// log2asc must see every frame, with its identifier and data; and the logs
// those tools write open in a trace window. Runs when the interop CI stage
// asks (VOTKBOX_INTEROP=1), which installs both.

#include "canrxmodel.h"
#include "cantracewindow.h"
#include "devicelink.h"
#include "filechooser.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "windowparts.h"

#include <QAction>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include <memory>

class SavedLogReadersTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowSaveIsReadFrameForFrame();
    void monitorLogIsReadFrameForFrame();
    void peerLogsOpenFrameForFrame();

private:
    void checkReaders(const QString &path, const QStringList &frames);
};

namespace {
QString run(const QString &program, const QStringList &args, const QString &outFile = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LD_PRELOAD"));
    p.setProcessEnvironment(env);
    if (!outFile.isEmpty())
        p.setStandardOutputFile(outFile);
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("FAILED %1: %2")
            .arg(program, QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromLatin1(p.readAllStandardOutput());
}

// "s|x ID DATA", " Tx" added for a sent frame, of each frame line of a
// candump log, as the file says it.
QStringList framesInFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("unreadable")};
    const QRegularExpression line(
        QStringLiteral("^\\(-?\\d+\\.\\d{6}\\) can0 ([0-9A-F]{3}|[0-9A-F]{8})#([0-9A-F]*)( T)?$"));
    QStringList frames;
    for (const QByteArray &text : file.readAll().split('\n')) {
        if (text.isEmpty())
            continue;
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(text));
        if (!m.hasMatch())
            return {QStringLiteral("bad line: ") + QString::fromLatin1(text)};
        frames << QStringLiteral("%1 %2 %3")
                          .arg(m.captured(1).size() == 8 ? QLatin1Char('x') : QLatin1Char('s'))
                          .arg(m.captured(1).toUInt(nullptr, 16), 0, 16)
                          .arg(m.captured(2))
                          .toUpper()
                          .replace(QLatin1String("X "), QLatin1String("x "))
                          .replace(QLatin1String("S "), QLatin1String("s "))
                          .trimmed() +
                      (m.captured(3).isEmpty() ? QString() : QStringLiteral(" Tx"));
    }
    return frames;
}
} // namespace

void SavedLogReadersTest::initTestCase()
{
    if (qEnvironmentVariable("VOTKBOX_INTEROP") != QLatin1String("1"))
        QSKIP("run by the interop CI stage (VOTKBOX_INTEROP=1)");
    qRegisterMetaType<QVector<CanFrame>>("QVector<CanFrame>");
}

void SavedLogReadersTest::checkReaders(const QString &path, const QStringList &frames)
{
    QStringList byPython = run(QStringLiteral("/usr/bin/python3"),
                               {QStringLiteral(VOTKBOX_INTEROP_DIR "/read_log.py"), path})
                               .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString &f : byPython)
        f = f.trimmed();
    QCOMPARE(byPython, frames);

    // log2asc: "   0.000000 1  C9              Rx   d 8 00 01 ...", "800x" when extended.
    const QString asc =
        run(QStringLiteral("log2asc"), {QStringLiteral("-I"), path, QStringLiteral("can0")});
    const QRegularExpression row(QStringLiteral(
        "^\\s*\\d+\\.\\d+ 1\\s+([0-9A-F]+)(x?)\\s+(Rx|Tx)\\s+d (\\d)((?: [0-9A-F]{2})*)\\s*$"));
    QStringList byLog2asc;
    for (const QString &text : asc.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = row.match(text);
        if (m.hasMatch())
            byLog2asc << (QStringLiteral("%1 %2 %3")
                              .arg(m.captured(2).isEmpty() ? QLatin1Char('s') : QLatin1Char('x'))
                              .arg(m.captured(1), QString(m.captured(5)).remove(QLatin1Char(' '))))
                                 .trimmed() +
                             (m.captured(3) == QLatin1String("Tx") ? QStringLiteral(" Tx")
                                                                   : QString());
    }
    QVERIFY2(byLog2asc == frames, qPrintable(asc));
}

void SavedLogReadersTest::windowSaveIsReadFrameForFrame()
{
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes;
    QCOMPARE(DeviceLink::instance()->open(), 0);
    {
        MainWindow window(*DeviceLink::instance());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
        canRxThreadOf(window).stop();
        auto *model =
            qobject_cast<CanRxModel *>(window.findChild<QTableView *>("table_can_rx")->model());
        QVERIFY(model);
        const qint64 t0 = 1733580000123456;
        model->append(reportedFrames(hexBytes("df 07 02 01 0c 00 00 00 00 ff"), t0));
        model->append(reportedFrames(hexBytes("34 02"), t0 + 76544));
        model->append(reportedFrames(hexBytes("ff 07 a0 b0 c0"), t0 + 999999));
        model->append(reportedFrames(hexBytes("ff ff 0a"), t0 + 1000000));
        // A frame the tool sent: candump's " T" mark, read as transmitted.
        model->append(reportedFrames(hexBytes("23 01 aa bb"), t0 + 1000100, CanDirection::Sent));
        const QString path = dir.file(QStringLiteral("capture.log"));
        saveFileChooser() = [path](QWidget *, const QString &, const QString &, const QString &,
                                   QString *) { return path; };
        window.findChild<QPushButton *>("pushButton_can_rx_save")->click();
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.texts().join('|')));
        const QStringList frames = {"s 7DF 02010C00000000FF", "s 234", "s 7FF A0B0C0", "x FFFF 0A",
                                    "s 123 AABB Tx"};
        QCOMPARE(framesInFile(path), frames);
        checkReaders(path, frames);
    }
    DeviceLink::instance()->close();
}

void SavedLogReadersTest::monitorLogIsReadFrameForFrame()
{
    TempWorkDir dir;
    const QString path = dir.file(QStringLiteral("monitor.log"));
    const QString failed =
        run(QStringLiteral(VOTKBOX_CLI_PATH),
            {QStringLiteral("--simulate"), QStringLiteral("monitor"), QStringLiteral("--count"),
             QStringLiteral("50"), QStringLiteral("--format"), QStringLiteral("log")},
            path);
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    const QStringList frames = framesInFile(path);
    QCOMPARE(frames.size(), 50);
    checkReaders(path, frames);
}

// python-can's log writer, and the same log through can-utils' log2asc and
// asc2log: each opens as its frames, marked as the log marks them, a
// microsecond apart where they were; the extended identifier above FFFF and
// the remote frame are passed over, the first of them named.
void SavedLogReadersTest::peerLogsOpenFrameForFrame()
{
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes;
    const QString written = dir.file(QStringLiteral("python.log"));
    const QString asc = dir.file(QStringLiteral("python.asc"));
    const QString again = dir.file(QStringLiteral("asc2log.log"));
    QCOMPARE(run(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VOTKBOX_INTEROP_DIR "/write_log.py"), written}),
             QString());
    QVERIFY(
        !run(QStringLiteral("log2asc"), {"-I", written, "-O", asc, "can0"}).startsWith("FAILED"));
    QVERIFY(!run(QStringLiteral("asc2log"), {"-I", asc, "-O", again}).startsWith("FAILED"));

    MainWindow window(*DeviceLink::instance());
    for (const QString &path : {written, again}) {
        boxes.shown.clear();
        openFileChooser() = [path](QWidget *, const QString &, const QString &, const QString &,
                                   QFileDialog::Options) { return path; };
        window.findChild<QAction *>("action_open_capture")->trigger();
        const QList<CanTraceWindow *> traces = window.findChildren<CanTraceWindow *>();
        QVERIFY(!traces.isEmpty());
        CanTraceWindow *trace = traces.last();
        trace->findChild<QComboBox *>("comboBox_time")->setCurrentIndex(1); // since the first
        const QAbstractItemModel *rows = trace->findChild<QTableView *>("table")->model();
        QStringList shown;
        for (int r = 0; r < rows->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < rows->columnCount(); ++c)
                cells << rows->index(r, c).data().toString().trimmed();
            shown << cells.join('|');
        }
        QCOMPARE(shown, QStringList({"0.000000 s|7df|02 01 0c|3|Rx", "0.176544 s|123||0|Tx",
                                     "0.500000 s|1234|0a|1|Rx"}));
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.texts().first().startsWith("第 2 行"), qPrintable(boxes.texts().first()));
        delete trace;
    }
}

QTEST_MAIN(SavedLogReadersTest)
#include "tst_saved_log_readers.moc"
