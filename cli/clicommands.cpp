#include "clicommands.h"

#include "boxcommands.h"
#include "clitable.h"
#include "devicelink.h"
#include "simsession.h"
#include "version.h"

#include <QIODevice>

#include <cerrno>
#include <memory>

namespace {
// The simulated box streams this many frames a second for `monitor`.
constexpr double kSimulatedCanRate = 20;
// Where the help's texts start after a command and its arguments.
constexpr int kHelpColumn = 27;

QString wrongArguments(const char *name)
{
    return QStringLiteral("wrong arguments for %1").arg(QLatin1String(name));
}

QString usageText()
{
    QString text = QStringLiteral("Usage: votkbox-cli [--simulate] <command> [arguments]\n"
                                  "\n"
                                  "Commands:\n");
    const QString indent(kHelpColumn, QLatin1Char(' '));
    for (const CliCommand &command : cliCommands()) {
        QString synopsis = QLatin1String("  ") + QLatin1String(command.name);
        if (*command.arguments)
            synopsis += QLatin1Char(' ') + QLatin1String(command.arguments);
        const QStringList lines = QString::fromUtf8(command.help).split(QLatin1Char('\n'));
        if (synopsis.size() < kHelpColumn - 1)
            text += synopsis.leftJustified(kHelpColumn) + lines.first() + QLatin1Char('\n');
        else
            text += synopsis + QLatin1Char('\n') + indent + lines.first() + QLatin1Char('\n');
        for (int i = 1; i < lines.size(); ++i)
            text += indent + lines.at(i) + QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\n"
        "Options:\n"
        "  --simulate               work with a simulated box (VOTKBOX_SIMULATE=silent|absent|\n"
        "                           unplug-during-upgrade makes it misbehave)\n"
        "  -h, --help               show this help\n"
        "  --version                show the version\n"
        "\n"
        "Exit status: 0 done, 1 usage error, 2 no box or it cannot be opened, 3 the box did not\n"
        "answer, 4 refused input, 5 the upgrade failed.\n");
    return text;
}

// Opens the box and connects to it.
int openBox(CliContext &cli, bool simulated)
{
    DeviceLink *link = DeviceLink::instance();
    errno = 0;
    if (link->open() != 0) {
        const int error = errno;
        if (!simulated && (error == EACCES || error == EPERM))
            return cli.fail(CLI_NO_BOX,
                            QStringLiteral("the box was found but access to its /dev/hidraw node "
                                           "was denied; install the udev rule 60-votkbox.rules "
                                           "into /lib/udev/rules.d (the package does this), then "
                                           "unplug and replug the box"));
        return cli.fail(CLI_NO_BOX, QStringLiteral("no VOTK-WIFI BOX found on the USB ports"));
    }
    switch (BoxCommands::connect()) {
    case Handshake::Ok:
        break;
    case Handshake::NoAnswerToProbe:
        return cli.noAnswer(QStringLiteral("the connect request"));
    case Handshake::NoAnswerToUsbMode:
        return cli.noAnswer(QStringLiteral("the request for USB mode"));
    case Handshake::UsbModeRefused:
        return cli.fail(CLI_NO_ANSWER, QStringLiteral("the box refused USB mode"));
    }
    return CLI_OK;
}

QString noArguments(const QStringList &args)
{
    return args.isEmpty() ? QString() : wrongArguments("info");
}

QString wifiArguments(const QStringList &args)
{
    return args.size() == 2 ? QString() : wrongArguments("wifi");
}

QString canTimeArguments(const QStringList &args)
{
    return args.size() <= 1 ? QString() : wrongArguments("can-time");
}

QString factoryResetArguments(const QStringList &args)
{
    return args == QStringList{QStringLiteral("--yes")}
               ? QString()
               : QStringLiteral("factory-reset erases the WiFi settings: confirm with --yes");
}

QString sendArguments(const QStringList &args)
{
    return args.size() == 1 ? QString() : wrongArguments("send");
}

// The options are read once the box is open.
QString monitorArguments(const QStringList &)
{
    return QString();
}

QString upgradeArguments(const QStringList &args)
{
    return args.size() == 1 ? QString() : wrongArguments("upgrade");
}

int run(CliContext &cli, QStringList args)
{
    bool simulate = false;
    while (!args.isEmpty() && args.first().startsWith(QLatin1Char('-'))) {
        const QString opt = args.takeFirst();
        if (opt == QLatin1String("--help") || opt == QLatin1String("-h")) {
            cli.out << usageText();
            return CLI_OK;
        }
        if (opt == QLatin1String("--version")) {
            cli.out << "votkbox-cli " << VOTKBOX_VERSION << '\n';
            return CLI_OK;
        }
        if (opt != QLatin1String("--simulate"))
            return cli.usage(QStringLiteral("unknown option %1").arg(opt));
        simulate = true;
    }
    if (args.isEmpty())
        return cli.usage(QStringLiteral("no command given"));
    const QString name = args.takeFirst();
    const CliCommand *command = nullptr;
    for (const CliCommand &c : cliCommands())
        if (name == QLatin1String(c.name))
            command = &c;
    if (!command)
        return cli.usage(QStringLiteral("unknown command %1").arg(name));
    const QString wrong = command->checkArguments(args);
    if (!wrong.isEmpty())
        return cli.usage(wrong);

    std::unique_ptr<SimSession> simulation;
    if (simulate) {
        simulation = std::make_unique<SimSession>();
        simulation->box.setCanRate(kSimulatedCanRate);
        simulation->applyFaultMode(qEnvironmentVariable("VOTKBOX_SIMULATE"));
    }
    int code = openBox(cli, simulate);
    if (code == CLI_OK)
        code = command->run(cli, args);
    cli.out.flush();
    DeviceLink::instance()->close();
    return code;
}
} // namespace

const std::vector<CliCommand> &cliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"info", "",
         "software_id, software_version, hardware_id, wifi_name,\n"
         "wifi_password, one \"key: value\" line each",
         noArguments, cliInfo},
        {"wifi", "NAME PASSWORD", "set the WiFi name and password", wifiArguments, cliWifi},
        {"can-time", "[MS]", "print the CAN time in ms, or set it (low 8 bits, at least 5)",
         canTimeArguments, cliCanTime},
        {"factory-reset", "--yes", "restore the WiFi module's factory settings",
         factoryResetArguments, cliFactoryReset},
        {"send", "ID#DATA", "send one CAN frame, e.g. 7DF#02010C", sendArguments, cliSend},
        {"monitor", "[--count N] [--seconds S] [--format log|csv]",
         "print received CAN frames (candump log format by default)", monitorArguments, cliMonitor},
        {"upgrade", "FILE", "check FILE and upgrade the box's firmware", upgradeArguments,
         cliUpgrade},
        {"slcan", "[--link PATH]",
         "serve the box as an slcan (LAWICEL) adapter on\n"
         "a pseudo-terminal until stopped; prints its path,\n"
         "links PATH to it. S0-S8 and sxxyy change nothing:\n"
         "the box's firmware sets the bit rate",
         cliSlcanArguments, cliSlcan},
    };
    return commands;
}

int runCli(const QStringList &args, QIODevice *out, QIODevice *err, bool outIsTerminal)
{
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");
    CliContext cli(out, err, outIsTerminal);
    return run(cli, args);
}
