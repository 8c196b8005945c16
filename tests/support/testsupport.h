#pragma once

#include "canframetype.h"
#include "devicelink.h"
#include "messagebox.h"
#include "simsession.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// A simulated box installed as the HID backend for one test, on a fresh link.
class SimFixture : public SimSession
{
public:
    SimFixture() : SimSession(*DeviceLink::instance()) {}
};

// Answers every message box and remembers what was shown.
class MessageBoxRecorder
{
public:
    explicit MessageBoxRecorder(QMessageBox::StandardButton answer = QMessageBox::Ok);
    ~MessageBoxRecorder();
    QList<MessageBox::Shown> shown;
    QStringList texts() const;
    // Answer used for the next question boxes, in order; then the default.
    QList<QMessageBox::StandardButton> answers;
    // Runs while a box is "open" (before it is answered).
    std::function<void(const MessageBox::Shown &)> whileOpen;

private:
    QMessageBox::StandardButton m_default;
};

// Collects the debug log while alive, with the tool's debug lines switched on.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString &text) const;
    int indexOf(const QString &text, int from = 0) const;
    void clear();
};

// Makes a fresh temporary directory the working directory while alive.
class TempWorkDir
{
public:
    TempWorkDir();
    ~TempWorkDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString readFile(const QString &name) const;
    void writeFile(const QString &name, const QByteArray &content) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Holds the link from a thread of its own while alive, the way a firmware
// transfer does, so every other thread's calls are refused.
class LinkClaimer
{
public:
    LinkClaimer();
    ~LinkClaimer();

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_held = false;
    bool m_done = false;
    std::thread m_thread;
};

// Another program holding a box's lock: a child process that locks the file
// the way BoxLock does and waits, under the process name `name` when given.
// Gone (killed, as in a crash) when destroyed.
class LockHolder
{
public:
    explicit LockHolder(const QString &lockFile, const QByteArray &name = QByteArray());
    ~LockHolder();
    LockHolder(const LockHolder &) = delete;
    LockHolder &operator=(const LockHolder &) = delete;
    // 0 when the child could not lock the file.
    qint64 pid() const { return m_locked ? m_pid : 0; }
    // Kills the child without a chance to clean up, and reaps it.
    void crash();

private:
    qint64 m_pid = -1;
    bool m_locked = false;
};

// "00 08 03 0e" -> bytes.
QByteArray hexBytes(const char *spaced);
// The 65-byte output report the tool writes for a command.
QByteArray commandReport(uint8_t cmd, const QByteArray &payload = QByteArray());
// A 64-byte input frame: marker 8, length, command, payload, zeros.
QByteArray inputFrame(uint8_t cmd, const QByteArray &payload = QByteArray());
QVector<uint8_t> bytesVector(const QByteArray &bytes);
QByteArray vectorBytes(const QVector<uint8_t> &bytes);
// What the link makes of a frame report with this payload (identifier low
// byte, high byte, data) read at `timeUs`: one frame, or none when the payload
// is too short for an identifier.
QVector<CanFrame> reportedFrames(const QByteArray &payload, qint64 timeUs = 0,
                                 CanDirection direction = CanDirection::Received);

class QObject;
// Serves events until every box operation under `root` has reported its
// result, at most `ms`; false when one is still waiting.
bool waitForBoxWork(QObject *root, int ms = 30000);
