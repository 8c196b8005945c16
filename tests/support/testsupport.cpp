#include "testsupport.h"

#include "boxoperation.h"
#include "commands.h"
#include "config.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "reportframing.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTest>

#include <mutex>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

MessageBoxRecorder::MessageBoxRecorder(QMessageBox::StandardButton answer) : m_default(answer)
{
    MessageBox::setAnswerer([this](const MessageBox::Shown &s) {
        shown.append(s);
        if (whileOpen)
            whileOpen(s);
        if ((s.kind == MessageBox::Question || s.kind == MessageBox::QuestionOrCancel) &&
            !answers.isEmpty())
            return answers.takeFirst();
        return m_default;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    MessageBox::setAnswerer({});
}

QStringList MessageBoxRecorder::texts() const
{
    QStringList t;
    for (const auto &s : shown)
        t << s.text;
    return t;
}

namespace {
std::mutex logMutex;
QStringList logLines;
QtMessageHandler previousHandler = nullptr;
int liveCaptures = 0;

void collect(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    {
        std::lock_guard<std::mutex> lock(logMutex);
        logLines << msg;
    }
    if (type != QtDebugMsg && previousHandler)
        previousHandler(type, context, msg);
}
} // namespace

LogCapture::LogCapture()
{
    clear();
    // Nested captures share the first one's handler.
    if (liveCaptures++ > 0)
        return;
    // The tool's debug lines are off by default; the per-frame ones stay off
    // here too, or a flood fills the capture.
    QLoggingCategory::setFilterRules(
        QStringLiteral("votkbox.*.debug=true\nvotkbox.frames.debug=false"));
    previousHandler = qInstallMessageHandler(collect);
}

LogCapture::~LogCapture()
{
    if (--liveCaptures > 0)
        return;
    qInstallMessageHandler(previousHandler);
    QLoggingCategory::setFilterRules(QString());
}

QStringList LogCapture::lines() const
{
    std::lock_guard<std::mutex> lock(logMutex);
    return logLines;
}

bool LogCapture::contains(const QString &text) const
{
    return indexOf(text) >= 0;
}

int LogCapture::indexOf(const QString &text, int from) const
{
    const QStringList l = lines();
    for (int i = from; i < l.size(); ++i)
        if (l.at(i).contains(text))
            return i;
    return -1;
}

void LogCapture::clear()
{
    std::lock_guard<std::mutex> lock(logMutex);
    logLines.clear();
}

TempWorkDir::TempWorkDir() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
    config()->resetToDefaults();
}

TempWorkDir::~TempWorkDir()
{
    QDir::setCurrent(m_previous);
    config()->resetToDefaults();
}

QString TempWorkDir::readFile(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

void TempWorkDir::writeFile(const QString &name, const QByteArray &content) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

LinkClaimer::LinkClaimer()
{
    m_thread = std::thread([this] {
        DeviceLink::instance()->claim();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_held = true;
        m_cond.notify_all();
        m_cond.wait(lock, [this] { return m_done; });
        lock.unlock();
        DeviceLink::instance()->release();
    });
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cond.wait(lock, [this] { return m_held; });
}

LinkClaimer::~LinkClaimer()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_cond.notify_all();
    m_thread.join();
}

QByteArray hexBytes(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

QByteArray commandReport(uint8_t cmd, const QByteArray &payload)
{
    QByteArray r(65, '\0');
    r[1] = 8;
    r[2] = char((payload.size() + 2) & 0xFF);
    r[3] = char(cmd);
    for (int i = 0; i < payload.size() && 4 + i < 65; ++i)
        r[4 + i] = payload.at(i);
    return r;
}

QByteArray inputFrame(uint8_t cmd, const QByteArray &payload)
{
    QByteArray r(64, '\0');
    r[0] = 8;
    r[1] = char((payload.size() + 2) & 0xFF);
    r[2] = char(cmd);
    for (int i = 0; i < payload.size() && 3 + i < 64; ++i)
        r[3 + i] = payload.at(i);
    return r;
}

QVector<CanFrame> reportedFrames(const QByteArray &payload, qint64 timeUs, CanDirection direction)
{
    CanFrame frame;
    if (!canFrameOfPayload(CMD_CAN_FRAME, reinterpret_cast<const uint8_t *>(payload.constData()),
                           payload.size(), &frame))
        return {};
    frame.timeUs = timeUs;
    frame.direction = direction;
    return {frame};
}

QVector<uint8_t> bytesVector(const QByteArray &bytes)
{
    QVector<uint8_t> v;
    for (char c : bytes)
        v.append(uint8_t(c));
    return v;
}

QByteArray vectorBytes(const QVector<uint8_t> &bytes)
{
    QByteArray b;
    for (uint8_t c : bytes)
        b.append(char(c));
    return b;
}

LockHolder::LockHolder(const QString &lockFile, const QByteArray &name)
{
    const QByteArray path = QFile::encodeName(lockFile);
    int ready[2];
    if (::pipe(ready) != 0)
        return;
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls here: the parent may have threads.
        ::close(ready[0]);
        if (!name.isEmpty())
            ::prctl(PR_SET_NAME, name.constData());
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 1 : 0;
        (void)!::write(ready[1], &ok, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    if (child < 0) {
        ::close(ready[0]);
        return;
    }
    m_pid = child;
    char ok = 0;
    m_locked = ::read(ready[0], &ok, 1) == 1 && ok == 1;
    ::close(ready[0]);
}

LockHolder::~LockHolder()
{
    crash();
}

void LockHolder::crash()
{
    if (m_pid <= 0)
        return;
    ::kill(pid_t(m_pid), SIGKILL);
    ::waitpid(pid_t(m_pid), nullptr, 0);
    m_pid = -1;
    m_locked = false;
}

bool waitForBoxWork(QObject *root, int ms)
{
    return QTest::qWaitFor(
        [root] {
            for (const BoxOperation *operation : root->findChildren<BoxOperation *>())
                if (operation->isRunning())
                    return false;
            return true;
        },
        ms);
}
