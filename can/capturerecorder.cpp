#include "capturerecorder.h"

#include "capturewriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <utility>

namespace {
// Written out to the system at least this often while frames come, so that
// a crash loses at most a second of them.
constexpr int kFlushMs = 500;
// Frames waiting for a disk that does not keep up, about 80 MB: past them
// the recording ends instead of taking the memory.
constexpr qint64 kMaxQueuedFrames = 1 << 20;
} // namespace

QString recordingFileName(const QString &path, int number)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    QString name = stem + QStringLiteral("_%1").arg(number, 3, 10, QLatin1Char('0'));
    if (!suffix.isEmpty())
        name += QLatin1Char('.') + suffix;
    return name;
}

struct CaptureRecorder::Output
{
    Output(const QString &name, CanSaveFormat format) : file(name), writer(file, format) {}
    QFile file;
    CaptureWriter writer;
};

CaptureRecorder::CaptureRecorder(QObject *parent) : QObject(parent)
{
}

CaptureRecorder::~CaptureRecorder()
{
    finish();
}

bool CaptureRecorder::start(const RecordingPlan &plan, QString *why)
{
    m_plan = plan;
    if (!openNext()) {
        *why = error();
        return false;
    }
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->setObjectName(QStringLiteral("captureRecorder"));
    m_thread->start();
    return true;
}

void CaptureRecorder::add(const QVector<CanFrame> &frames)
{
    if (frames.isEmpty())
        return;
    QMutexLocker lock(&m_mutex);
    if (!m_thread || m_ended || m_stopping)
        return;
    if (m_queued + frames.size() > kMaxQueuedFrames) {
        m_error = QStringLiteral("%1: the disk does not keep up with the frames").arg(m_fileName);
        m_ended = true;
    } else {
        m_queue.push_back(frames);
        m_queued += frames.size();
    }
    m_wake.wakeOne();
}

void CaptureRecorder::stop()
{
    QMutexLocker lock(&m_mutex);
    m_stopping = true;
    m_wake.wakeOne();
}

void CaptureRecorder::finish()
{
    stop();
    if (m_thread)
        m_thread->wait();
}

QString CaptureRecorder::fileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_fileName;
}

QString CaptureRecorder::error() const
{
    QMutexLocker lock(&m_mutex);
    return m_error;
}

void CaptureRecorder::fail(const QString &why)
{
    QMutexLocker lock(&m_mutex);
    if (m_error.isEmpty())
        m_error = why;
    m_ended = true;
    m_queue.clear();
    m_queued = 0;
}

bool CaptureRecorder::openNext()
{
    ++m_fileNumber;
    const bool rotating = m_plan.rotateBytes > 0 || m_plan.rotateUs > 0;
    const QString name = rotating ? recordingFileName(m_plan.path, m_fileNumber) : m_plan.path;
    m_out = std::make_unique<Output>(name, m_plan.format);
    {
        QMutexLocker lock(&m_mutex);
        m_fileName = name;
    }
    m_fileBytes = 0;
    m_fileHasFrames = false;
    // Opening a FIFO would wait for a reader that may never come.
    const QFileInfo info(name);
    if (info.exists() && !info.isFile()) {
        fail(QStringLiteral("%1: not a regular file (a FIFO, device or directory)").arg(name));
        return false;
    }
    if (!m_out->file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(QStringLiteral("%1: %2").arg(name, m_out->file.errorString()));
        return false;
    }
    return true;
}

bool CaptureRecorder::endFile()
{
    const bool ended = m_out->writer.close();
    if (!ended)
        fail(QStringLiteral("%1: %2").arg(m_out->file.fileName(), m_out->writer.errorString()));
    m_out->file.close();
    return ended;
}

bool CaptureRecorder::write(const QVector<CanFrame> &frames)
{
    for (const CanFrame &frame : frames) {
        const bool full = m_plan.rotateBytes > 0 && m_out->writer.size() >= m_plan.rotateBytes;
        const bool old = m_plan.rotateUs > 0 && m_fileHasFrames &&
                         frame.timeUs - m_fileStartUs >= m_plan.rotateUs;
        if ((full || old) && (!endFile() || !openNext()))
            return false;
        if (!m_fileHasFrames) {
            m_fileHasFrames = true;
            m_fileStartUs = frame.timeUs;
        }
        if (!m_out->writer.write(&frame, 1)) {
            fail(QStringLiteral("%1: %2").arg(m_out->file.fileName(), m_out->writer.errorString()));
            return false;
        }
    }
    m_frames += frames.size();
    m_fileBytes = m_out->writer.size();
    return true;
}

void CaptureRecorder::run()
{
    QElapsedTimer sinceFlush;
    sinceFlush.start();
    bool unflushed = false;
    for (;;) {
        std::deque<QVector<CanFrame>> taken;
        bool stopping = false;
        {
            QMutexLocker lock(&m_mutex);
            if (m_queue.empty() && !m_stopping && !m_ended)
                m_wake.wait(&m_mutex, kFlushMs);
            if (m_ended)
                break;
            taken.swap(m_queue);
            m_queued = 0;
            stopping = m_stopping;
        }
        bool ok = true;
        for (const QVector<CanFrame> &frames : taken)
            if (!(ok = write(frames)))
                break;
        if (!ok)
            break;
        unflushed = unflushed || !taken.empty();
        if (unflushed && sinceFlush.elapsed() >= kFlushMs) {
            if (!m_out->writer.flush()) {
                fail(QStringLiteral("%1: %2").arg(m_out->file.fileName(),
                                                  m_out->writer.errorString()));
                break;
            }
            m_fileBytes = m_out->writer.size();
            unflushed = false;
            sinceFlush.restart();
        }
        if (stopping && taken.empty())
            break;
    }
    // Ended as asked or after a failure: what could be written stays, ended
    // as a reader expects where the disk still takes it.
    if (m_out->file.isOpen())
        endFile();
    m_fileBytes = m_out->writer.size();
    emit finished(error());
}
