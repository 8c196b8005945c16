#pragma once

#include "canrxmodel.h"
#include "canrxthread.h"
#include "otahandle.h"

#include <QTableView>
#include <QWidget>

// The window's workers and its receive table, found in its object tree by
// name as its widgets are.

inline CanRxThread &canRxThreadOf(QWidget &window)
{
    return *window.findChild<CanRxThread *>(QStringLiteral("canRxThread"));
}

inline OtaHandle &otaHandleOf(QWidget &window)
{
    return *window.findChild<OtaHandle *>(QStringLiteral("otaHandle"));
}

inline CanRxModel &canRxModelOf(QWidget &window)
{
    return *qobject_cast<CanRxModel *>(
        window.findChild<QTableView *>(QStringLiteral("table_can_rx"))->model());
}
