#include "transmitlist.h"

#include "cantext.h"

#include <QRegularExpression>

namespace {
const char kHeader[] = "# votkbox transmit list 1";
constexpr int kMaxIdText = 8;
constexpr int kMaxDataText = 23;
constexpr int kMaxCounterByte = 7;

bool isHexText(const QString &text, int maxLength, bool spaces)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]*$"));
    static const QRegularExpression hexSpaces(QStringLiteral("^[0-9A-Fa-f ]*$"));
    return text.size() <= maxLength && (spaces ? hexSpaces : hex).match(text).hasMatch();
}

// A decimal number from `low` to `high`, nothing else around it.
std::optional<int> boundedNumber(const QString &text, int low, int high)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const qint64 value = text.toLongLong();
    if (value < low || value > high)
        return std::nullopt;
    return int(value);
}
} // namespace

bool TransmitRow::operator==(const TransmitRow &other) const
{
    return name == other.name && id == other.id && data == other.data &&
           periodMs == other.periodMs && count == other.count && counterByte == other.counterByte &&
           enabled == other.enabled;
}

TransmitFrame transmitFrame(const TransmitRow &row)
{
    TransmitFrame frame;
    if (row.id.isEmpty() || row.data.isEmpty()) {
        frame.problem = TransmitProblem::Empty;
        return frame;
    }
    const std::optional<quint16> id = parseCanId(row.id);
    if (!id) {
        frame.problem = TransmitProblem::BadId;
        return frame;
    }
    const std::optional<QVector<uint8_t>> data = parseCanData(row.data);
    if (!data) {
        frame.problem = TransmitProblem::BadData;
        return frame;
    }
    if (row.counterByte >= data->size()) {
        frame.problem = TransmitProblem::CounterPastData;
        return frame;
    }
    frame.id = *id;
    frame.data = *data;
    return frame;
}

QVector<uint8_t> countedData(QVector<uint8_t> data, int counterByte, qint64 steps)
{
    if (counterByte >= 0 && counterByte < data.size())
        data[counterByte] = uint8_t(data.at(counterByte) + (steps & 0xFF));
    return data;
}

CanTxWorker::Schedule transmitSchedule(const TransmitFrame &frame, int counterByte, qint64 periodNs,
                                       int count)
{
    const CanTxWorker::Schedule each =
        CanTxWorker::periodic(frame.id, frame.data, periodNs, count > 0 ? count : -1, -1);
    if (counterByte < 0)
        return each;
    return [each, counterByte](qint64 index, ScheduledCanFrame &out) {
        if (!each(index, out))
            return false;
        out.data = countedData(out.data, counterByte, index);
        return true;
    };
}

QString transmitRowLine(const TransmitRow &row)
{
    // A tab or line end in a name would split the line: they become spaces.
    QString name = row.name;
    for (QChar &c : name)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return QStringList{row.enabled ? QStringLiteral("on") : QStringLiteral("off"),
                       row.id,
                       row.data,
                       QString::number(row.periodMs),
                       QString::number(row.count),
                       row.counterByte < 0 ? QStringLiteral("-") : QString::number(row.counterByte),
                       name}
        .join(QLatin1Char('\t'));
}

QByteArray transmitListText(const QVector<TransmitRow> &rows)
{
    QByteArray text = QByteArray(kHeader) + '\n';
    for (const TransmitRow &row : rows)
        text += transmitRowLine(row).toUtf8() + '\n';
    return text;
}

std::optional<TransmitRow> readTransmitRowLine(const QString &line,
                                               TransmitListRead::Problem *problem)
{
    TransmitListRead::Problem dummy;
    TransmitListRead::Problem &why = problem ? *problem : dummy;
    why = TransmitListRead::None;
    // The name may hold anything but a tab: at most seven fields.
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 7) {
        why = TransmitListRead::Fields;
        return std::nullopt;
    }
    TransmitRow row;
    if (fields.at(0) != QLatin1String("on") && fields.at(0) != QLatin1String("off")) {
        why = TransmitListRead::OnOff;
        return std::nullopt;
    }
    row.enabled = fields.at(0) == QLatin1String("on");
    if (!isHexText(fields.at(1), kMaxIdText, false)) {
        why = TransmitListRead::Id;
        return std::nullopt;
    }
    row.id = fields.at(1);
    if (!isHexText(fields.at(2), kMaxDataText, true)) {
        why = TransmitListRead::Data;
        return std::nullopt;
    }
    row.data = fields.at(2);
    const std::optional<int> period =
        boundedNumber(fields.at(3), kTransmitMinPeriodMs, kTransmitMaxPeriodMs);
    if (!period) {
        why = TransmitListRead::Period;
        return std::nullopt;
    }
    row.periodMs = *period;
    const std::optional<int> count = boundedNumber(fields.at(4), 0, kTransmitMaxCount);
    if (!count) {
        why = TransmitListRead::Count;
        return std::nullopt;
    }
    row.count = *count;
    if (fields.at(5) != QLatin1String("-")) {
        const std::optional<int> counter = boundedNumber(fields.at(5), 0, kMaxCounterByte);
        if (!counter) {
            why = TransmitListRead::Counter;
            return std::nullopt;
        }
        row.counterByte = *counter;
    }
    row.name = fields.at(6);
    return row;
}

TransmitListRead readTransmitList(const QByteArray &text)
{
    TransmitListRead read;
    QVector<TransmitRow> rows;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = QString::fromUtf8(lines.at(i));
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (i == 0) {
            if (line != QLatin1String(kHeader)) {
                read.line = 1;
                read.problem = TransmitListRead::NotAList;
                return read;
            }
            continue;
        }
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        TransmitListRead::Problem problem;
        const std::optional<TransmitRow> row = readTransmitRowLine(line, &problem);
        if (!row) {
            read.line = i + 1;
            read.problem = problem;
            return read;
        }
        rows.append(*row);
    }
    read.rows = rows;
    return read;
}
