// The commands that ask the box one thing: identity, WiFi, CAN time and
// factory reset.
#include "boxcommands.h"
#include "cantext.h"
#include "clioutput.h"
#include "clitable.h"
#include "replydecode.h"
#include "wifitext.h"

#include <QMap>

int cliInfo(CliContext &cli, const CliOptions &)
{
    const BoxAnswer<QString> softwareId = BoxCommands::softwareId(cli.link);
    const BoxAnswer<quint32> version = BoxCommands::softwareVersion(cli.link);
    const BoxAnswer<QString> hardwareId = BoxCommands::hardwareId(cli.link);
    const BoxAnswer<QStringList> wifi = BoxCommands::wifiInfo(cli.link);
    if (!softwareId.answered || !version.answered || !hardwareId.answered || !wifi.answered)
        return cli.noAnswer(QStringLiteral("the identity requests"));
    const QString lines = QStringLiteral("software_id: %1\nsoftware_version: %2\nhardware_id: %3\n"
                                         "wifi_name: %4\nwifi_password: %5\n")
                              // One pass: a box text holding "%2" stays as it is.
                              .arg(*softwareId.value, QString::number(*version.value),
                                   *hardwareId.value, wifi.value->value(0), wifi.value->value(1));
    if (!writeData(cli, lines))
        return outputFailed(cli);
    return CLI_OK;
}

int checkWifiInput(CliContext &cli, const CliOptions &options)
{
    static const QMap<WifiTextProblem, QString> refusals = {
        {WifiTextProblem::EmptyName, QStringLiteral("the WiFi name is empty")},
        {WifiTextProblem::NameComma, QStringLiteral("the WiFi name contains a comma")},
        {WifiTextProblem::NameNotLatin1,
         QStringLiteral("the WiFi name has characters the box cannot store")},
        {WifiTextProblem::PasswordComma, QStringLiteral("the WiFi password contains a comma")},
        {WifiTextProblem::PasswordNotLatin1,
         QStringLiteral("the WiFi password has characters the box cannot store")},
        {WifiTextProblem::NameControl,
         QStringLiteral("the WiFi name contains a control character (newline, tab, ...)")},
        {WifiTextProblem::PasswordControl,
         QStringLiteral("the WiFi password contains a control character (newline, tab, ...)")},
        {WifiTextProblem::TooLong,
         QStringLiteral("the WiFi name and password together are longer than %1 characters")
             .arg(wifiTextMax())},
        {WifiTextProblem::NameTooLong,
         QStringLiteral("the WiFi name is longer than %1 characters").arg(kWifiNameMax)},
        {WifiTextProblem::PasswordNotAscii,
         QStringLiteral("the WiFi password may hold printable ASCII characters only")},
        {WifiTextProblem::PasswordTooShort,
         QStringLiteral("the WiFi password is shorter than %1 characters").arg(kWifiPasswordMin)},
        {WifiTextProblem::PasswordTooLong,
         QStringLiteral("the WiFi password is longer than %1 characters").arg(kWifiPasswordMax)},
        {WifiTextProblem::OpenNetwork,
         QStringLiteral("an empty WiFi password makes an open network that anyone in range can "
                        "join: confirm with --open")},
    };
    const WifiTextProblem problem = checkWifiText(options.args.at(0), options.args.at(1));
    if (problem == WifiTextProblem::OpenNetwork && options.openNetwork)
        return CLI_OK;
    if (problem != WifiTextProblem::None)
        return cli.fail(CLI_REFUSED, refusals.value(problem));
    return CLI_OK;
}

int cliWifi(CliContext &cli, const CliOptions &options)
{
    if (!BoxCommands::setWifiInfo(cli.link, options.args.at(0), options.args.at(1)).answered)
        return cli.noAnswer(QStringLiteral("the WiFi setting"));
    return CLI_OK;
}

int checkCanTimeInput(CliContext &cli, const CliOptions &options)
{
    if (!options.args.isEmpty() && !options.canTime)
        return cli.fail(CLI_REFUSED, QStringLiteral("the CAN time must be 0 to %1 ms, not %2")
                                         .arg(CAN_TIME_MAX)
                                         .arg(options.args.at(0).trimmed()));
    return CLI_OK;
}

int cliCanTime(CliContext &cli, const CliOptions &options)
{
    if (!options.canTime) {
        const std::optional<int> time = BoxCommands::canTime(cli.link).value;
        if (!time)
            return cli.noAnswer(QStringLiteral("the CAN time request"));
        if (!writeData(cli, QString::number(*time) + QLatin1Char('\n')))
            return outputFailed(cli);
        return CLI_OK;
    }
    const BoxAnswer<uint8_t> set = BoxCommands::setCanTime(cli.link, *options.canTime);
    if (!set.value)
        return cli.noAnswer(QStringLiteral("the CAN time setting"));
    // The box may get another value than typed (at least 5): show the one it got.
    if (!writeData(cli, QString::number(int(*set.value)) + QLatin1Char('\n')))
        return outputFailed(cli);
    return CLI_OK;
}

int cliFactoryReset(CliContext &cli, const CliOptions &)
{
    if (!BoxCommands::wifiFactoryReset(cli.link).answered)
        return cli.noAnswer(QStringLiteral("the factory reset"));
    return CLI_OK;
}
