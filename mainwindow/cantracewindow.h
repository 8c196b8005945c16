#pragma once

#include "canframetype.h"
#include "capturefile.h"

#include <QWidget>

namespace Ui {
class CanTraceWindow;
}

class CanIdSummaryModel;
class CanRxModel;
class CanTracePanel;

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
    // Where a capture's problem is: "line 12", or in a binary capture "the
    // object at byte 4096"; the replay says it alike.
    static QString placeText(qint64 place, bool atByte);

signals:
    // "Send this frame" on a row: for the CAN tab's transmit area.
    void sendFrameRequested(const CanFrame &frame);

private:
    void showCount();
    static QString problemText(CaptureProblem problem);

    Ui::CanTraceWindow *ui;
    CanRxModel *m_rows;
    CanTracePanel *m_panel;
};

// Reads a capture (from `file`, in `format`) into empty rows and their
// per-identifier view, as if its frames had just been read. The result says
// what could not be read; its frames stay empty.
CaptureFile loadCaptureRows(QIODevice &file, CanSaveFormat format, CanRxModel *rows,
                            CanIdSummaryModel *ids);
