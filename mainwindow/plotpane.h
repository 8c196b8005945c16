#pragma once

#include <qwt_interval.h>
#include <qwt_plot.h>

#include <QColor>

#include <optional>
#include <vector>

class PlotFeed;
class QwtPlotCurve;
class QwtPlotMarker;
class ReducedSeries;

// One pane of a plot window: the curves of some signals over the window's
// shared time axis (seconds since the window's zero). It draws only what the
// visible range reduces to on its width; zooming, panning and cursors are
// asked of the window, which keeps every pane on the same time range.
class PlotPane : public QwtPlot
{
    Q_OBJECT
public:
    PlotPane(const PlotFeed *feed, QWidget *parent = nullptr);
    ~PlotPane() override;

    void addCurve(int handle, const QColor &colour, bool visible = true);
    void removeCurve(int handle);
    std::vector<int> handles() const;
    bool curveVisible(int handle) const;
    void setCurveVisible(int handle, bool visible);
    QColor colour(int handle) const;
    void setColour(int handle, const QColor &colour);

    // Shows [fromUs, toUs) with `originUs` at zero and redraws.
    void setView(qint64 fromUs, qint64 toUs, qint64 originUs);
    // Cursor lines at these seconds, none where unset.
    void setCursors(std::optional<double> first, std::optional<double> second);
    QwtInterval timeAxis() const { return axisInterval(QwtPlot::xBottom); }
    QwtInterval valueAxis() const { return axisInterval(QwtPlot::yLeft); }
    // The value axis's width its labels need, and the width it takes: the
    // window gives every pane the widest, so that their times line up.
    int valueAxisExtent() const;
    void setValueAxisExtent(int pixels);
    // Points handed to the widget at the last redraw, over every curve.
    size_t pointsDrawn() const;

signals:
    // `factor` < 1 zooms in, around `centre` seconds.
    void zoomRequested(double factor, double centre);
    void panRequested(double seconds);
    void cursorRequested(int which, double seconds);
    void colourRequested(int handle);
    // The signal tree's entry `payload` was dropped here.
    void signalDropped(const QByteArray &payload);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct Curve
    {
        int handle;
        QwtPlotCurve *curve;
        ReducedSeries *data;
    };
    const Curve *find(int handle) const;
    void updateValueLabels();
    void refresh();
    double canvasSeconds(int x) const;

    const PlotFeed *m_feed;
    std::vector<Curve> m_curves;
    QwtPlotMarker *m_cursor[2];
    qint64 m_fromUs = 0;
    qint64 m_toUs = 1;
    qint64 m_originUs = 0;
    // A drag pans; a press released where it began sets a cursor.
    std::optional<int> m_pressX;
    int m_lastX = 0;
    bool m_dragged = false;
};

// The MIME type of a signal dragged from the plot window's tree.
extern const char *const kPlotSignalMime;
