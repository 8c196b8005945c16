#pragma once

#include "cliexit.h"
#include "replaytimeline.h"
#include "socketcandconfig.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>
#include <vector>

class DeviceLink;
class QIODevice;
struct BoxInfo;
struct DbcDatabase;

// Where a command writes: its data to `out` (see clioutput.h), everything
// said to a person, in English, to `err`; the box is reached through `link`.
class CliContext
{
public:
    CliContext(DeviceLink &link, QIODevice *out, QIODevice *err, bool tty)
        : link(link), out(out), err(err), tty(tty)
    {
    }

    int fail(int code, const QString &message)
    {
        say(QStringLiteral("votkbox-cli: ") + message);
        return code;
    }
    // One line for a person, on `err`, after the prefix.
    void say(const QString &line)
    {
        err << prefix << line << '\n';
        err.flush();
    }
    int usage(const QString &message)
    {
        return fail(CLI_USAGE, message + QStringLiteral(" (see --help)"));
    }
    int noAnswer(const QString &what)
    {
        return fail(CLI_NO_ANSWER, QStringLiteral("the box did not answer %1").arg(what));
    }

    DeviceLink &link;
    QTextStream out;
    QTextStream err;
    // `err` is a terminal: progress shows as a bar.
    const bool tty;
    // The box chosen with --device or --serial; both empty without a choice.
    QString device;
    QString serial;
    // Starts every line for a person ("SERIAL: "), so that the lines of
    // several runs in parallel can be told apart; empty on a terminal.
    QString prefix;
    // What checkInput read for run: the upgrade's image, the replay's frames.
    QByteArray input;
    QVector<ReplayFrame> replayFrames;
    // The --dbc databases as one, read by checkInput; null without --dbc.
    std::shared_ptr<const DbcDatabase> dbc;
};

// A command line as read once, before anything runs: the arguments before
// the options, and every option's value, converted.
struct CliOptions
{
    // The arguments before the options (ID#DATA, FILE, NAME PASSWORD, MS).
    QStringList args;
    // can-time: the time to set, empty when MS is none the box takes.
    std::optional<quint32> canTime;
    // send: the frame of ID#DATA, empty when it is none.
    std::optional<quint16> canId;
    std::optional<QVector<uint8_t>> canData;
    // send --period, and --count and --seconds of send and monitor.
    bool periodic = false;
    qint64 periodMs = 0;
    qint64 count = -1;
    double seconds = -1;
    // replay --speed, --loop, --start-at.
    double speed = 1;
    qint64 loops = 1;
    double startAt = 0;
    // monitor and decode --format csv or jsonl, list --format json.
    bool csv = false;
    bool json = false;
    bool jsonl = false;
    // monitor and decode --dbc, in the order given.
    QStringList dbcFiles;
    // slcan --link.
    QString link;
    // socketcand's options; --listen given, which a non-loopback address needs.
    SocketcandConfig socketcand;
    bool listenGiven = false;
    // factory-reset --yes.
    bool yes = false;
    // wifi --open: an empty password is meant, the network will be open.
    bool openNetwork = false;
    // convert --from and --to.
    std::optional<CanSaveFormat> from;
    std::optional<CanSaveFormat> to;
    // monitor --output, its format told by the extension, and --rotate-mb or
    // --rotate-s (0: one file).
    QString output;
    CanSaveFormat outputFormat = CanSaveFormat::CandumpLog;
    qint64 rotateMb = 0;
    double rotateSeconds = 0;
};

// An option a command takes: `read` converts its value into the options and
// answers false for a bad one. A flag has no value; `read` gets an empty one.
struct CliOption
{
    const char *name;
    bool (*read)(const QString &value, CliOptions &options);
    bool takesValue = true;
    // May be given more than once (--dbc A --dbc B).
    bool repeats = false;
};

// One command of votkbox-cli: the help, the reading of its arguments and the
// dispatch all come from this entry.
struct CliCommand
{
    const char *name;
    // The arguments as shown in the help, after the name.
    const char *arguments;
    // The help text; a newline starts a continuation line.
    const char *help;
    // How many arguments come before the options: at least minArgs, up to
    // maxArgs, taken whatever they look like (a password may start with '-').
    int minArgs;
    int maxArgs;
    std::vector<CliOption> options;
    // Runs with the box open and connected, unless opensBox is false.
    int (*run)(CliContext &cli, const CliOptions &options);
    // Reads what needs all of them (send's frame, can-time's number) once the
    // options read fine one by one; the usage error, empty when they go
    // together. Null: nothing to check.
    QString (*checkArguments)(CliOptions &options) = nullptr;
    // Refuses input that cannot go to the box (exit CLI_REFUSED with a
    // message) before the box is opened, so nothing is sent; CLI_OK lets the
    // command run. Null: nothing to check.
    int (*checkInput)(CliContext &cli, const CliOptions &options) = nullptr;
    bool opensBox = true;
    // A usage error names the option at fault ("send: --count needs a
    // value"); otherwise it is `wrong`, or "wrong arguments for NAME".
    bool namesOption = false;
    const char *wrong = nullptr;
    // The arguments may come after the options too ("decode --dbc F CAPTURE"):
    // a word that starts with "--" is an option, any other an argument.
    bool anyOrder = false;
};

// Every command, in the order of the help.
const std::vector<CliCommand> &cliCommands();

// A box as `list` prints it: device path, serial number, manufacturer and
// product, tab-separated.
QString boxLine(const BoxInfo &box);

// The handlers, one file per group.
int cliList(CliContext &cli, const CliOptions &options);
int cliInfo(CliContext &cli, const CliOptions &options);
int cliWifi(CliContext &cli, const CliOptions &options);
int cliCanTime(CliContext &cli, const CliOptions &options);
int cliFactoryReset(CliContext &cli, const CliOptions &options);
int cliSend(CliContext &cli, const CliOptions &options);
int cliReplay(CliContext &cli, const CliOptions &options);
int cliMonitor(CliContext &cli, const CliOptions &options);
int cliUpgrade(CliContext &cli, const CliOptions &options);
int cliSlcan(CliContext &cli, const CliOptions &options);
int cliSocketcand(CliContext &cli, const CliOptions &options);
int cliDecode(CliContext &cli, const CliOptions &options);
int cliConvert(CliContext &cli, const CliOptions &options);

// Their checks of arguments (usage) and of input (refused).
QString sendArguments(CliOptions &options);
int checkWifiInput(CliContext &cli, const CliOptions &options);
int checkCanTimeInput(CliContext &cli, const CliOptions &options);
int checkSendInput(CliContext &cli, const CliOptions &options);
int checkReplayInput(CliContext &cli, const CliOptions &options);
int checkMonitorInput(CliContext &cli, const CliOptions &options);
int checkUpgradeInput(CliContext &cli, const CliOptions &options);
int checkSlcanInput(CliContext &cli, const CliOptions &options);
int checkDecodeInput(CliContext &cli, const CliOptions &options);
