// The commands that ask the box one thing: identity, WiFi, CAN time, factory
// reset and one CAN frame.
#include "boxcommands.h"
#include "cantext.h"
#include "clitable.h"
#include "wifitext.h"

#include <QMap>

int cliInfo(CliContext &cli, const QStringList &)
{
    const BoxAnswer<QString> softwareId = BoxCommands::softwareId();
    const BoxAnswer<quint32> version = BoxCommands::softwareVersion();
    const BoxAnswer<QString> hardwareId = BoxCommands::hardwareId();
    const BoxAnswer<QStringList> wifi = BoxCommands::wifiInfo();
    if (!softwareId.answered || !version.answered || !hardwareId.answered || !wifi.answered)
        return cli.noAnswer(QStringLiteral("the identity requests"));
    cli.out << "software_id: " << *softwareId.value << '\n'
            << "software_version: " << *version.value << '\n'
            << "hardware_id: " << *hardwareId.value << '\n'
            << "wifi_name: " << wifi.value->value(0) << '\n'
            << "wifi_password: " << wifi.value->value(1) << '\n';
    return CLI_OK;
}

int cliWifi(CliContext &cli, const QStringList &args)
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
        return cli.fail(CLI_REFUSED, refusals.value(problem));
    if (!BoxCommands::setWifiInfo(args.at(0), args.at(1)).answered)
        return cli.noAnswer(QStringLiteral("the WiFi setting"));
    return CLI_OK;
}

int cliCanTime(CliContext &cli, const QStringList &args)
{
    if (args.isEmpty()) {
        const std::optional<int> time = BoxCommands::canTime().value;
        if (!time)
            return cli.noAnswer(QStringLiteral("the CAN time request"));
        cli.out << *time << '\n';
        return CLI_OK;
    }
    bool ok = false;
    const quint32 number = args.at(0).toUInt(&ok, 10);
    if (!ok)
        return cli.usage(QStringLiteral("the CAN time must be a number of milliseconds, not \"%1\"")
                             .arg(args.at(0)));
    const BoxAnswer<uint8_t> set = BoxCommands::setCanTime(number);
    if (!set.value)
        return cli.noAnswer(QStringLiteral("the CAN time setting"));
    // The box may get another value than typed: show the one it got.
    cli.out << int(*set.value) << '\n';
    return CLI_OK;
}

int cliFactoryReset(CliContext &cli, const QStringList &)
{
    if (!BoxCommands::wifiFactoryReset().answered)
        return cli.noAnswer(QStringLiteral("the factory reset"));
    return CLI_OK;
}

int cliSend(CliContext &cli, const QStringList &args)
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
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("\"%1\" is no CAN frame: ID#DATA with an ID of 1 to 3 "
                                       "hex digits up to 7FF and up to 8 data bytes as hex "
                                       "digit pairs, e.g. 7DF#02010C")
                            .arg(text));
    // Frames go out without a reply, as from the window.
    if (!BoxCommands::sendCanFrame(*id, *data).sent)
        return cli.fail(CLI_NO_BOX, QStringLiteral("the frame could not be written to the box"));
    return CLI_OK;
}
