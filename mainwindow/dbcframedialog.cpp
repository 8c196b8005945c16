#include "dbcframedialog.h"

#include "canframe.h"
#include "dbccodec.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {
enum SignalColumn
{
    NameColumn,
    ValueColumn,
    UnitColumn,
    RangeColumn
};

// The value a signal starts at: its GenSigStartValue, else nought.
double startValue(const DbcSignal &s)
{
    return s.hasStartValue ? s.startValue * s.factor + s.offset : 0;
}
} // namespace

QByteArray dbcMessageBytes(const DbcMessage &message, const std::vector<double> &values)
{
    const int length = std::clamp(message.dlc, 0, 64);
    QByteArray bytes(length, '\0');
    auto *data = reinterpret_cast<uint8_t *>(bytes.data());
    const size_t count = std::min(values.size(), message.signalList.size());
    qint64 selected = 0;
    if (message.multiplexer >= 0 && size_t(message.multiplexer) < count) {
        const DbcSignal &mux = message.signalList[size_t(message.multiplexer)];
        if (mux.layout.needBytes <= length) {
            dbcEncode(mux, values[size_t(message.multiplexer)], data);
            selected = qint64(dbcRawBits(mux, data));
        }
    }
    for (size_t i = 0; i < count; ++i) {
        const DbcSignal &s = message.signalList[i];
        if (s.layout.needBytes > length || int(i) == message.multiplexer)
            continue;
        if (s.mux == DbcMux::Multiplexed && s.muxValue != selected)
            continue;
        dbcEncode(s, values[i], data);
    }
    return bytes;
}

DbcFrameDialog::DbcFrameDialog(std::shared_ptr<const DbcDatabase> database, QWidget *parent)
    : QDialog(parent), m_database(std::move(database)), m_message(new QComboBox(this)),
      m_signals(new QTableWidget(this)), m_result(new QLabel(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("从 DBC 生成帧"));
    m_message->setObjectName(QStringLiteral("comboBox_dbc_message"));
    m_signals->setObjectName(QStringLiteral("table_dbc_signals"));
    m_result->setObjectName(QStringLiteral("label_dbc_bytes"));
    m_signals->setColumnCount(4);
    m_signals->setHorizontalHeaderLabels({tr("信号"), tr("值"), tr("单位"), tr("范围")});
    m_signals->verticalHeader()->hide();
    m_signals->horizontalHeader()->setStretchLastSection(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_signals);
    layout->addWidget(m_result);
    layout->addWidget(m_buttons);
    resize(560, 380);

    if (m_database)
        for (const DbcMessage &m : m_database->messages)
            if (m_database->standardMessage(m.id) == &m) {
                m_messages.push_back(&m);
                m_message->addItem(
                    QStringLiteral("%1 (%2)").arg(m.name, QString::number(m.id, 16).toUpper()));
            }
    connect(m_message, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &DbcFrameDialog::showMessage);
    connect(m_signals, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() == ValueColumn)
            encode();
    });
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showMessage(m_message->currentIndex());
}

bool DbcFrameDialog::chooseMessage(const QString &name)
{
    for (size_t i = 0; i < m_messages.size(); ++i)
        if (m_messages[i]->name == name) {
            m_message->setCurrentIndex(int(i));
            return true;
        }
    return false;
}

bool DbcFrameDialog::setValueText(const QString &signal, const QString &text)
{
    for (int r = 0; r < m_signals->rowCount(); ++r)
        if (m_signals->item(r, NameColumn)->text() == signal) {
            m_signals->item(r, ValueColumn)->setText(text);
            return true;
        }
    return false;
}

quint32 DbcFrameDialog::id() const
{
    const int index = m_message->currentIndex();
    return index >= 0 ? m_messages[size_t(index)]->id : 0;
}

void DbcFrameDialog::showMessage(int index)
{
    const QSignalBlocker blocker(m_signals);
    m_signals->setRowCount(0);
    if (index < 0 || size_t(index) >= m_messages.size()) {
        m_result->setText(tr("DBC 中没有可发送的报文"));
        m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
        return;
    }
    const DbcMessage &m = *m_messages[size_t(index)];
    m_signals->setRowCount(int(m.signalList.size()));
    for (int r = 0; r < int(m.signalList.size()); ++r) {
        const DbcSignal &s = m.signalList[size_t(r)];
        auto fixed = [](const QString &text) {
            auto *item = new QTableWidgetItem(text);
            item->setFlags(Qt::ItemIsEnabled);
            return item;
        };
        m_signals->setItem(r, NameColumn, fixed(s.name));
        m_signals->setItem(r, ValueColumn, new QTableWidgetItem(dbcNumberText(startValue(s))));
        m_signals->setItem(r, UnitColumn, fixed(s.unit));
        m_signals->setItem(
            r, RangeColumn,
            fixed(s.minimum < s.maximum
                      ? dbcNumberText(s.minimum) + QStringLiteral(" … ") + dbcNumberText(s.maximum)
                      : QString()));
    }
    m_signals->resizeColumnToContents(NameColumn);
    encode();
}

void DbcFrameDialog::encode()
{
    const int index = m_message->currentIndex();
    if (index < 0)
        return;
    const DbcMessage &m = *m_messages[size_t(index)];
    std::vector<double> values;
    for (int r = 0; r < m_signals->rowCount(); ++r) {
        bool ok = false;
        const double v = m_signals->item(r, ValueColumn)->text().trimmed().toDouble(&ok);
        if (!ok) {
            // No bytes from a value half understood.
            m_bytes.clear();
            m_result->setText(tr("%1 的值不是数字").arg(m.signalList[size_t(r)].name));
            m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
            return;
        }
        values.push_back(v);
    }
    m_bytes = dbcMessageBytes(m, values);
    m_result->setText(tr("数据：%1")
                          .arg(hexBytesText(reinterpret_cast<const uint8_t *>(m_bytes.constData()),
                                            m_bytes.size())));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(true);
}
