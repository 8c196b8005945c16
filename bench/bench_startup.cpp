// Start-up time and idle memory of the tool itself: runs the real executable
// (offscreen, simulated box) in a fresh working directory.
// Usage: bench_startup [path to votkbox] (default: the build's own)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
double rssMb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

QProcess *launch(const QString &exe, const QString &dir, int quitAfterMs)
{
    auto *p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("default.debug=false"));
    p->setProcessEnvironment(env);
    p->setWorkingDirectory(dir);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(exe, {QStringLiteral("--simulate"), QStringLiteral("--quit-after"),
                   QString::number(quitAfterMs)});
    return p;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString exe =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/../votkbox");
    QTemporaryDir dir;
    // The run directory's translations and picture are part of start-up.
    const QString runDir = QFileInfo(exe).absolutePath();
    for (const char *name : {"app_zh.qm", "app_en.qm", "wb1.png"})
        QFile::copy(runDir + QLatin1Char('/') + QLatin1String(name),
                    dir.filePath(QLatin1String(name)));

    std::vector<double> times;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer t;
        t.start();
        QProcess *p = launch(exe, dir.path(), 0);
        if (!p->waitForFinished(30000) || p->exitCode() != 0) {
            std::fprintf(stderr, "votkbox did not start and quit cleanly\n");
            return 1;
        }
        if (i > 0) // the first run warms the page cache
            times.push_back(double(t.nsecsElapsed()) / 1e6);
        delete p;
    }
    std::sort(times.begin(), times.end());
    std::printf("startup_ms %.0f ms\n", times[times.size() / 2]);

    QProcess *p = launch(exe, dir.path(), 2500);
    QThread::msleep(1500);
    const double rss = rssMb(p->processId());
    p->waitForFinished(30000);
    delete p;
    std::printf("idle_rss_mb %.1f MB\n", rss);
    return rss > 0 ? 0 : 1;
}
