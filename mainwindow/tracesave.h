#pragma once

class CanRxModel;
class QWidget;

// "保存" of a trace, the CAN tab's and a trace window's: asks for a file and
// writes the stored frames to it, the held-back ones too. With a filter set,
// asks first whether only the frames it shows go, or every frame.
void saveTraceRows(QWidget *parent, CanRxModel *rows);
