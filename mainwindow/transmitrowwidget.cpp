// One transmit row: typing into its fields, and how it shows its state.
#include "transmitrowwidget.h"
#include "ui_transmitrowwidget.h"

#include "canframe.h"
#include "cantext.h"
#include "cantxworker.h"
#include "windowlog.h"

#include <QRegExp>
#include <QRegExpValidator>

namespace {
// Raised while a data field is rewritten, so that the change notification of
// that rewrite is recognised. Shared by every row.
bool can_data_formatting = false;

const char kProblemStyle[] = "QLineEdit{border:1px solid red;}";
} // namespace

TransmitRowWidget::TransmitRowWidget(QWidget *parent)
    : QWidget(parent), ui(new Ui::TransmitRowWidget)
{
    ui->setupUi(this);
    setAutoFillBackground(true);
    const QRegExp hex(QStringLiteral("[a-fA-F0-9 ]+$"), Qt::CaseSensitive, QRegExp::RegExp);
    for (QLineEdit *field : {ui->lineEdit_can_id, ui->lineEdit_can_data})
        field->setValidator(new QRegExpValidator(hex, field));
    // The ID field takes longer text than an identifier has, so that a pasted
    // 18DAF110 is refused at the send instead of being cut to 18D, another
    // identifier.
    ui->lineEdit_can_id->setMaxLength(8);
    // Byte columns line up with the placeholder "00 11 22 ..." only in a
    // fixed-width font, whatever the form's family is called on this system.
    QFont fixed = ui->lineEdit_can_data->font();
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    ui->lineEdit_can_data->setFont(fixed);
    connect(ui->lineEdit_can_data, &QLineEdit::textChanged, this, [this] {
        if (m_place == 0)
            qCDebug(lcCanTyping) << "can data changed";
        reformatData();
    });
    for (QLineEdit *field : {ui->lineEdit_can_id, ui->lineEdit_can_data})
        connect(field, &QLineEdit::returnPressed, this, &TransmitRowWidget::sendRequested);
    connect(ui->pushButton_can_send, &QPushButton::clicked, this,
            &TransmitRowWidget::sendRequested);
    connect(ui->pushButton_can_period, &QPushButton::toggled, this,
            &TransmitRowWidget::periodicToggled);
    connect(ui->pushButton_can_dbc, &QPushButton::clicked, this, &TransmitRowWidget::dbcRequested);
    connect(ui->checkBox_can_enabled, &QCheckBox::toggled, this, [this](bool on) {
        // A row switched off sends nothing, periodically neither.
        if (!on)
            setPeriodicChecked(false);
        updateEnabled();
    });
    // Any change of the row clears what was refused and is kept.
    for (QLineEdit *field : {ui->lineEdit_can_name, ui->lineEdit_can_id, ui->lineEdit_can_data})
        connect(field, &QLineEdit::textEdited, this, [this] {
            showProblem(TransmitProblem::None);
            emit edited();
        });
    for (QSpinBox *box : {ui->spinBox_can_period, ui->spinBox_can_count, ui->spinBox_can_counter})
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, [this] {
            showProblem(TransmitProblem::None);
            emit edited();
        });
    connect(ui->checkBox_can_enabled, &QCheckBox::toggled, this, &TransmitRowWidget::edited);
    updateEnabled();
}

TransmitRowWidget::~TransmitRowWidget() = default;

TransmitRow TransmitRowWidget::row() const
{
    TransmitRow row;
    row.name = ui->lineEdit_can_name->text();
    row.id = ui->lineEdit_can_id->text();
    row.data = ui->lineEdit_can_data->text();
    row.periodMs = ui->spinBox_can_period->value();
    row.count = ui->spinBox_can_count->value();
    row.counterByte = ui->spinBox_can_counter->value();
    row.enabled = ui->checkBox_can_enabled->isChecked();
    return row;
}

void TransmitRowWidget::setRow(const TransmitRow &row)
{
    ui->lineEdit_can_name->setText(row.name);
    ui->lineEdit_can_id->setText(row.id);
    ui->lineEdit_can_data->setText(row.data);
    ui->spinBox_can_period->setValue(row.periodMs);
    ui->spinBox_can_count->setValue(row.count);
    ui->spinBox_can_counter->setValue(row.counterByte);
    ui->checkBox_can_enabled->setChecked(row.enabled);
    // A long name shows its start.
    ui->lineEdit_can_name->setCursorPosition(0);
    showProblem(TransmitProblem::None);
}

void TransmitRowWidget::setPlace(int index)
{
    m_place = index;
    const QString suffix = index == 0 ? QString() : QStringLiteral("_%1").arg(index + 1);
    setObjectName(QStringLiteral("transmitRow") + suffix);
    for (QWidget *w : findChildren<QWidget *>()) {
        QString name = w->property("baseName").toString();
        if (name.isEmpty()) {
            name = w->objectName();
            w->setProperty("baseName", name);
        }
        if (name.startsWith(QLatin1String("qt_")) || name.isEmpty())
            continue;
        w->setObjectName(name + suffix);
    }
}

void TransmitRowWidget::setCurrent(bool current)
{
    // A light tint of the selection colour: the row stays readable.
    QPalette tinted = palette();
    const QColor window = parentWidget() ? parentWidget()->palette().color(QPalette::Window)
                                         : tinted.color(QPalette::Window);
    const QColor mark = tinted.color(QPalette::Highlight);
    tinted.setColor(QPalette::Window, current ? QColor((window.red() * 3 + mark.red()) / 4,
                                                       (window.green() * 3 + mark.green()) / 4,
                                                       (window.blue() * 3 + mark.blue()) / 4)
                                              : window);
    setPalette(tinted);
}

void TransmitRowWidget::showProblem(TransmitProblem problem)
{
    QLineEdit *atFault = nullptr;
    QString text;
    switch (problem) {
    case TransmitProblem::None:
    case TransmitProblem::Empty:
        break;
    case TransmitProblem::BadId:
        atFault = ui->lineEdit_can_id;
        text = tr("ID应为0~7FF");
        break;
    case TransmitProblem::BadData:
        atFault = ui->lineEdit_can_data;
        text = tr("数据应为最多8字节");
        break;
    case TransmitProblem::CounterPastData:
        atFault = ui->lineEdit_can_data;
        text = tr("计数字节超出数据");
        break;
    }
    for (QLineEdit *field : {ui->lineEdit_can_id, ui->lineEdit_can_data})
        field->setStyleSheet(field == atFault ? QLatin1String(kProblemStyle) : QString());
    ui->label_can_error->setText(text);
    // The whole reason, which the short text may leave out.
    ui->label_can_error->setToolTip(
        problem == TransmitProblem::BadId ? tr("CAN ID有误：应为1~3位十六进制数，不大于7FF")
        : problem == TransmitProblem::BadData
            ? tr("CAN数据有误：应为最多8个字节，每个1~2位十六进制数，"
                 "以单个空格分隔；或不带空格的偶数位十六进制数，最多16位")
        : problem == TransmitProblem::CounterPastData ? tr("计数字节的位置超出了数据的字节数")
                                                      : QString());
}

void TransmitRowWidget::advanceCounter(const QVector<uint8_t> &sentData, qint64 steps)
{
    const int counterByte = ui->spinBox_can_counter->value();
    if (counterByte < 0 || steps == 0)
        return;
    const QVector<uint8_t> next = countedData(sentData, counterByte, steps);
    ui->lineEdit_can_data->setText(hexBytesText(next.constData(), next.size()).trimmed());
}

void TransmitRowWidget::showRunning(bool running)
{
    ui->pushButton_can_period->setText(running ? tr("停止") : tr("周期发送"));
    updateEnabled();
}

void TransmitRowWidget::showSentCount(qint64 sent)
{
    ui->label_can_period_count->setText(QString::number(sent));
}

bool TransmitRowWidget::periodicChecked() const
{
    return ui->pushButton_can_period->isChecked();
}

void TransmitRowWidget::setPeriodicChecked(bool on)
{
    ui->pushButton_can_period->setChecked(on);
}

void TransmitRowWidget::setDbcAvailable(bool available)
{
    m_dbcAvailable = available;
    updateEnabled();
}

void TransmitRowWidget::updateEnabled()
{
    const bool on = ui->checkBox_can_enabled->isChecked();
    const bool running = periodic != nullptr;
    for (QWidget *w : std::initializer_list<QWidget *>{
             ui->lineEdit_can_id, ui->lineEdit_can_data, ui->spinBox_can_period,
             ui->spinBox_can_count, ui->spinBox_can_counter, ui->pushButton_can_send})
        w->setEnabled(on && !running);
    ui->lineEdit_can_name->setEnabled(on);
    ui->pushButton_can_period->setEnabled(on);
    ui->pushButton_can_dbc->setEnabled(on && !running && m_dbcAvailable);
    ui->label_can_period_count->setEnabled(on);
}

void TransmitRowWidget::reformatData()
{
    QLineEdit *dataField = ui->lineEdit_can_data;
    const CanDataRewrite r =
        canDataRewrite(dataField->text(), dataField->cursorPosition(), can_data_formatting);
    if (r.rewrite) {
        can_data_formatting = true;
        // Reports a changed text at once, inside this call; that nested call
        // sees the raised flag and leaves the text alone.
        dataField->setText(r.text);
    }
    can_data_formatting = false;
}
