#pragma once

#include <QString>

// The program that holds a box's lock.
struct BoxLockHolder
{
    qint64 pid = 0;  // 0 when the holder cannot be told (another PID namespace)
    QString program; // its name as the system knows it; empty when unknown
};

// An advisory lock on one box, so that two programs never read each other's
// replies. It is a write lock (fcntl) on a file named after the box's key in
// /run/lock (the temporary folder where that is not writable, the folder in
// VOTKBOX_LOCK_DIR where that is set); the system drops it when the process
// ends, crash or not. A lock is held per process: asking again for a key this
// process holds finds it in use.
class BoxLock
{
public:
    enum class Result
    {
        Locked,
        InUse,      // another program (or another lock of this one) holds it
        Unavailable // the lock file cannot be used; the box must not be opened
    };

    BoxLock() = default;
    ~BoxLock();
    BoxLock(const BoxLock &) = delete;
    BoxLock &operator=(const BoxLock &) = delete;

    // The key of a box: its USB serial number where it has one, else its
    // device path, so that a re-plugged box maps to the same lock.
    static QString keyFor(const QString &serialNumber, const QString &devicePath);
    // The folder of the lock files, and the lock file of a key (its name
    // shortened with a hash where the key is too long for a file name).
    static QString directory();
    static QString filePath(const QString &key);

    // Locks `key`, releasing a different one held before. On InUse `holder`
    // (when given) names who holds it, its name's control characters escaped;
    // on Unavailable `failure` says why the lock file could not be used.
    Result acquire(const QString &key, BoxLockHolder *holder = nullptr, QString *failure = nullptr);
    void release();
    bool isHeld() const { return m_fd >= 0; }
    QString key() const { return m_key; }

private:
    int m_fd = -1;
    QString m_key;
};
