#include "plotpane.h"

#include "dbccodec.h"
#include "plotfeed.h"
#include "plotseries.h"

#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_marker.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_widget.h>
#include <qwt_series_data.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

const char *const kPlotSignalMime = "application/x-votkbox-plot-signal";

// A curve's points: what the visible range of its signal reduces to, made
// again at each redraw from the signal's own samples. The widget never
// holds more than a few points per pixel column.
class ReducedSeries : public QwtSeriesData<QPointF>
{
public:
    explicit ReducedSeries(const PlotSeries *series) : m_series(series) {}

    void update(qint64 fromUs, qint64 toUs, int columns, qint64 originUs)
    {
        m_points = plotPoints(*m_series, fromUs, toUs, columns, originUs);
        m_bounds = QRectF(1, 1, -2, -2);
        if (m_points.empty())
            return;
        double low = m_points.front().y();
        double high = low;
        for (const QPointF &p : m_points) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
        const double left = (double(fromUs) - double(originUs)) / 1e6;
        const double right = (double(toUs) - double(originUs)) / 1e6;
        m_bounds = QRectF(QPointF(left, low), QPointF(right, high));
    }
    size_t size() const override { return m_points.size(); }
    QPointF sample(size_t i) const override { return m_points[i]; }
    QRectF boundingRect() const override { return m_bounds; }

private:
    const PlotSeries *m_series;
    std::vector<QPointF> m_points;
    QRectF m_bounds{1, 1, -2, -2};
};

namespace {
// The value axis of a signal with a value table: its texts at their values.
class ValueTableScaleDraw : public QwtScaleDraw
{
public:
    explicit ValueTableScaleDraw(std::vector<std::pair<double, QString>> labels)
        : m_labels(std::move(labels))
    {
    }
    QwtText label(double value) const override
    {
        for (const auto &l : m_labels)
            if (std::abs(l.first - value) <= 1e-9 * std::max(1.0, std::abs(value)))
                return QwtText(QStringLiteral("%1 %2").arg(dbcNumberText(value), l.second));
        return QwtScaleDraw::label(value);
    }

private:
    std::vector<std::pair<double, QString>> m_labels;
};

constexpr double kWheelZoom = 0.8;
constexpr int kClickSlack = 3;
} // namespace

PlotPane::PlotPane(const PlotFeed *feed, QWidget *parent) : QwtPlot(parent), m_feed(feed)
{
    setAutoReplot(false);
    setMinimumHeight(120);
    setAcceptDrops(true);
    setAxisAutoScale(QwtPlot::yLeft, true);
    auto *grid = new QwtPlotGrid;
    grid->setPen(QColor(0, 0, 0, 40), 0, Qt::DotLine);
    grid->attach(this);
    for (int i = 0; i < 2; ++i) {
        m_cursor[i] = new QwtPlotMarker;
        m_cursor[i]->setLineStyle(QwtPlotMarker::VLine);
        m_cursor[i]->setLinePen(i == 0 ? QColor(200, 0, 0) : QColor(0, 0, 200), 1, Qt::DashLine);
        m_cursor[i]->setItemAttribute(QwtPlotItem::AutoScale, false);
        m_cursor[i]->attach(this);
        m_cursor[i]->hide();
    }
    auto *legend = new QwtLegend;
    legend->setDefaultItemMode(QwtLegendData::Checkable);
    // Above the canvas, so that every pane's canvas is as wide as the others'.
    insertLegend(legend, QwtPlot::TopLegend);
    connect(legend, &QwtLegend::checked, this, [this](const QVariant &info, bool on, int) {
        if (QwtPlotItem *item = infoToItem(info)) {
            item->setVisible(on);
            replot();
        }
    });
    canvas()->installEventFilter(this);
    canvas()->setFocusPolicy(Qt::ClickFocus);
}

PlotPane::~PlotPane() = default;

void PlotPane::addCurve(int handle, const QColor &colour, bool visible)
{
    auto *curve = new QwtPlotCurve(m_feed->signal(handle).name());
    auto *data = new ReducedSeries(&m_feed->series(handle));
    curve->setData(data); // the curve owns it
    curve->setPen(colour, 1);
    curve->setRenderHint(QwtPlotItem::RenderAntialiased, false);
    curve->setPaintAttribute(QwtPlotCurve::FilterPoints, false);
    curve->attach(this);
    curve->setVisible(visible);
    m_curves.push_back({handle, curve, data});
    if (auto *legend = qobject_cast<QwtLegend *>(this->legend()))
        if (auto *label = qobject_cast<QwtLegendLabel *>(legend->legendWidget(itemToInfo(curve)))) {
            label->setChecked(visible);
            label->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(label, &QWidget::customContextMenuRequested, this,
                    [this, handle] { emit colourRequested(handle); });
        }
    updateValueLabels();
    refresh();
}

void PlotPane::removeCurve(int handle)
{
    const auto it = std::find_if(m_curves.begin(), m_curves.end(),
                                 [handle](const Curve &c) { return c.handle == handle; });
    if (it == m_curves.end())
        return;
    it->curve->detach();
    delete it->curve;
    m_curves.erase(it);
    updateValueLabels();
    refresh();
}

std::vector<int> PlotPane::handles() const
{
    std::vector<int> out;
    for (const Curve &c : m_curves)
        out.push_back(c.handle);
    return out;
}

const PlotPane::Curve *PlotPane::find(int handle) const
{
    for (const Curve &c : m_curves)
        if (c.handle == handle)
            return &c;
    return nullptr;
}

bool PlotPane::curveVisible(int handle) const
{
    const Curve *c = find(handle);
    return c && c->curve->isVisible();
}

void PlotPane::setCurveVisible(int handle, bool visible)
{
    if (const Curve *c = find(handle)) {
        c->curve->setVisible(visible);
        if (auto *legend = qobject_cast<QwtLegend *>(this->legend()))
            if (auto *label =
                    qobject_cast<QwtLegendLabel *>(legend->legendWidget(itemToInfo(c->curve))))
                label->setChecked(visible);
        replot();
    }
}

QColor PlotPane::colour(int handle) const
{
    const Curve *c = find(handle);
    return c ? c->curve->pen().color() : QColor();
}

void PlotPane::setColour(int handle, const QColor &colour)
{
    if (const Curve *c = find(handle)) {
        c->curve->setPen(colour, 1);
        replot();
    }
}

void PlotPane::updateValueLabels()
{
    std::vector<std::pair<double, QString>> labels;
    for (const Curve &c : m_curves) {
        const DbcSignal &s = m_feed->signal(c.handle).signal;
        if (s.labels.empty())
            continue;
        for (const auto &l : s.labels)
            labels.emplace_back(double(l.first) * s.factor + s.offset, l.second);
        break;
    }
    setAxisScaleDraw(QwtPlot::yLeft, labels.empty() ? new QwtScaleDraw
                                                    : new ValueTableScaleDraw(std::move(labels)));
}

void PlotPane::setView(qint64 fromUs, qint64 toUs, qint64 originUs)
{
    m_fromUs = fromUs;
    m_toUs = std::max(toUs, fromUs + 1);
    m_originUs = originUs;
    refresh();
}

void PlotPane::refresh()
{
    const int columns = std::max(1, canvas()->contentsRect().width());
    for (const Curve &c : m_curves)
        c.data->update(m_fromUs, m_toUs, columns, m_originUs);
    setAxisScale(QwtPlot::xBottom, (double(m_fromUs) - double(m_originUs)) / 1e6,
                 (double(m_toUs) - double(m_originUs)) / 1e6);
    replot();
}

size_t PlotPane::pointsDrawn() const
{
    size_t n = 0;
    for (const Curve &c : m_curves)
        n += c.data->size();
    return n;
}

void PlotPane::setCursors(std::optional<double> first, std::optional<double> second)
{
    const std::optional<double> at[2] = {first, second};
    for (int i = 0; i < 2; ++i) {
        m_cursor[i]->setVisible(at[i].has_value());
        if (at[i])
            m_cursor[i]->setXValue(*at[i]);
    }
    replot();
}

int PlotPane::valueAxisExtent() const
{
    const QwtScaleWidget *axis = axisWidget(QwtPlot::yLeft);
    return axis->scaleDraw()->extent(axis->font());
}

void PlotPane::setValueAxisExtent(int pixels)
{
    if (axisWidget(QwtPlot::yLeft)->scaleDraw()->minimumExtent() == pixels)
        return;
    axisWidget(QwtPlot::yLeft)->scaleDraw()->setMinimumExtent(pixels);
    updateLayout();
    refresh();
}

double PlotPane::canvasSeconds(int x) const
{
    return canvasMap(QwtPlot::xBottom).invTransform(x);
}

bool PlotPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != canvas())
        return QwtPlot::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Wheel: {
        auto *wheel = static_cast<QWheelEvent *>(event);
        const int steps = wheel->angleDelta().y() / 120;
        if (steps != 0)
            emit zoomRequested(std::pow(kWheelZoom, steps),
                               canvasSeconds(int(wheel->position().x())));
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressX = mouse->pos().x();
            m_lastX = mouse->pos().x();
            m_dragged = false;
        }
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_pressX) {
            if (std::abs(mouse->pos().x() - *m_pressX) > kClickSlack)
                m_dragged = true;
            if (m_dragged) {
                emit panRequested(canvasSeconds(m_lastX) - canvasSeconds(mouse->pos().x()));
                m_lastX = mouse->pos().x();
            }
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_pressX && mouse->button() == Qt::LeftButton && !m_dragged)
            emit cursorRequested((mouse->modifiers() & Qt::ShiftModifier) ? 1 : 0,
                                 canvasSeconds(mouse->pos().x()));
        m_pressX.reset();
        return true;
    }
    case QEvent::Resize:
        refresh();
        return false;
    default:
        return QwtPlot::eventFilter(watched, event);
    }
}

void PlotPane::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(QLatin1String(kPlotSignalMime)))
        event->acceptProposedAction();
}

void PlotPane::dropEvent(QDropEvent *event)
{
    emit signalDropped(event->mimeData()->data(QLatin1String(kPlotSignalMime)));
    event->acceptProposedAction();
}
