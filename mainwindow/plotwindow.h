#pragma once

#include "canframetype.h"
#include "plotfeed.h"
#include "plotfiles.h"

#include <QColor>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class PlotWindow;
}

class CanRxModel;
class PlotPane;
class QIODevice;
class QTreeWidgetItem;

// A resizable window of signals over time: stacked panes sharing one time
// axis, fed from the CAN tab's stored frames and the frames that follow, or
// from a capture opened in it. Each signal keeps its own samples (PlotFeed);
// the panes draw only the visible range reduced to their width.
class PlotWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr double kDefaultWindowSeconds = 10;
    static constexpr int kRedrawIntervalMs = 20;

    // A window over `store` (the CAN tab's rows; null: none) and the frames
    // handed to appendFrames(); `parent` keeps it for its lifetime.
    PlotWindow(CanRxModel *store, QWidget *parent);
    ~PlotWindow() override;

    // Frames just stored in the CAN tab's rows; taken while the window shows
    // them, whether it follows or not.
    void appendFrames(const QVector<CanFrame> &frames);

    int paneCount() const { return int(m_panes.size()); }
    PlotPane *pane(int index) const { return m_panes[size_t(index)]; }
    PlotPane *addPane();
    // Plots `signal` in pane `pane` with the frames already there; answers
    // its handle. An invalid colour takes the next of the palette.
    int addSignal(const PlotSignal &signal, int pane, QColor colour = QColor(),
                  bool visible = true);
    const PlotFeed &feed() const { return m_feed; }

    // Following: the view shows the newest frames over the time window.
    void setFollowing(bool on);
    bool isFollowing() const { return m_following; }
    void setWindowSeconds(double seconds);
    // What the redraw timer does: the newest frames shown while following.
    void redraw();
    // The time range shown, in seconds since the plot's zero.
    double viewFrom() const;
    double viewTo() const;
    // These change the view and stop following.
    void fitAll();
    void zoom(double factor, double centreSeconds);
    void pan(double seconds);
    void setCursor(int which, double seconds);
    std::optional<double> cursor(int which) const { return m_cursor[which]; }
    QString cursorText() const;

    // The visible signals over the visible range.
    bool writeCsv(QIODevice &out) const;
    PlotLayout layout() const;
    // Replaces the panes by `layout`'s; signals the loaded database does not
    // have are left out and named in `missing`.
    void applyLayout(const PlotLayout &layout, QStringList *missing);
    // Plots the frames of `rows` (a capture's) in place of the CAN tab's.
    void showFrames(std::unique_ptr<CanRxModel> rows, const QString &name);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fillTree();
    void addFromTree(QTreeWidgetItem *item);
    void addDropped(PlotPane *pane, const QByteArray &payload);
    void addAdHoc();
    // A curve for `signal` without its samples of the frames already there.
    int addUnfilled(const PlotSignal &signal, int pane, QColor colour, bool visible);
    // Decodes the frames already there for these signals, in one pass.
    void fill(const std::vector<int> &handles);
    void rebuild();
    void showView();
    void setView(qint64 fromUs, qint64 toUs);
    void removePane();
    void chooseColour(PlotPane *pane, int handle);
    void exportPng();
    void exportCsv();
    void saveLayout();
    void loadLayout();
    // Reads and applies a layout file; `tell`: what went wrong in a message
    // box. False when it could not be read.
    bool loadLayoutFile(const QString &path, bool tell);
    void openCapture();
    void showSource();
    // The rows plotted: the CAN tab's or the capture's.
    CanRxModel *source() const;
    int currentPaneIndex() const;
    qint64 toUs(double seconds) const;

    Ui::PlotWindow *ui;
    // The CAN tab's rows; it may go first when the main window closes.
    QPointer<CanRxModel> m_store;
    std::unique_ptr<CanRxModel> m_capture;
    QString m_captureName;
    PlotFeed m_feed;
    std::vector<PlotPane *> m_panes;
    PlotPane *m_currentPane = nullptr;
    int m_nextColour = 0;
    bool m_following = true;
    bool m_dirty = true;
    qint64 m_windowUs = qint64(kDefaultWindowSeconds * 1e6);
    qint64 m_originUs = 0;
    bool m_originSet = false;
    qint64 m_fromUs = 0;
    qint64 m_toUs = qint64(kDefaultWindowSeconds * 1e6);
    std::optional<double> m_cursor[2];
    QTimer m_redrawTimer;
};
