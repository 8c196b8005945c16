// votkbox-cli run as a script would run it, on the simulated box: output,
// messages and exit status of every command, a misbehaving box included.

#include "capturefile.h"
#include "clitable.h"
#include "otafile.h"

#include <QtTest>

#include <cstring>
#include <vector>

#include <sys/stat.h>

namespace {
// A well-formed upgrade file the simulated box accepts.
QByteArray upgradeFile()
{
    std::vector<uint8_t> bytes(OTA_FILE_SIZE, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = uint8_t(OTA_FILE_SIZE >> (8 * i));
    for (uint32_t i = 0; i < OTA_DATA_SIZE; ++i)
        bytes[OTA_HEADER_SIZE + i] = uint8_t(i * 7 + (i >> 9));
    std::memcpy(bytes.data() + OTA_HEADER_SIZE + OTA_FLAG_OFFSET, "votk", 4);
    bytes[OTA_FILE_SIZE - 1] = crc8Maxim(bytes.data(), OTA_FILE_SIZE - 1);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}
} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void command_data();
    void command();
    void chosenBoxPrefixesMessages();
    void monitorRecordsWhatItPrints();
    void manPageNamesEveryCommand();

private:
    QTemporaryDir m_dir;
};

void CliTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile good(m_dir.filePath(QStringLiteral("good.bin")));
    QVERIFY(good.open(QIODevice::WriteOnly));
    good.write(upgradeFile());
    good.close();
    QByteArray damaged = upgradeFile();
    damaged[int(OTA_HEADER_SIZE) + 100] = char(damaged.at(int(OTA_HEADER_SIZE) + 100) ^ 1);
    QFile bad(m_dir.filePath(QStringLiteral("damaged.bin")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(damaged);
    const QList<QPair<QString, QByteArray>> captures = {
        {"capture.log", "(1733580000.000000) can0 7DF#02010C\n"
                        "(1733580000.010000) can0 123#\n"
                        "(1733580000.030000) can0 7FF#0102030405060708\n"},
        {"capture.csv", "time,id,len,data\n1.000000,100,1,AA\n1.001000,200,2,BBCC\n"},
        {"damaged-line.log", "(1.000000) can0 100#00\n(1.100000 can0 100#00\n"},
        {"identifier-800.log", "(1.000000) can0 100#00\n(1.100000) can0 00000800#00\n"},
        {"nine-bytes.csv", "time,id,len,data\n1.000000,100,9,000102030405060708\n"},
        {"extended.log", "(1733580000.000000) can0 000007DF#02010C\n"
                         "(1733580000.010000) can0 7DF#02010C\n"},
        {"backwards.log", "(10.000000) can0 100#\n(5.000000) can0 101#\n(5.100000) can0 102#\n"},
        {"demo.dbc", "BO_ 2015 Request: 8 T\n SG_ Service : 8|8@1+ (1,0) [0|0] \"\" T\n"
                     " SG_ Pid : 16|8@1+ (0.5,0) [0|0] \"km/h\" T\n"
                     " SG_ Long : 31|8@0+ (1,0) [0|0] \"\" T\n"
                     "VAL_ 2015 Service 1 \"CURRENT, \\\"LIVE\\\"\";\n"},
        {"broken.dbc", "BO_ 2015 Request: 8 T\n SG_ Service : 8|8@3+ (1,0) [0|0] \"\" T\n"},
    };
    for (const auto &capture : captures) {
        QFile file(m_dir.filePath(capture.first));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(capture.second);
    }
    // No writer ever comes.
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath("fifo.log")).constData(), 0600), 0);
}

void CliTest::command_data()
{
    QTest::addColumn<QString>("mode"); // VOTKBOX_SIMULATE; "-" runs without --simulate
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutPattern"); // the whole output
    QTest::addColumn<QString>("stderrPattern"); // the whole of standard error
    QTest::addColumn<QString>("stdoutFile");    // where standard output goes; empty: a pipe

    const QString none;
    const QString logLine = QStringLiteral("\\(\\d+\\.\\d{6}\\) can0 [0-9A-F]{3}#([0-9A-F]{2})*\n");
    const QString csvRow = QStringLiteral("\\d+\\.\\d{6},[0-9A-F]{3},\\d,([0-9A-F]{2})*,Rx\n");
    // Messages (and nothing else, no debug lines) on stderr: one line each.
    const QString message = QStringLiteral("votkbox-cli: [^\n]*\n");
    auto row = [&](const char *name, const QString &mode, const QStringList &args, int code,
                   const QString &out, bool said) {
        QTest::newRow(name) << mode << args << code << out << (said ? message : none) << none;
    };
    auto rowSaying = [&](const char *name, const QString &mode, const QStringList &args, int code,
                         const QString &out, const QString &err) {
        QTest::newRow(name) << mode << args << code << out << err << none;
    };
    // Data that cannot be written is an error of its own, after a clean end.
    auto rowToFull = [&](const char *name, const QStringList &args) {
        QTest::newRow(name) << none << args << 6 << none << message << QStringLiteral("/dev/full");
    };
    // Refused input comes before the box is opened: refused with no box there,
    // so nothing can have been sent.
    const QString absent = QStringLiteral("absent");
    row("help", none, {"--help"}, 0, "Usage: votkbox-cli [\\s\\S]*", false);
    row("version", none, {"--version"}, 0, "votkbox-cli 1\\.2\n", false);
    row("no command", none, {}, 1, "", true);
    row("unknown command", none, {"frob"}, 1, "", true);
    row("list", none, {"list"}, 0, "sim:votkbox\t0001\tVOTK\tVOTK-WIFI BOX\n", false);
    row("list json", none, {"list", "--format", "json"}, 0,
        "\\[\\s*\\{\\s*\"manufacturer\": \"VOTK\",\\s*\"path\": \"sim:votkbox\",\\s*"
        "\"product\": \"VOTK-WIFI BOX\",\\s*\"serial_number\": \"0001\"\\s*\\}\\s*\\]\n",
        false);
    row("list, no box", "absent", {"list"}, 2, "", true);
    row("list json, no box", "absent", {"list", "--format", "json"}, 2, "\\[\\s*\\]\n", true);
    row("list, bad format", none, {"list", "--format", "xml"}, 1, "", true);
    row("--serial of the box", none, {"--serial", "0001", "can-time"}, 0, "30\n", false);
    row("--device of the box", none, {"--device=sim:votkbox", "can-time"}, 0, "30\n", false);
    // A box named on the command line starts each line said, found or not.
    rowSaying("--serial of no box", none, {"--serial", "0002", "can-time"}, 2, "",
              "0002: " + message);
    rowSaying("--device of no box", none, {"--device", "/dev/hidraw99", "info"}, 2, "",
              "/dev/hidraw99: " + message);
    row("--device without a path", none, {"--device"}, 1, "", true);
    row("--device and --serial", none, {"--device", "sim:votkbox", "--serial", "0001", "info"}, 1,
        "", true);
    row("info", none, {"info"}, 0,
        "software_id: VOTK-WB1\nsoftware_version: 66051\nhardware_id: 20231105\n"
        "wifi_name: VOTK_BOX\nwifi_password: 12345678\n",
        false);
    row("info, silent box", "silent", {"info"}, 3, "", true);
    row("info, no box", "absent", {"info"}, 2, "", true);
    row("can-time read", none, {"can-time"}, 0, "30\n", false);
    row("can-time 3 is raised to 5", none, {"can-time", "3"}, 0, "5\n", false);
    row("can-time 300 is refused", absent, {"can-time", "300"}, 4, "", true);
    row("can-time 256 is refused", absent, {"can-time", "256"}, 4, "", true);
    row("can-time not a number", none, {"can-time", "fast"}, 1, "", true);
    row("can-time, silent box", "silent", {"can-time"}, 3, "", true);
    row("send", none, {"send", "7DF#02010C"}, 0, "", false);
    row("send, no data", none, {"send", "123#"}, 0, "", false);
    row("send, cansend's dots between bytes", none, {"send", "7DF#02.01.0C"}, 0, "", false);
    row("send, a dot inside a byte", absent, {"send", "7DF#0.2010C"}, 4, "", true);
    row("send --help", absent, {"send", "--help"}, 0,
        "Usage: votkbox-cli [^\n]* send ID#DATA[\\s\\S]*", false);
    row("monitor -h", absent, {"monitor", "-h"}, 0, "Usage: votkbox-cli [^\n]* monitor [\\s\\S]*",
        false);
    row("send, identifier too high", none, {"send", "800#00"}, 4, "", true);
    row("send, odd digits", none, {"send", "7DF#0201C"}, 4, "", true);
    row("send, nine bytes", none, {"send", "7DF#000102030405060708"}, 4, "", true);
    row("send, no hash", none, {"send", "7DF02010C"}, 4, "", true);
    row("send, no box", "absent", {"send", "7DF#02010C"}, 2, "", true);
    row("send --period --count", none, {"send", "7DF#02010C", "--period", "10", "--count", "5"}, 0,
        "", false);
    row("send --period --seconds", none, {"send", "123#", "--period", "20", "--seconds", "0.2"}, 0,
        "", false);
    row("send, period 0", absent, {"send", "7DF#02", "--period", "0"}, 4, "", true);
    row("send, period beyond a minute", absent, {"send", "7DF#02", "--period", "60001"}, 4, "",
        true);
    row("send, --count without --period", absent, {"send", "7DF#02", "--count", "5"}, 1, "", true);
    row("send --period, no box", "absent", {"send", "7DF#02", "--period", "10"}, 2, "", true);
    rowSaying("replay", none, {"replay", "capture.log"}, 0, "",
              "(replayed [0-3] of 3\n)*replayed 3 of 3\n");
    rowSaying("replay csv, fast, twice", none,
              {"replay", "capture.csv", "--speed", "0", "--loop", "2"}, 0, "",
              "(replayed [0-4] of 4\n)*replayed 4 of 4\n");
    rowSaying("replay --start-at", none, {"replay", "capture.log", "--start-at", "0.02"}, 0, "",
              "(replayed [01] of 1\n)*replayed 1 of 1\n");
    // A bad line anywhere refuses the whole file, with its number.
    rowSaying("replay, damaged line", absent, {"replay", "damaged-line.log"}, 4, "",
              "votkbox-cli: damaged-line.log: line 2 [^\n]*\n");
    rowSaying("replay, identifier 800", absent, {"replay", "identifier-800.log"}, 4, "",
              "votkbox-cli: identifier-800.log: line 2 [^\n]*\n");
    rowSaying("replay, nine bytes", absent, {"replay", "nine-bytes.csv"}, 4, "",
              "votkbox-cli: nine-bytes.csv: line 2 [^\n]*\n");
    // The box sends standard frames: an extended one is not sent as another.
    rowSaying("replay, extended frame", absent, {"replay", "extended.log"}, 4, "",
              "votkbox-cli: extended.log: line 1 is an extended frame[^\n]*\n");
    row("replay, missing file", absent, {"replay", "missing.log"}, 4, "", true);
    rowSaying("replay, a FIFO", absent, {"replay", "fifo.log"}, 4, "",
              "votkbox-cli: fifo.log is not a regular file[^\n]*\n");
    rowSaying("replay, a time that goes back", none, {"replay", "backwards.log"}, 0, "",
              "(replayed [0-3] of 3\n)*replayed 3 of 3\n");
    row("replay, bad speed", absent, {"replay", "capture.log", "--speed", "-1"}, 1, "", true);
    row("wifi", none, {"wifi", "net", "secret99"}, 0, "", false);
    row("wifi, password shorter than WPA2 takes", absent, {"wifi", "net", "secret"}, 4, "", true);
    row("wifi, open network unconfirmed", absent, {"wifi", "net", ""}, 4, "", true);
    row("wifi, open network", none, {"wifi", "net", "", "--open"}, 0, "", false);
    row("wifi, comma in name", none, {"wifi", "a,b", "secret"}, 4, "", true);
    row("wifi, empty name", none, {"wifi", "", "secret"}, 4, "", true);
    row("wifi, password not Latin-1", none, {"wifi", "net", "密码"}, 4, "", true);
    row("wifi, one argument", none, {"wifi", "net"}, 1, "", true);
    // Arguments before the options are taken whatever they look like.
    row("wifi, password starting with --", none, {"wifi", "net", "--secret"}, 0, "", false);
    row("can-time, two times", absent, {"can-time", "5", "6"}, 1, "", true);
    row("wifi, too long for one report", absent,
        {"wifi", QString(32, QLatin1Char('n')), QString(29, QLatin1Char('p'))}, 4, "", true);
    row("wifi, newline in name", absent, {"wifi", "net\nwork", "secret"}, 4, "", true);
    row("wifi, tab in password", absent, {"wifi", "net", "sec\tret"}, 4, "", true);
    row("factory-reset without --yes", none, {"factory-reset"}, 1, "", true);
    row("factory-reset", none, {"factory-reset", "--yes"}, 0, "", false);
    row("monitor --count", none, {"monitor", "--count", "3"}, 0, QString("(%1){3}").arg(logLine),
        false);
    row("monitor csv", none, {"monitor", "--count", "2", "--format", "csv"}, 0,
        QString("time,id,len,data,dir\n(%1){2}").arg(csvRow), false);
    // One row per signal of a known frame, quoted where needed; the signal
    // the frame is too short for has no value.
    row("decode", absent, {"decode", "--dbc", "demo.dbc", "capture.log"}, 0,
        "time,dir,id,message,signal,value,unit,label\n"
        "1733580000\\.000000,Rx,7DF,Request,Service,1,,\"CURRENT, \"\"LIVE\"\"\"\n"
        "1733580000\\.000000,Rx,7DF,Request,Pid,6,km/h,\n"
        "1733580000\\.000000,Rx,7DF,Request,Long,,,\n",
        false);
    row("decode jsonl", absent, {"decode", "capture.log", "--dbc", "demo.dbc", "--format", "jsonl"},
        0,
        "\\{\"time\":1733580000\\.000000,\"dir\":\"Rx\",\"id\":\"7DF\",\"data\":\"02010C\","
        "\"message\":\"Request\",\"signals\":\\{\"Service\":1,\"Pid\":6,\"Long\":null\\}\\}\n",
        false);
    // An extended frame is no standard message, whatever its number.
    row("decode, extended and standard frames of one number", absent,
        {"decode", "--dbc", "demo.dbc", "extended.log", "--format", "jsonl"}, 0,
        "\\{\"time\":1733580000\\.010000,[^\n]*\"Request\"[^\n]*\n", false);
    rowSaying("decode, broken DBC", absent, {"decode", "--dbc", "broken.dbc", "capture.log"}, 4, "",
              "votkbox-cli: broken.dbc:2:20: [^\n]*\n");
    // convert writes what it can read and tells the count; a place it
    // cannot read is named and fails the run.
    rowSaying("convert", absent, {"convert", "capture.csv", "capture.blf"}, 0, "",
              "votkbox-cli: frames written to capture.blf: 2\n");
    rowSaying("convert, damaged line", absent, {"convert", "damaged-line.log", "out.asc"}, 4, "",
              "votkbox-cli: frames written to out.asc: 1\n"
              "votkbox-cli: damaged-line.log: line 2 [^\n]*\n");
    row("convert, no format for the output", absent, {"convert", "capture.log", "out.txt"}, 1, "",
        true);
    row("monitor, bad format", none, {"monitor", "--format", "pcap"}, 1, "", true);
    row("monitor, --count twice", absent, {"monitor", "--count", "1", "--count", "2"}, 1, "", true);
    row("monitor, --seconds beyond the maximum", absent, {"monitor", "--seconds", "2147484"}, 4, "",
        true);
    row("monitor, --count beyond the maximum", absent, {"monitor", "--count", "2147483648"}, 4, "",
        true);
    row("monitor, silent box", "silent", {"monitor", "--count", "1"}, 3, "", true);
    row("monitor --output, rotated two ways", absent,
        {"monitor", "--output", "rec.log", "--rotate-mb", "1", "--rotate-s", "5"}, 1, "", true);
    row("monitor --output, no such folder", none,
        {"monitor", "--count", "1", "--output", "missing/rec.asc"}, 4, "", true);
    row("monitor --output, a FIFO", none, {"monitor", "--count", "1", "--output", "fifo.log"}, 4,
        "", true);
    // Progress and verdict are for a person: standard error, in English.
    rowSaying("upgrade", none, {"upgrade", "good.bin"}, 0, "",
              "(progress \\d+\n)+progress 100\nvotkbox-cli: the upgrade succeeded[^\n]*\n");
    row("upgrade, damaged file", none, {"upgrade", "damaged.bin"}, 4, "", true);
    row("upgrade, missing file", none, {"upgrade", "missing.bin"}, 4, "", true);
    row("upgrade, damaged file and no box", absent, {"upgrade", "damaged.bin"}, 4, "", true);
    row("upgrade, a directory and no box", absent, {"upgrade", "."}, 4, "", true);
    rowSaying("upgrade, box pulled out", "unplug-during-upgrade", {"upgrade", "good.bin"}, 5, "",
              "(progress [1-9]\\d?\n)+votkbox-cli: the upgrade was interrupted[^\n]*\n");
    row("info, the box refuses USB mode", "usb-mode-refused", {"info"}, 3, "", true);
    // The server's options are read before a box or a port is touched.
    row("socketcand, --listen without a port", absent, {"socketcand", "--listen", "0.0.0.0"}, 1, "",
        true);
    row("socketcand, --allow prefix beyond 32", absent,
        {"socketcand", "--allow", "10.0.0.0/8,192.168.1.0/33"}, 1, "", true);
    row("socketcand, --max-clients 0", absent, {"socketcand", "--max-clients", "0"}, 1, "", true);
    row("socketcand, --bus with a bracket", absent, {"socketcand", "--bus", "can>"}, 1, "", true);
    rowToFull("info > /dev/full", {"info"});
    rowToFull("can-time > /dev/full", {"can-time"});
    rowToFull("monitor > /dev/full", {"monitor", "--count", "2"});
    rowToFull("--help > /dev/full", {"--help"});
}

void CliTest::command()
{
    QFETCH(QString, mode);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutPattern);
    QFETCH(QString, stderrPattern);
    QFETCH(QString, stdoutFile);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display of any kind: the tool must not need one.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    env.insert(QStringLiteral("VOTKBOX_SIMULATE"), mode);
    QProcess cli;
    cli.setProcessEnvironment(env);
    cli.setWorkingDirectory(m_dir.path());
    if (!stdoutFile.isEmpty())
        cli.setStandardOutputFile(stdoutFile, QIODevice::Append);
    cli.start(qEnvironmentVariable("VOTKBOX_CLI"),
              QStringList{QStringLiteral("--simulate")} + args);
    QVERIFY(cli.waitForFinished(60000));
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QVERIFY2(cli.exitCode() == exitCode,
             qPrintable(QString("exit %1, stderr: %2").arg(cli.exitCode()).arg(err)));
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(stdoutPattern))
                 .match(out)
                 .hasMatch(),
             qPrintable(out));
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(stderrPattern))
                 .match(err)
                 .hasMatch(),
             qPrintable(err));
}

// Runs in parallel tell their lines apart by the box's serial number, but
// only when a box was chosen: one run alone keeps its plain messages.
void CliTest::chosenBoxPrefixesMessages()
{
    QProcess cli;
    cli.setWorkingDirectory(m_dir.path());
    cli.start(qEnvironmentVariable("VOTKBOX_CLI"),
              {"--simulate", "--serial", "0001", "upgrade", "damaged.bin"});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 4);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(err.startsWith(QLatin1String("0001: votkbox-cli: ")) && err.count('\n') == 1,
             qPrintable(err));
}

// --output records the very frames printed, in the format of its extension.
void CliTest::monitorRecordsWhatItPrints()
{
    QProcess cli;
    cli.setWorkingDirectory(m_dir.path());
    cli.start(qEnvironmentVariable("VOTKBOX_CLI"),
              {"--simulate", "monitor", "--count", "12", "--output", "rec.blf"});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const CaptureFile printed =
        parseCaptureFile(cli.readAllStandardOutput(), CanSaveFormat::CandumpLog);
    QFile file(m_dir.filePath(QStringLiteral("rec.blf")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const CaptureFile recorded = parseCaptureFile(file.readAll(), CanSaveFormat::Blf);
    QCOMPARE(printed.frames.size(), 12);
    QCOMPARE(recorded.frames.size(), 12);
    for (int i = 0; i < 12; ++i) {
        QCOMPARE(recorded.frames.at(i).id, printed.frames.at(i).id);
        QCOMPARE(recorded.frames.at(i).dataVector(), printed.frames.at(i).dataVector());
    }
}

// A command added to the tool but not to its manual page is one users never find.
void CliTest::manPageNamesEveryCommand()
{
    QFile page(qEnvironmentVariable("VOTKBOX_CLI_MANPAGE"));
    QVERIFY2(page.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(page.fileName()));
    const QStringList lines = QString::fromUtf8(page.readAll()).split(QLatin1Char('\n'));
    QStringList described;
    bool inCommands = false;
    for (int i = 0; i + 1 < lines.size(); ++i) {
        if (lines.at(i).startsWith(QLatin1String(".SH ")))
            inCommands = lines.at(i) == QLatin1String(".SH COMMANDS");
        if (!inCommands || lines.at(i) != QLatin1String(".TP"))
            continue;
        // ".B name ...", ".BI name ...": the word after the macro, unescaped.
        const QString tag = lines.at(i + 1).section(QLatin1Char(' '), 1, 1);
        described << QString(tag).remove(QLatin1Char('"')).replace(QLatin1String("\\-"), "-");
    }
    for (const CliCommand &command : cliCommands())
        QVERIFY2(described.contains(QLatin1String(command.name)), command.name);
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
