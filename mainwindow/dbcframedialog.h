#pragma once

#include "dbcdatabase.h"

#include <QByteArray>
#include <QDialog>

#include <memory>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QTableWidget;

// A frame of a database's message, its bytes made from `values` (one per
// signal, physical): each signal encoded in turn, a multiplexed one only when
// the multiplexer's value selects it. As long as the message's DLC; a signal
// whose bits lie beyond it is left out.
QByteArray dbcMessageBytes(const DbcMessage &message, const std::vector<double> &values);

// Builds a transmit row's frame from a message of the loaded database: the
// user picks the message and edits its signals' values; the bytes follow.
class DbcFrameDialog : public QDialog
{
    Q_OBJECT
public:
    DbcFrameDialog(std::shared_ptr<const DbcDatabase> database, QWidget *parent = nullptr);

    // The chosen message (false when the database has no message to send).
    bool chooseMessage(const QString &name);
    // Sets a signal's value as typed in its cell; false when there is no
    // such signal.
    bool setValueText(const QString &signal, const QString &text);

    quint32 id() const;
    QByteArray bytes() const { return m_bytes; }

private:
    void showMessage(int index);
    void encode();

    std::shared_ptr<const DbcDatabase> m_database;
    // The messages offered: 11-bit identifiers only, as the box sends.
    std::vector<const DbcMessage *> m_messages;
    QComboBox *m_message;
    QTableWidget *m_signals;
    QLabel *m_result;
    QDialogButtonBox *m_buttons;
    QByteArray m_bytes;
};
