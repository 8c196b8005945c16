#include "plotfiles.h"

#include "dbccodec.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

// Seconds with six decimals, exactly: no rounding through a double.
QByteArray secondsText(qint64 us)
{
    const bool negative = us < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(us) : quint64(us);
    return (negative ? "-" : "") + QByteArray::number(magnitude / 1000000) + '.' +
           QByteArray::number(magnitude % 1000000).rightJustified(6, '0');
}

constexpr int kLayoutVersion = 1;
} // namespace

bool writePlotCsv(QIODevice &out, const std::vector<PlotCsvSignal> &columns, qint64 fromUs,
                  qint64 toUs, qint64 originUs)
{
    if (out.write("time,signal,value,unit\n") < 0)
        return false;
    struct Cursor
    {
        qint64 next;
        qint64 end;
        QByteArray name;
        QByteArray unit;
    };
    std::vector<Cursor> cursors;
    for (const PlotCsvSignal &c : columns) {
        const qint64 end = toUs == std::numeric_limits<qint64>::max()
                               ? c.series->size()
                               : c.series->lowerBound(toUs + 1);
        cursors.push_back({c.series->lowerBound(fromUs), end, csvField(c.name), csvField(c.unit)});
    }
    QByteArray line;
    for (;;) {
        int pick = -1;
        qint64 pickUs = 0;
        for (size_t k = 0; k < cursors.size(); ++k) {
            const Cursor &c = cursors[k];
            if (c.next >= c.end)
                continue;
            const qint64 t = columns[k].series->timeUs(c.next);
            if (pick < 0 || t < pickUs) {
                pick = int(k);
                pickUs = t;
            }
        }
        if (pick < 0)
            return true;
        Cursor &c = cursors[size_t(pick)];
        const double value = columns[size_t(pick)].series->value(c.next++);
        line = secondsText(qint64(quint64(pickUs) - quint64(originUs))) + ',' + c.name + ',' +
               (std::isnan(value) ? QByteArray() : dbcNumberText(value).toUtf8()) + ',' + c.unit +
               '\n';
        if (out.write(line) != line.size())
            return false;
    }
}

QByteArray plotLayoutText(const PlotLayout &layout)
{
    QJsonArray panes;
    for (const auto &pane : layout) {
        QJsonArray list;
        for (const PlotLayoutSignal &s : pane) {
            QJsonObject o;
            if (!s.message.isEmpty()) {
                o[QStringLiteral("message")] = s.message;
                o[QStringLiteral("signal")] = s.signal;
            } else {
                o[QStringLiteral("id")] = int(s.id);
                o[QStringLiteral("start")] = s.startBit;
                o[QStringLiteral("length")] = s.length;
                o[QStringLiteral("motorola")] = s.order == DbcByteOrder::Motorola;
                o[QStringLiteral("signed")] = s.isSigned;
                o[QStringLiteral("factor")] = s.factor;
                o[QStringLiteral("offset")] = s.offset;
            }
            if (!s.colour.isEmpty())
                o[QStringLiteral("colour")] = s.colour;
            if (s.hidden)
                o[QStringLiteral("hidden")] = true;
            list.append(o);
        }
        panes.append(list);
    }
    QJsonObject root;
    root[QStringLiteral("votkbox_plot")] = kLayoutVersion;
    root[QStringLiteral("panes")] = panes;
    return QJsonDocument(root).toJson();
}

std::optional<PlotLayout> parsePlotLayout(const QByteArray &text, QString *error)
{
    auto fail = [error](const char *why) {
        if (error)
            *error = QCoreApplication::translate("PlotFiles", why);
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
    const QJsonObject root = doc.object();
    if (doc.isNull() || !root.contains(QStringLiteral("votkbox_plot")) ||
        !root.value(QStringLiteral("panes")).isArray())
        return fail(QT_TRANSLATE_NOOP("PlotFiles", "不是信号图布局文件"));
    PlotLayout layout;
    const QJsonArray panes = root.value(QStringLiteral("panes")).toArray();
    if (panes.size() > kPlotMaxPanes)
        return fail(QT_TRANSLATE_NOOP("PlotFiles", "布局文件的窗格或信号过多"));
    for (const QJsonValue &paneValue : panes) {
        if (!paneValue.isArray())
            return fail(QT_TRANSLATE_NOOP("PlotFiles", "布局文件中的窗格不是列表"));
        if (paneValue.toArray().size() > kPlotMaxSignalsPerPane)
            return fail(QT_TRANSLATE_NOOP("PlotFiles", "布局文件的窗格或信号过多"));
        std::vector<PlotLayoutSignal> pane;
        for (const QJsonValue &v : paneValue.toArray()) {
            const QJsonObject o = v.toObject();
            PlotLayoutSignal s;
            s.message = o.value(QStringLiteral("message")).toString();
            s.signal = o.value(QStringLiteral("signal")).toString();
            s.id = quint32(o.value(QStringLiteral("id")).toInt(-1));
            s.startBit = o.value(QStringLiteral("start")).toInt(-1);
            s.length = o.value(QStringLiteral("length")).toInt(0);
            s.order = o.value(QStringLiteral("motorola")).toBool() ? DbcByteOrder::Motorola
                                                                   : DbcByteOrder::Intel;
            s.isSigned = o.value(QStringLiteral("signed")).toBool();
            s.factor = o.value(QStringLiteral("factor")).toDouble(1);
            s.offset = o.value(QStringLiteral("offset")).toDouble(0);
            s.colour = o.value(QStringLiteral("colour")).toString();
            s.hidden = o.value(QStringLiteral("hidden")).toBool();
            if (s.message.isEmpty() ? s.length == 0 : s.signal.isEmpty())
                return fail(QT_TRANSLATE_NOOP("PlotFiles", "布局文件中的信号缺少名称或位置"));
            pane.push_back(s);
        }
        layout.push_back(std::move(pane));
    }
    return layout;
}
