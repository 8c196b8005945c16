#pragma once

#include <QWidget>

namespace Ui {
class CanTraceWindow;
}

class CanIdSummaryModel;
class CanRxModel;
class CanTracePanel;
struct CaptureFile;
enum class CaptureProblem;

// A resizable window over a trace, with the CAN tab's filter, search and
// per-identifier view: either the frames the box is reporting or a capture
// opened from a file, which needs no box.
class CanTraceWindow : public QWidget
{
    Q_OBJECT
public:
    // A window over these rows; `parent` keeps it for its lifetime.
    CanTraceWindow(CanRxModel *rows, CanIdSummaryModel *ids, QWidget *parent);
    ~CanTraceWindow() override;

    // Asks for a capture file and shows it in a window of its own, a child
    // of `parent`. Null when cancelled or when nothing in it can be read.
    static CanTraceWindow *openCapture(QWidget *parent);

private:
    void showCount();
    static QString problemText(CaptureProblem problem);

    Ui::CanTraceWindow *ui;
    CanRxModel *m_rows;
    CanTracePanel *m_panel;
};

// Puts a capture's frames into empty rows and their per-identifier view, as
// if they had just been read.
void loadCaptureRows(const CaptureFile &capture, CanRxModel *rows, CanIdSummaryModel *ids);
