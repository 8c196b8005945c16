#include "clicommands.h"

#include "boxcommands.h"
#include "clioutput.h"
#include "clitable.h"
#include "devicelink.h"
#include "replydecode.h"
#include "simsession.h"
#include "socketcand.h"
#include "version.h"

#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <unistd.h>

namespace {
// The simulated box streams this many frames a second for `monitor`.
constexpr double kSimulatedCanRate = 20;
// Where the help's texts start after a command and its arguments.
constexpr int kHelpColumn = 27;
const char factoryResetWrong[] = "factory-reset erases the WiFi settings: confirm with --yes";

QString wrongArguments(const char *name)
{
    return QStringLiteral("wrong arguments for %1").arg(QLatin1String(name));
}

QString usageText()
{
    QString text =
        QStringLiteral("Usage: votkbox-cli [--simulate] [--device PATH | --serial SERIAL]\n"
                       "                   <command> [arguments]\n"
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
        "                           unplug-during-upgrade|usb-mode-refused makes it misbehave,\n"
        "                           two-boxes adds a second one)\n"
        "  --device PATH            use the box at PATH (as list prints it)\n"
        "  --serial SERIAL          use the box with the USB serial number SERIAL\n"
        "                           (needed when several boxes are plugged in)\n"
        "  -h, --help               show this help\n"
        "  --version                show the version\n"
        "\n"
        "Exit status: 0 done, 1 usage error, 2 no box or it cannot be opened, 3 the box did not\n"
        "answer or went away, 4 refused input, 5 the upgrade failed, 6 standard output could not\n"
        "be written, 7 the box is in use by another program or its lock could not be taken.\n");
    return text;
}

// `votkbox-cli COMMAND --help`: the one command's synopsis and text.
QString commandHelpText(const CliCommand &command)
{
    QString text =
        QStringLiteral("Usage: votkbox-cli [--simulate] [--device PATH | --serial SERIAL] ") +
        QLatin1String(command.name);
    if (*command.arguments)
        text += QLatin1Char(' ') + QLatin1String(command.arguments);
    text += QLatin1String("\n\n");
    for (const QString &line : QString::fromUtf8(command.help).split(QLatin1Char('\n')))
        text += QLatin1String("  ") + line + QLatin1Char('\n');
    return text;
}

QString boxInUse(const BoxLockHolder &holder)
{
    if (holder.pid == 0)
        return QStringLiteral("the box is in use by another program");
    const QString program =
        holder.program.isEmpty() ? QStringLiteral("another program") : holder.program;
    return QStringLiteral("the box is in use by %1 (PID %2)").arg(program).arg(holder.pid);
}

// The login name for the permission hint.
QString userName()
{
    const passwd *user = ::getpwuid(::geteuid());
    return user && user->pw_name ? QString::fromLocal8Bit(user->pw_name) : QStringLiteral("USER");
}

// Chooses the box (the one named, else the only one), opens and connects to it.
int openBox(CliContext &cli, bool simulated)
{
    DeviceLink &link = cli.link;
    const BoxSelector which{cli.device, cli.serial};
    const std::vector<BoxInfo> boxes = link.boxes();
    const auto chosen = std::find_if(boxes.begin(), boxes.end(),
                                     [&](const BoxInfo &b) { return which.matches(b); });
    if (which.isEmpty() && boxes.size() > 1) {
        cli.fail(CLI_USAGE, QStringLiteral("%1 boxes are plugged in: choose one with --device "
                                           "PATH or --serial SERIAL")
                                .arg(boxes.size()));
        for (const BoxInfo &box : boxes)
            cli.say(boxLine(box));
        return CLI_USAGE;
    }
    if (!which.isEmpty()) {
        if (chosen == boxes.end())
            return cli.fail(
                CLI_NO_BOX,
                cli.device.isEmpty()
                    ? QStringLiteral("no VOTK-WIFI BOX with the serial number %1").arg(cli.serial)
                    : QStringLiteral("no VOTK-WIFI BOX at %1").arg(cli.device));
        // Runs in parallel write to one terminal or log; a terminal has one run.
        if (!cli.tty)
            cli.prefix = (chosen->serialNumber.isEmpty() ? chosen->path : chosen->serialNumber) +
                         QStringLiteral(": ");
    }
    const LinkOpenResult opened = link.openBox(which);
    switch (opened.status) {
    case LinkOpenResult::Opened:
        break;
    case LinkOpenResult::NoPermission:
        if (!simulated)
            return cli.fail(
                CLI_NO_BOX,
                QStringLiteral("access to the box's device node %1 was denied; nothing else is "
                               "needed beyond adding the user to the group plugdev (for scripts, "
                               "services and SSH sessions too): sudo adduser %2 plugdev, then log "
                               "in again (without the package, install its udev rule "
                               "60-votkbox.rules into /lib/udev/rules.d first)")
                    .arg(chosen != boxes.end() ? chosen->path : QStringLiteral("/dev/hidraw*"),
                         userName()));
        return cli.fail(CLI_NO_BOX, QStringLiteral("no VOTK-WIFI BOX found on the USB ports"));
    case LinkOpenResult::NoBox:
        return cli.fail(CLI_NO_BOX, QStringLiteral("no VOTK-WIFI BOX found on the USB ports"));
    case LinkOpenResult::InUse:
        return cli.fail(CLI_BOX_IN_USE, boxInUse(opened.holder));
    case LinkOpenResult::LockFailed:
        return cli.fail(CLI_BOX_IN_USE,
                        QStringLiteral("the box's lock could not be taken (%1); it is not used "
                                       "unlocked, where another program could take its replies")
                            .arg(opened.lockFailure));
    }
    switch (BoxCommands::connect(link)) {
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

// The largest replay --speed taken.
constexpr double kMaxSpeed = 1000000;

QString canTimeArguments(CliOptions &options)
{
    // A number too large for the box is refused input, anything else a usage error.
    static const QRegularExpression number(QStringLiteral("^\\s*\\d+\\s*$"));
    if (!options.args.isEmpty() && !number.match(options.args.at(0)).hasMatch())
        return QStringLiteral("the CAN time must be a number of milliseconds, not \"%1\"")
            .arg(options.args.at(0));
    // The same reading of a typed time as the settings dialog's.
    if (!options.args.isEmpty())
        options.canTime = canTimeFromText(options.args.at(0));
    return QString();
}

QString factoryResetArguments(CliOptions &options)
{
    return options.yes ? QString() : QString::fromLatin1(factoryResetWrong);
}

// The options' readers; a value that does not convert, or lies outside what
// the command takes, is a usage error.
bool readPeriod(const QString &value, CliOptions &options)
{
    bool ok = false;
    options.periodic = true;
    options.periodMs = value.toLongLong(&ok);
    return ok;
}

bool readCount(const QString &value, CliOptions &options)
{
    bool ok = false;
    options.count = value.toLongLong(&ok);
    return ok && options.count > 0;
}

bool readSeconds(const QString &value, CliOptions &options)
{
    bool ok = false;
    options.seconds = value.toDouble(&ok);
    return ok && options.seconds > 0;
}

bool readSpeed(const QString &value, CliOptions &options)
{
    bool ok = false;
    options.speed = value.toDouble(&ok);
    return ok && options.speed >= 0 && options.speed <= kMaxSpeed;
}

bool readLoops(const QString &value, CliOptions &options)
{
    bool ok = false;
    options.loops = value.toLongLong(&ok);
    return ok && options.loops > 0 && options.loops <= 1000000;
}

bool readStartAt(const QString &value, CliOptions &options)
{
    bool ok = false;
    options.startAt = value.toDouble(&ok);
    return ok && options.startAt >= 0 && options.startAt <= 1e9;
}

bool readSaveFormat(const QString &value, CliOptions &options)
{
    options.csv = value == QLatin1String("csv");
    options.jsonl = value == QLatin1String("jsonl");
    return options.csv || options.jsonl || value == QLatin1String("log");
}

bool readDecodeFormat(const QString &value, CliOptions &options)
{
    options.jsonl = value == QLatin1String("jsonl");
    return options.jsonl || value == QLatin1String("csv");
}

bool readFrom(const QString &value, CliOptions &options)
{
    CanSaveFormat format;
    options.from = canSaveFormatNamed(value, &format) ? std::optional(format) : std::nullopt;
    return options.from.has_value();
}

bool readTo(const QString &value, CliOptions &options)
{
    CanSaveFormat format;
    options.to = canSaveFormatNamed(value, &format) ? std::optional(format) : std::nullopt;
    return options.to.has_value();
}

bool readDbc(const QString &value, CliOptions &options)
{
    options.dbcFiles << value;
    return !value.isEmpty();
}

QString dbcArguments(CliOptions &options)
{
    if (options.dbcFiles.isEmpty())
        return QStringLiteral("decode: --dbc FILE is needed");
    return QString();
}

bool readOutput(const QString &value, CliOptions &options)
{
    options.output = value;
    return !value.isEmpty();
}

bool readRotateMb(const QString &value, CliOptions &options)
{
    bool ok = false;
    options.rotateMb = value.toLongLong(&ok);
    return ok && options.rotateMb > 0 && options.rotateMb <= 1000000;
}

bool readRotateSeconds(const QString &value, CliOptions &options)
{
    bool ok = false;
    options.rotateSeconds = value.toDouble(&ok);
    return ok && options.rotateSeconds > 0 && options.rotateSeconds <= 1e7;
}

QString monitorArguments(CliOptions &options)
{
    if (options.csv && !options.dbcFiles.isEmpty())
        return QStringLiteral("monitor: --dbc goes with --format log or jsonl");
    if (options.rotateMb > 0 && options.rotateSeconds > 0)
        return QStringLiteral("monitor: --rotate-mb or --rotate-s, not both");
    if ((options.rotateMb > 0 || options.rotateSeconds > 0) && options.output.isEmpty())
        return QStringLiteral("monitor: --rotate-mb and --rotate-s go with --output");
    if (!options.output.isEmpty() && !canSaveFormatFor(options.output, &options.outputFormat))
        return QStringLiteral("monitor: the format of %1 cannot be told from its extension "
                              "(.log, .csv, .asc, .trc or .blf)")
            .arg(options.output);
    return QString();
}

bool readListFormat(const QString &value, CliOptions &options)
{
    options.json = value == QLatin1String("json");
    return options.json || value == QLatin1String("tsv");
}

bool readLink(const QString &value, CliOptions &options)
{
    options.link = value;
    return !value.isEmpty();
}

bool readOpen(const QString &, CliOptions &options)
{
    options.openNetwork = true;
    return true;
}

// An IPv4 address in dotted form, in host order.
std::optional<quint32> ipv4Address(const QString &text)
{
    in_addr address{};
    if (::inet_pton(AF_INET, text.toLatin1().constData(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

bool readListen(const QString &value, CliOptions &options)
{
    const int colon = value.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint port = value.mid(colon + 1).toUInt(&ok);
    const std::optional<quint32> address = ipv4Address(value.left(colon));
    if (colon < 0 || !ok || port > 65535 || !address)
        return false;
    options.socketcand.address = *address;
    options.socketcand.port = quint16(port);
    options.listenGiven = true;
    return true;
}

bool readBus(const QString &value, CliOptions &options)
{
    options.socketcand.bus = value.toLatin1();
    return isSocketcandBusName(value);
}

bool readBeacon(const QString &, CliOptions &options)
{
    options.socketcand.beacon = true;
    return true;
}

bool readMaxClients(const QString &value, CliOptions &options)
{
    bool ok = false;
    options.socketcand.maxClients = value.toInt(&ok);
    return ok && options.socketcand.maxClients >= 1 && options.socketcand.maxClients <= 256;
}

// "A.B.C.D/N[,...]"; a plain address is one host.
bool readAllow(const QString &value, CliOptions &options)
{
    for (const QString &item : value.split(QLatin1Char(','))) {
        Ipv4Range range;
        const std::optional<quint32> address = ipv4Address(item.section(QLatin1Char('/'), 0, 0));
        bool ok = true;
        if (item.contains(QLatin1Char('/')))
            range.bits = item.section(QLatin1Char('/'), 1).toInt(&ok);
        if (!address || !ok || range.bits < 0 || range.bits > 32)
            return false;
        range.address = *address;
        options.socketcand.allow.append(range);
    }
    return true;
}

bool readYes(const QString &, CliOptions &options)
{
    options.yes = true;
    return true;
}

// Reads the arguments after the command's name into `options`, the one way
// for every command; the usage error, empty when they read fine.
QString readArguments(const CliCommand &command, const QStringList &args, CliOptions &options)
{
    const QString wrong =
        command.wrong ? QString::fromLatin1(command.wrong) : wrongArguments(command.name);
    auto option = [&](const QString &word) {
        return std::find_if(command.options.begin(), command.options.end(),
                            [&](const CliOption &o) { return word == QLatin1String(o.name); });
    };
    QStringList rest;
    if (command.anyOrder) {
        for (int i = 0; i < args.size(); ++i) {
            if (!args.at(i).startsWith(QLatin1String("--"))) {
                options.args << args.at(i);
                continue;
            }
            rest << args.at(i);
            const auto known = option(args.at(i));
            if ((known == command.options.end() || known->takesValue) && i + 1 < args.size())
                rest << args.at(++i);
        }
        if (options.args.size() < command.minArgs || options.args.size() > command.maxArgs)
            return wrong;
    } else {
        if (args.size() < command.minArgs)
            return wrong;
        options.args = args.mid(0, command.maxArgs);
        rest = args.mid(options.args.size());
    }
    const QString prefix = QLatin1String(command.name) + QLatin1String(": ");
    QStringList seen;
    for (int i = 0; i < rest.size(); ++i) {
        const QString opt = rest.at(i);
        const auto known = option(opt);
        const bool takesValue = known == command.options.end() || known->takesValue;
        if (seen.contains(opt) && !(known != command.options.end() && known->repeats))
            return command.namesOption ? prefix + QStringLiteral("%1 given twice").arg(opt) : wrong;
        seen << opt;
        if (takesValue && i + 1 >= rest.size())
            return command.namesOption ? prefix + QStringLiteral("%1 needs a value").arg(opt)
                                       : wrong;
        const QString value = takesValue ? rest.at(++i) : QString();
        if (known == command.options.end() || !known->read(value, options))
            return command.namesOption ? prefix + QStringLiteral("bad option %1 %2").arg(opt, value)
                                       : wrong;
    }
    return command.checkArguments ? command.checkArguments(options) : QString();
}

int run(CliContext &cli, QStringList args)
{
    bool simulate = false;
    while (!args.isEmpty() && args.first().startsWith(QLatin1Char('-'))) {
        const QString opt = args.takeFirst();
        if (opt == QLatin1String("--help") || opt == QLatin1String("-h")) {
            cli.out << usageText();
            return outputWritten(cli) ? CLI_OK : outputFailed(cli);
        }
        if (opt == QLatin1String("--version")) {
            cli.out << "votkbox-cli " << VOTKBOX_VERSION << '\n';
            return outputWritten(cli) ? CLI_OK : outputFailed(cli);
        }
        if (opt == QLatin1String("--simulate")) {
            simulate = true;
            continue;
        }
        const QString name = opt.section(QLatin1Char('='), 0, 0);
        if (name != QLatin1String("--device") && name != QLatin1String("--serial"))
            return cli.usage(QStringLiteral("unknown option %1").arg(opt));
        QString value;
        if (opt.contains(QLatin1Char('=')))
            value = opt.section(QLatin1Char('='), 1);
        else if (!args.isEmpty())
            value = args.takeFirst();
        if (value.isEmpty())
            return cli.usage(QStringLiteral("%1 needs a value").arg(name));
        if (!cli.device.isEmpty() || !cli.serial.isEmpty())
            return cli.usage(QStringLiteral("choose one box: --device or --serial, once"));
        (name == QLatin1String("--device") ? cli.device : cli.serial) = value;
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
    // Help asked for anywhere after a command is that command's help.
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        cli.out << commandHelpText(*command);
        return outputWritten(cli) ? CLI_OK : outputFailed(cli);
    }
    CliOptions options;
    const QString wrong = readArguments(*command, args, options);
    if (!wrong.isEmpty())
        return cli.usage(wrong);
    // Lines of runs in parallel are told apart from the first one on; once the
    // box is found, its serial number takes the place of a path.
    if (!cli.tty && (!cli.serial.isEmpty() || !cli.device.isEmpty()))
        cli.prefix = (cli.serial.isEmpty() ? cli.device : cli.serial) + QStringLiteral(": ");
    if (command->checkInput) {
        const int refused = command->checkInput(cli, options);
        if (refused != CLI_OK)
            return refused;
    }

    std::unique_ptr<SimSession> simulation;
    if (simulate) {
        simulation = std::make_unique<SimSession>(cli.link);
        simulation->box.setCanRate(kSimulatedCanRate);
        simulation->applyFaultMode(qEnvironmentVariable("VOTKBOX_SIMULATE"));
    }
    int code = command->opensBox ? openBox(cli, simulate) : CLI_OK;
    if (code == CLI_OK)
        code = command->run(cli, options);
    // The box is left as the command left it; then a cut output is told.
    const bool written = outputWritten(cli);
    cli.link.close();
    if (!written && code != CLI_OUTPUT_FAILED)
        return outputFailed(cli);
    return code;
}
} // namespace

const std::vector<CliCommand> &cliCommands()
{
    // The options each command takes, read by readArguments.
    static const std::vector<CliOption> listOptions = {{"--format", readListFormat}};
    static const std::vector<CliOption> confirm = {{"--yes", readYes, false}};
    static const std::vector<CliOption> wifiOptions = {{"--open", readOpen, false}};
    static const std::vector<CliOption> sendOptions = {
        {"--period", readPeriod}, {"--count", readCount}, {"--seconds", readSeconds}};
    static const std::vector<CliOption> replayOptions = {
        {"--speed", readSpeed}, {"--loop", readLoops}, {"--start-at", readStartAt}};
    static const std::vector<CliOption> monitorOptions = {
        {"--count", readCount},           {"--seconds", readSeconds}, {"--format", readSaveFormat},
        {"--dbc", readDbc, true, true},   {"--output", readOutput},   {"--rotate-mb", readRotateMb},
        {"--rotate-s", readRotateSeconds}};
    static const std::vector<CliOption> decodeOptions = {{"--format", readDecodeFormat},
                                                         {"--dbc", readDbc, true, true}};
    static const std::vector<CliOption> slcanOptions = {{"--link", readLink}};
    static const std::vector<CliOption> convertOptions = {{"--from", readFrom}, {"--to", readTo}};
    static const std::vector<CliOption> socketcandOptions = {{"--listen", readListen},
                                                             {"--bus", readBus},
                                                             {"--beacon", readBeacon, false},
                                                             {"--max-clients", readMaxClients},
                                                             {"--allow", readAllow}};
    static const std::vector<CliOption> none;
    // Usage errors that name the option at fault, or one text for all.
    constexpr bool namesOption = true;
    constexpr bool oneText = false;
    static const std::vector<CliCommand> commands = {
        {"list", "[--format tsv|json]",
         "one line per box plugged in: device path, serial number,\n"
         "manufacturer, product, tab-separated; opens no box",
         0, 0, listOptions, cliList, nullptr, nullptr, false},
        {"info", "",
         "software_id, software_version, hardware_id, wifi_name,\n"
         "wifi_password, one \"key: value\" line each",
         0, 0, none, cliInfo},
        {"wifi", "NAME PASSWORD [--open]",
         "set the WiFi name (1 to 32 characters) and WPA2 password\n"
         "(8 to 63 printable ASCII characters); an empty PASSWORD\n"
         "makes an open network and needs --open",
         2, 2, wifiOptions, cliWifi, nullptr, checkWifiInput, true, namesOption},
        {"can-time", "[MS]", "print the CAN time in ms, or set it (0 to 255; below 5 sets 5)", 0, 1,
         none, cliCanTime, canTimeArguments, checkCanTimeInput},
        {"factory-reset", "--yes", "restore the WiFi module's factory settings", 0, 0, confirm,
         cliFactoryReset, factoryResetArguments, nullptr, true, oneText, factoryResetWrong},
        {"send", "ID#DATA [--period MS [--count N | --seconds S]]",
         "send one CAN frame, e.g. 7DF#02010C; with --period, send it\n"
         "every MS ms (1 to 60000) until N frames, S seconds or a stop",
         1, 1, sendOptions, cliSend, sendArguments, checkSendInput, true, namesOption},
        {"replay", "FILE [--speed F] [--loop N] [--start-at S]",
         "send every frame of a capture (.log, .csv, .asc, .trc, .blf) in\n"
         "file order, with the recorded gaps divided by F (0: as fast\n"
         "as the box takes them; a time that goes back is no gap),\n"
         "N times, from S seconds into it; a regular file only",
         1, 1, replayOptions, cliReplay, nullptr, checkReplayInput, true, namesOption},
        {"monitor",
         "[--count N] [--seconds S] [--format log|csv|jsonl] [--dbc FILE]... "
         "[--output FILE [--rotate-mb MB | --rotate-s SECS]]",
         "print received CAN frames (candump log format by default);\n"
         "N up to 2147483647, S up to 2000000; with --dbc each line\n"
         "ends in \"  ; Message: Signal=value unit, ...\", jsonl prints\n"
         "one JSON object per frame with its signals; --output also\n"
         "records them to FILE (.log, .csv, .asc, .trc, .blf), written\n"
         "out at least once a second, in numbered files FILE_001...\n"
         "of MB megabytes or SECS seconds each with a --rotate option",
         0, 0, monitorOptions, cliMonitor, monitorArguments, checkMonitorInput, true, namesOption},
        {"decode", "--dbc FILE [--dbc FILE]... CAPTURE [--format csv|jsonl]",
         "decode a capture (.log, .csv, .asc, .trc, .blf) with the DBC files\n"
         "(the first one wins where they share an identifier): one CSV\n"
         "row per signal, or one JSON object per frame; opens no box",
         1, 1, decodeOptions, cliDecode, dbcArguments, checkDecodeInput, false, namesOption,
         nullptr, true},
        {"convert", "IN OUT [--from FMT] [--to FMT]",
         "write the frames of capture IN to OUT in another format,\n"
         "FMT log, csv, asc, trc, blf or pycsv (python-can's CSV),\n"
         "else told by the extension; tells the frames written; exits\n"
         "4 naming the first place of IN that could not be read (the\n"
         "frames around it are written); opens no box",
         2, 2, convertOptions, cliConvert, nullptr, nullptr, false, namesOption, nullptr, true},
        {"upgrade", "FILE", "check FILE and upgrade the box's firmware", 1, 1, none, cliUpgrade,
         nullptr, checkUpgradeInput},
        {"slcan", "[--link PATH]",
         "serve the box as an slcan (LAWICEL) adapter on\n"
         "a pseudo-terminal until stopped; prints its path,\n"
         "links PATH to it. S0-S8 and sxxyy change nothing:\n"
         "the box's firmware sets the bit rate",
         0, 0, slcanOptions, cliSlcan, nullptr, checkSlcanInput},
        {"socketcand",
         "[--listen ADDR:PORT] [--allow CIDR,...] [--bus NAME] [--beacon] [--max-clients N]",
         "serve the box to socketcand clients (python-can,\n"
         "SavvyCAN) in raw mode until stopped; prints the\n"
         "address. On 127.0.0.1:29536 unless --listen says\n"
         "otherwise; the protocol has no authentication, so\n"
         "--allow lets in only the ranges given (10.0.0.0/8).\n"
         "NAME: the bus clients open (can0); N: 8, up to 256;\n"
         "--beacon announces it on UDP port 42000",
         0, 0, socketcandOptions, cliSocketcand, nullptr, nullptr, true, namesOption},
    };
    return commands;
}

int runCli(const QStringList &args, QIODevice *out, QIODevice *err, bool errIsTerminal)
{
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");
    // The one place votkbox-cli takes the process's link.
    CliContext cli(*DeviceLink::instance(), out, err, errIsTerminal);
    return run(cli, args);
}
