#include "clicommands.h"

#include "cansaveformat.h"
#include "canrxthread.h"
#include "cantext.h"
#include "commands.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "otafile.h"
#include "otahandle.h"
#include "replydecode.h"
#include "simbox.h"
#include "simhidbackend.h"
#include "version.h"
#include "wifitext.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {
const char kUsage[] =
    "Usage: votkbox-cli [--simulate] <command> [arguments]\n"
    "\n"
    "Commands:\n"
    "  info                     software_id, software_version, hardware_id, wifi_name,\n"
    "                           wifi_password, one \"key: value\" line each\n"
    "  wifi NAME PASSWORD       set the WiFi name and password\n"
    "  can-time [MS]            print the CAN time in ms, or set it (low 8 bits, at least 5)\n"
    "  factory-reset --yes      restore the WiFi module's factory settings\n"
    "  send ID#DATA             send one CAN frame, e.g. 7DF#02010C\n"
    "  monitor [--count N] [--seconds S] [--format log|csv]\n"
    "                           print received CAN frames (candump log format by default)\n"
    "  upgrade FILE             check FILE and upgrade the box's firmware\n"
    "\n"
    "Options:\n"
    "  --simulate               work with a simulated box (VOTKBOX_SIMULATE=silent|absent|\n"
    "                           unplug-during-upgrade makes it misbehave)\n"
    "  -h, --help               show this help\n"
    "  --version                show the version\n"
    "\n"
    "Exit status: 0 done, 1 usage error, 2 no box or it cannot be opened, 3 the box did not\n"
    "answer, 4 refused input, 5 the upgrade failed.\n";

const QString kVerdictPrefix = QStringLiteral("结果:");
const QString kSuccessPrefix = QStringLiteral("结果:升级成功");
// The simulated box streams this many frames a second for `monitor`.
constexpr double kSimulatedCanRate = 20;
// The simulated box is pulled out after this many reports of the image.
constexpr int kSimulatedUnplugAfterReports = 200;

int g_stopPipe[2] = {-1, -1};

void onStopSignal(int)
{
    const char byte = 1;
    // Nothing to do when the pipe is full: a stop is already pending.
    [[maybe_unused]] const ssize_t n = ::write(g_stopPipe[1], &byte, 1);
}

// The simulated box and its misbehaviour, for the process's lifetime.
class Simulation
{
public:
    explicit Simulation(const QString &mode) : m_backend(m_box)
    {
        m_box.setCanRate(kSimulatedCanRate);
        if (mode == QLatin1String("silent")) {
            m_box.setFault(SimBox::Fault::Silent);
            // Scripts testing a silent box should not wait out the reply time-out.
            m_box.setInstantTimeouts(true);
        } else if (mode == QLatin1String("absent")) {
            m_box.unplug();
        } else if (mode == QLatin1String("unplug-during-upgrade")) {
            m_box.setRestartTimeMs(-1);
            m_pull.setInterval(2);
            QObject::connect(&m_pull, &QTimer::timeout, [this] {
                if (m_box.rawReportsReceived() >= kSimulatedUnplugAfterReports) {
                    m_box.unplug();
                    m_pull.stop();
                }
            });
            m_pull.start();
        }
        setHidBackend(&m_backend);
    }
    ~Simulation()
    {
        // The link must not keep a handle into a backend that is going away.
        DeviceLink::instance()->reset();
        setHidBackend(nullptr);
    }

private:
    SimBox m_box;
    SimHidBackend m_backend;
    QTimer m_pull;
};

class Cli
{
public:
    Cli(QIODevice *out, QIODevice *err, bool tty) : m_out(out), m_err(err), m_tty(tty) {}

    int run(QStringList args);

private:
    int fail(int code, const QString &message)
    {
        m_err << "votkbox-cli: " << message << '\n';
        m_err.flush();
        return code;
    }
    int usage(const QString &message)
    {
        return fail(CLI_USAGE, message + QStringLiteral(" (see --help)"));
    }
    int noAnswer(const QString &what)
    {
        return fail(CLI_NO_ANSWER, QStringLiteral("the box did not answer %1").arg(what));
    }

    int openBox(bool simulated);
    int info();
    int wifi(const QStringList &args);
    int canTime(const QStringList &args);
    int factoryReset(const QStringList &args);
    int send(const QStringList &args);
    int monitor(const QStringList &args);
    int upgrade(const QStringList &args);

    QTextStream m_out;
    QTextStream m_err;
    bool m_tty;
};

int Cli::run(QStringList args)
{
    bool simulate = false;
    while (!args.isEmpty() && args.first().startsWith(QLatin1Char('-'))) {
        const QString opt = args.takeFirst();
        if (opt == QLatin1String("--help") || opt == QLatin1String("-h")) {
            m_out << kUsage;
            return CLI_OK;
        }
        if (opt == QLatin1String("--version")) {
            m_out << "votkbox-cli " << VOTKBOX_VERSION << '\n';
            return CLI_OK;
        }
        if (opt != QLatin1String("--simulate"))
            return usage(QStringLiteral("unknown option %1").arg(opt));
        simulate = true;
    }
    if (args.isEmpty())
        return usage(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    static const QStringList commands = {
        QStringLiteral("info"),          QStringLiteral("wifi"), QStringLiteral("can-time"),
        QStringLiteral("factory-reset"), QStringLiteral("send"), QStringLiteral("monitor"),
        QStringLiteral("upgrade")};
    if (!commands.contains(command))
        return usage(QStringLiteral("unknown command %1").arg(command));
    // Usage errors are told before anything touches the box.
    if ((command == QLatin1String("info") && !args.isEmpty()) ||
        (command == QLatin1String("wifi") && args.size() != 2) ||
        (command == QLatin1String("can-time") && args.size() > 1) ||
        (command == QLatin1String("send") && args.size() != 1) ||
        (command == QLatin1String("upgrade") && args.size() != 1))
        return usage(QStringLiteral("wrong arguments for %1").arg(command));
    if (command == QLatin1String("factory-reset") && args != QStringList{QStringLiteral("--yes")})
        return usage(QStringLiteral("factory-reset erases the WiFi settings: confirm with --yes"));

    std::unique_ptr<Simulation> simulation;
    if (simulate)
        simulation = std::make_unique<Simulation>(qEnvironmentVariable("VOTKBOX_SIMULATE"));
    int code = openBox(simulate);
    if (code == CLI_OK) {
        if (command == QLatin1String("info"))
            code = info();
        else if (command == QLatin1String("wifi"))
            code = wifi(args);
        else if (command == QLatin1String("can-time"))
            code = canTime(args);
        else if (command == QLatin1String("factory-reset"))
            code = factoryReset(args);
        else if (command == QLatin1String("send"))
            code = send(args);
        else if (command == QLatin1String("monitor"))
            code = monitor(args);
        else
            code = upgrade(args);
    }
    m_out.flush();
    DeviceLink::instance()->close();
    return code;
}

int Cli::openBox(bool simulated)
{
    DeviceLink *link = DeviceLink::instance();
    errno = 0;
    if (link->open() != 0) {
        const int error = errno;
        if (!simulated && (error == EACCES || error == EPERM))
            return fail(CLI_NO_BOX,
                        QStringLiteral("the box was found but access to its /dev/hidraw node was "
                                       "denied; install the udev rule 60-votkbox.rules into "
                                       "/lib/udev/rules.d (the package does this), then "
                                       "unplug and replug the box"));
        return fail(CLI_NO_BOX, QStringLiteral("no VOTK-WIFI BOX found on the USB ports"));
    }
    if (link->exchange(CMD_PROBE).payload().isEmpty())
        return noAnswer(QStringLiteral("the connect request"));
    const QVector<uint8_t> answer = link->exchange(CMD_ENTER_USB_MODE).payload();
    if (answer.isEmpty())
        return noAnswer(QStringLiteral("the request for USB mode"));
    if (answer.at(0) != 1)
        return fail(CLI_NO_ANSWER, QStringLiteral("the box refused USB mode"));
    return CLI_OK;
}

int Cli::info()
{
    DeviceLink *link = DeviceLink::instance();
    const LinkReply softwareId = link->exchange(CMD_GET_SOFTWARE_ID);
    const LinkReply version = link->exchange(CMD_GET_SOFTWARE_VERSION);
    const LinkReply hardwareId = link->exchange(CMD_GET_HARDWARE_ID);
    const LinkReply wifi = link->exchange(CMD_GET_WIFI_INFO, {0x00});
    if (!softwareId.answered() || !version.answered() || !hardwareId.answered() || !wifi.answered())
        return noAnswer(QStringLiteral("the identity requests"));
    const QStringList wifiParts = byteText(wifi.payload()).split(QLatin1Char(','));
    m_out << "software_id: " << byteText(softwareId.payload()) << '\n'
          << "software_version: " << versionNumber(version.payload()) << '\n'
          << "hardware_id: " << digitText(hardwareId.payload()) << '\n'
          << "wifi_name: " << wifiParts.value(0) << '\n'
          << "wifi_password: " << wifiParts.value(1) << '\n';
    return CLI_OK;
}

int Cli::wifi(const QStringList &args)
{
    static const QMap<WifiTextProblem, QString> refusals = {
        {WifiTextProblem::EmptyName, QStringLiteral("the WiFi name is empty")},
        {WifiTextProblem::NameComma, QStringLiteral("the WiFi name contains a comma")},
        {WifiTextProblem::NameNotLatin1,
         QStringLiteral("the WiFi name has characters the box cannot store")},
        {WifiTextProblem::PasswordComma, QStringLiteral("the WiFi password contains a comma")},
        {WifiTextProblem::PasswordNotLatin1,
         QStringLiteral("the WiFi password has characters the box cannot store")},
    };
    const WifiTextProblem problem = checkWifiText(args.at(0), args.at(1));
    if (problem != WifiTextProblem::None)
        return fail(CLI_REFUSED, refusals.value(problem));
    if (!DeviceLink::instance()
             ->exchange(CMD_SET_WIFI_INFO, wifiInfoPayload(args.at(0), args.at(1)))
             .answered())
        return noAnswer(QStringLiteral("the WiFi setting"));
    return CLI_OK;
}

int Cli::canTime(const QStringList &args)
{
    DeviceLink *link = DeviceLink::instance();
    if (args.isEmpty()) {
        const QVector<uint8_t> payload = link->exchange(CMD_GET_CAN_TIME).payload();
        if (payload.isEmpty())
            return noAnswer(QStringLiteral("the CAN time request"));
        m_out << int(payload.at(0)) << '\n';
        return CLI_OK;
    }
    bool ok = false;
    const quint32 number = args.at(0).toUInt(&ok, 10);
    if (!ok)
        return usage(QStringLiteral("the CAN time must be a number of milliseconds, not \"%1\"")
                         .arg(args.at(0)));
    const uint8_t value = canTimeValue(number);
    if (!link->exchange(CMD_SET_CAN_TIME, {value}).answered())
        return noAnswer(QStringLiteral("the CAN time setting"));
    // The box may get another value than typed: show the one it got.
    m_out << int(value) << '\n';
    return CLI_OK;
}

int Cli::factoryReset(const QStringList &)
{
    if (!DeviceLink::instance()->exchange(CMD_WIFI_FACTORY_RESET).answered())
        return noAnswer(QStringLiteral("the factory reset"));
    return CLI_OK;
}

int Cli::send(const QStringList &args)
{
    const QString text = args.at(0);
    const int hash = text.indexOf(QLatin1Char('#'));
    const std::optional<quint16> id = hash > 0 ? parseCanId(text.left(hash)) : std::nullopt;
    // cansend's data has no spaces: one run of digit pairs.
    const QString dataText = hash > 0 ? text.mid(hash + 1) : QString();
    const std::optional<QVector<uint8_t>> data =
        dataText.contains(QLatin1Char(' ')) || dataText.size() % 2 ? std::nullopt
                                                                   : parseCanData(dataText);
    if (!id || !data)
        return fail(CLI_REFUSED,
                    QStringLiteral("\"%1\" is no CAN frame: ID#DATA with an ID of 1 to 3 "
                                   "hex digits up to 7FF and up to 8 data bytes as hex "
                                   "digit pairs, e.g. 7DF#02010C")
                        .arg(text));
    CmdPacket packet;
    packet.set(CMD_CAN_FRAME, canFramePayload(*id, *data));
    // Frames go out without a reply, as from the window.
    if (DeviceLink::instance()->sendPacket(packet) <= 0)
        return fail(CLI_NO_BOX, QStringLiteral("the frame could not be written to the box"));
    return CLI_OK;
}

int Cli::monitor(const QStringList &args)
{
    qint64 count = -1;
    double seconds = -1;
    bool csv = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString opt = args.at(i);
        if (i + 1 >= args.size())
            return usage(QStringLiteral("monitor: %1 needs a value").arg(opt));
        const QString value = args.at(++i);
        bool ok = false;
        if (opt == QLatin1String("--count")) {
            count = value.toLongLong(&ok);
            ok = ok && count > 0;
        } else if (opt == QLatin1String("--seconds")) {
            seconds = value.toDouble(&ok);
            ok = ok && seconds > 0;
        } else if (opt == QLatin1String("--format")) {
            ok = value == QLatin1String("log") || value == QLatin1String("csv");
            csv = value == QLatin1String("csv");
        }
        if (!ok)
            return usage(QStringLiteral("monitor: bad option %1 %2").arg(opt, value));
    }

    const CanSaveFormat format = csv ? CanSaveFormat::Csv : CanSaveFormat::CandumpLog;
    DeviceLink *link = DeviceLink::instance();
    CanRxThread reader;
    QEventLoop loop;
    qint64 printed = 0;
    bool ending = false;
    QObject::connect(
        &reader, &CanRxThread::send_can_rx, &loop,
        [&](const QVector<uint8_t> &frame) {
            if (count >= 0 && printed >= count)
                return;
            const qint64 usec = std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count();
            // The same lines as the window's Save.
            QByteArray line;
            const int id = frame.size() >= 2 ? frame.at(0) | frame.at(1) << 8 : -1;
            const int skip = std::min(2, frame.size());
            appendCanSaveLine(line, format, usec, id, frame.constData() + skip,
                              frame.size() - skip);
            m_out << QString::fromLatin1(line);
            m_out.flush();
            if (++printed == count && !ending)
                loop.quit();
        },
        // Always queued: frames this thread's own exchanges read must not
        // overtake the ones the reader thread has already posted.
        Qt::QueuedConnection);
    if (csv) {
        m_out << QString::fromLatin1(canSaveHeader(format));
        m_out.flush();
    }
    QTimer deadline;
    if (seconds > 0) {
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(int(seconds * 1000));
    }
    std::unique_ptr<QSocketNotifier> stop;
    if (g_stopPipe[0] >= 0) {
        stop = std::make_unique<QSocketNotifier>(g_stopPipe[0], QSocketNotifier::Read);
        QObject::connect(stop.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    }

    link->setFrameSink(&reader);
    if (!link->exchange(CMD_CAN_RX_ENABLE, {1}).answered()) {
        link->clearFrameSink(&reader);
        return noAnswer(QStringLiteral("the request to report CAN frames"));
    }
    reader.start();
    loop.exec();

    // Frames still on their way when reporting goes off are printed too.
    ending = true;
    reader.stop();
    const bool off = link->exchange(CMD_CAN_RX_ENABLE, {0}).answered();
    link->clearFrameSink(&reader);
    QCoreApplication::sendPostedEvents(&loop);
    if (!off)
        return noAnswer(QStringLiteral("the request to stop reporting CAN frames"));
    return CLI_OK;
}

// One transfer with the window's upgrade; the exit status comes from its
// verdict alone, never from the thread having ended.
int Cli::upgrade(const QStringList &args)
{
    const OtaFileRead file = readOtaFile(args.at(0));
    switch (file.status) {
    case OtaFileStatus::Ok:
        break;
    case OtaFileStatus::CannotOpen:
        return fail(CLI_REFUSED, QStringLiteral("cannot open the upgrade file %1").arg(args.at(0)));
    case OtaFileStatus::ChecksumMismatch:
        return fail(CLI_REFUSED, QStringLiteral("the upgrade file's checksum is wrong"));
    case OtaFileStatus::WrongSize:
        return fail(CLI_REFUSED, QStringLiteral("the upgrade file's size is wrong"));
    case OtaFileStatus::WrongFlag:
        return fail(CLI_REFUSED, QStringLiteral("the file is no upgrade file for this box"));
    }
    auto ota = std::make_unique<OtaHandle>();
    ota->setImage(file.image);

    bool success = false;
    QString verdict;
    QEventLoop loop;
    QObject::connect(
        ota.get(), &OtaHandle::sig_send_ota_progress, &loop, [&](int value, const QString &text) {
            if (m_tty) {
                const int filled = value * 40 / 100;
                m_out << "\r[" << QString(filled, QLatin1Char('#'))
                      << QString(40 - filled, QLatin1Char(' ')) << "] " << value << '%';
            } else {
                m_out << "progress " << value << '\n';
            }
            m_out.flush();
            if (text.startsWith(kVerdictPrefix)) {
                verdict = text;
                success = value == 100 && text.startsWith(kSuccessPrefix);
            }
        });
    QObject::connect(ota.get(), &QThread::finished, &loop, &QEventLoop::quit);
    ota->start();
    loop.exec();
    ota->wait();
    QCoreApplication::sendPostedEvents(&loop);
    if (m_tty)
        m_out << '\n';
    if (verdict.isEmpty())
        verdict = QStringLiteral("结果:升级失败");
    m_out << verdict << '\n';
    m_out.flush();
    return success ? CLI_OK : CLI_UPGRADE_FAILED;
}
} // namespace

int runCli(const QStringList &args, QIODevice *out, QIODevice *err, bool outIsTerminal)
{
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");
    Cli cli(out, err, outIsTerminal);
    return cli.run(args);
}

void installStopSignals()
{
    if (g_stopPipe[0] >= 0 || ::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
