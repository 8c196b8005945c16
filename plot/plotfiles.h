#pragma once

#include "dbcdatabase.h"
#include "plotseries.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class QIODevice;

// One column of the CSV: a plotted signal's name, unit and samples.
struct PlotCsvSignal
{
    QString name;
    QString unit;
    const PlotSeries *series = nullptr;
};

// Writes "time,signal,value,unit" and a line per sample of each signal in
// [fromUs, toUs], in time order; time in seconds since `originUs`, values
// as the shortest text that reads back the same. False when writing failed.
bool writePlotCsv(QIODevice &out, const std::vector<PlotCsvSignal> &columns, qint64 fromUs,
                  qint64 toUs, qint64 originUs);

// A signal of a saved layout: a database's by message and signal name, or
// one defined by hand.
struct PlotLayoutSignal
{
    QString message; // empty: defined by hand
    QString signal;
    quint32 id = 0;
    int startBit = 0;
    int length = 8;
    DbcByteOrder order = DbcByteOrder::Intel;
    bool isSigned = false;
    double factor = 1;
    double offset = 0;
    QString colour; // "#rrggbb", empty for the next free one
    bool hidden = false;
};

// The most a layout file may hold: more is no layout anyone drew.
constexpr int kPlotMaxPanes = 16;
constexpr int kPlotMaxSignalsPerPane = 64;

// The signals of each pane, top pane first.
using PlotLayout = std::vector<std::vector<PlotLayoutSignal>>;

QByteArray plotLayoutText(const PlotLayout &layout);
// Reads a saved layout; nothing, with the reason in `error`, when the text
// is not one.
std::optional<PlotLayout> parsePlotLayout(const QByteArray &text, QString *error);
