// list: the boxes plugged in, without opening or locking any.
#include "clitable.h"
#include "devicelink.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// A tab or line break inside a field would split it; a space keeps the line whole.
QString field(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}
} // namespace

QString boxLine(const BoxInfo &box)
{
    return QStringList{field(box.path), field(box.serialNumber), field(box.manufacturer),
                       field(box.product)}
        .join(QLatin1Char('\t'));
}

int cliList(CliContext &cli, const CliOptions &options)
{
    const bool json = options.json;
    const BoxSelector which{cli.device, cli.serial};
    std::vector<BoxInfo> boxes;
    for (const BoxInfo &box : cli.link.boxes())
        if (which.matches(box))
            boxes.push_back(box);
    if (json) {
        QJsonArray array;
        for (const BoxInfo &box : boxes)
            array.append(QJsonObject{{QStringLiteral("path"), box.path},
                                     {QStringLiteral("serial_number"), box.serialNumber},
                                     {QStringLiteral("manufacturer"), box.manufacturer},
                                     {QStringLiteral("product"), box.product}});
        // An empty list is still a list for the script that parses it.
        cli.out << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
    } else {
        for (const BoxInfo &box : boxes)
            cli.out << boxLine(box) << '\n';
    }
    cli.out.flush();
    if (boxes.empty())
        return cli.fail(CLI_NO_BOX, QStringLiteral("no VOTK-WIFI BOX found on the USB ports"));
    return CLI_OK;
}
