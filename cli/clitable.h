#pragma once

#include "cantxworker.h"
#include "cliexit.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <vector>

class QIODevice;
struct BoxInfo;

// Where a command writes: its data to `out` (see clioutput.h), everything
// said to a person, in English, to `err`.
class CliContext
{
public:
    CliContext(QIODevice *out, QIODevice *err, bool tty) : out(out), err(err), tty(tty) {}

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
};

// One command of votkbox-cli: the help, the argument check and the dispatch
// all come from this entry.
struct CliCommand
{
    const char *name;
    // The arguments as shown in the help, after the name.
    const char *arguments;
    // The help text; a newline starts a continuation line.
    const char *help;
    // The usage error for `args`, empty when they are fine; told before
    // anything touches the box.
    QString (*checkArguments)(const QStringList &args);
    // Runs with the box open and connected, unless opensBox is false.
    int (*run)(CliContext &cli, const QStringList &args);
    // Refuses input that cannot go to the box (exit CLI_REFUSED with a
    // message) before the box is opened, so nothing is sent; CLI_OK lets the
    // command run. Null: nothing to check.
    int (*checkInput)(CliContext &cli, const QStringList &args) = nullptr;
    bool opensBox = true;
};

// Every command, in the order of the help.
const std::vector<CliCommand> &cliCommands();

// A box as `list` prints it: device path, serial number, manufacturer and
// product, tab-separated.
QString boxLine(const BoxInfo &box);

// The handlers, one file per group.
int cliList(CliContext &cli, const QStringList &args);
int cliInfo(CliContext &cli, const QStringList &args);
int cliWifi(CliContext &cli, const QStringList &args);
int cliCanTime(CliContext &cli, const QStringList &args);
int cliFactoryReset(CliContext &cli, const QStringList &args);
int cliSend(CliContext &cli, const QStringList &args);
int cliReplay(CliContext &cli, const QStringList &args);
int cliMonitor(CliContext &cli, const QStringList &args);
int cliUpgrade(CliContext &cli, const QStringList &args);
int cliSlcan(CliContext &cli, const QStringList &args);
QString cliSlcanArguments(const QStringList &args);

// Their checks of arguments (usage) and of input (refused).
QString sendArguments(const QStringList &args);
QString replayArguments(const QStringList &args);
QString checkMonitorArguments(const QStringList &args);
int checkWifiInput(CliContext &cli, const QStringList &args);
int checkCanTimeInput(CliContext &cli, const QStringList &args);
int checkSendInput(CliContext &cli, const QStringList &args);
int checkReplayInput(CliContext &cli, const QStringList &args);
int checkMonitorInput(CliContext &cli, const QStringList &args);
int checkUpgradeInput(CliContext &cli, const QStringList &args);
int checkSlcanInput(CliContext &cli, const QStringList &args);
