#pragma once

#include "cansaveformat.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QVector>
#include <QWaitCondition>

#include <atomic>
#include <deque>
#include <memory>

class QThread;

// Where and how a recording goes: the file and its format, and when a new
// numbered file starts (0: never).
struct RecordingPlan
{
    QString path;
    CanSaveFormat format = CanSaveFormat::CandumpLog;
    qint64 rotateBytes = 0; // once a file has this many bytes
    qint64 rotateUs = 0;    // once a frame comes this long after the file's first
};

// The name of a rotated recording's file `number` (from 1): "drive.asc"
// gives "drive_001.asc".
QString recordingFileName(const QString &path, int number);

// Writes every frame handed to it to a capture file as it comes, on a thread
// of its own, so that a slow or stalled disk never holds up the caller. What
// was handed over reaches the system at least once a second, so a crash of
// the program loses no more. A failed write (a full disk, a drive pulled)
// ends the recording; what is in the file stays.
class CaptureRecorder : public QObject
{
    Q_OBJECT
public:
    explicit CaptureRecorder(QObject *parent = nullptr);
    // Writes what was handed over and ends the file first.
    ~CaptureRecorder() override;

    // Opens the first file here and starts the writing thread; false, with
    // the reason in `why`, when the file cannot be written.
    bool start(const RecordingPlan &plan, QString *why);
    // Hands frames over; never waits for the disk. Ignored once ended.
    void add(const QVector<CanFrame> &frames);
    // Asks the thread to write what it has and end the file; finished()
    // follows.
    void stop();
    // stop(), then waits until the file is ended.
    void finish();

    // The file written now, its bytes so far, and the frames recorded.
    QString fileName() const;
    qint64 fileBytes() const { return m_fileBytes; }
    qint64 frames() const { return m_frames; }
    // Why the recording ended by itself; empty while it runs or after stop().
    QString error() const;

signals:
    // The recording has ended: `error` empty after stop(), else why.
    void finished(const QString &error);

private:
    struct Output;
    void run();
    // Writes `frames`, starting the next file where the plan says; false
    // after a failure, which sets m_error.
    bool write(const QVector<CanFrame> &frames);
    bool openNext();
    bool endFile();
    void fail(const QString &why);

    RecordingPlan m_plan;
    std::unique_ptr<Output> m_out;
    std::unique_ptr<QThread> m_thread;
    int m_fileNumber = 0;
    qint64 m_fileStartUs = 0;
    bool m_fileHasFrames = false;

    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    std::deque<QVector<CanFrame>> m_queue;
    qint64 m_queued = 0;
    bool m_stopping = false;
    bool m_ended = false;
    QString m_error;
    QString m_fileName;
    std::atomic<qint64> m_fileBytes{0};
    std::atomic<qint64> m_frames{0};
};
