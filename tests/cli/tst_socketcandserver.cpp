// `votkbox-cli socketcand` in this process, on the simulated box at a busy
// bus: who is let in, the warning an open address needs, and a client that
// stops reading, which must cost nobody else a frame.

#include "clicommands.h"
#include "devicelink.h"
#include "simsession.h"
#include "stopsignal.h"

#include <QFile>
#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
// The server on a thread of its own, its output and messages on pipes.
class Server
{
public:
    explicit Server(const QStringList &args)
    {
        if (::pipe2(m_out, O_CLOEXEC) != 0 || ::pipe2(m_err, O_CLOEXEC) != 0)
            return;
        ::fcntl(m_err[0], F_SETFL, O_NONBLOCK);
        m_thread = std::thread([this, args] {
            QFile out;
            QFile err;
            out.open(m_out[1], QIODevice::WriteOnly | QIODevice::Unbuffered);
            err.open(m_err[1], QIODevice::WriteOnly | QIODevice::Unbuffered);
            code = runCli(QStringList{QStringLiteral("socketcand")} + args, &out, &err);
            ::close(m_out[1]);
            ::close(m_err[1]);
            m_finished = true;
        });
        char c;
        QByteArray line;
        while (::read(m_out[0], &c, 1) == 1 && c != '\n')
            line.append(c);
        port = line.mid(line.lastIndexOf(':') + 1).toInt();
    }
    // Stops it as a signal would: its exit status.
    int stop()
    {
        std::raise(SIGTERM);
        QElapsedTimer t;
        t.start();
        while (!m_finished && t.elapsed() < 10000)
            QThread::msleep(10);
        if (!m_finished)
            qFatal("the server did not stop on SIGTERM");
        m_thread.join();
        takeStopSignal();
        said();
        ::close(m_out[0]);
        ::close(m_err[0]);
        return code;
    }
    // Everything said on stderr so far.
    QByteArray said()
    {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_err[0], buffer, sizeof buffer)) > 0)
            m_said.append(buffer, int(n));
        return m_said;
    }

    ~Server()
    {
        if (m_thread.joinable())
            stop();
    }

    int port = 0;
    int code = -1;

private:
    int m_out[2] = {-1, -1};
    int m_err[2] = {-1, -1};
    QByteArray m_said;
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

// A client on loopback; with a small receive buffer when it will not read.
int connectTo(int port, bool smallBuffer = false)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int small = 2048;
    if (smallBuffer)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(quint16(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What the server writes within `ms`, up to `until` (if any) or its close.
QByteArray readFrom(int fd, int ms, const QByteArray &until)
{
    QByteArray got;
    QElapsedTimer t;
    t.start();
    char buffer[65536];
    while (t.elapsed() < ms && (until.isEmpty() || !got.contains(until))) {
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        got.append(buffer, int(n));
    }
    return got;
}

// The simulated stream's frame number from the data of "< frame ... >".
int streamNumber(const QByteArray &frame)
{
    const QByteArray data = QByteArray::fromHex(frame.split(' ').value(4));
    int number = 0;
    for (int k = 0; k < 4 && k < data.size(); ++k)
        number |= ((uint8_t(data.at(k)) - k) & 0xFF) << (8 * k);
    return number;
}
} // namespace

class SocketcandServerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void whoIsLetIn_data();
    void whoIsLetIn();
    void clientThatStopsReadingCostsOthersNothing();
};

void SocketcandServerTest::initTestCase()
{
    QVERIFY(installStopSignals(BrokenPipe::Stops));
}

void SocketcandServerTest::whoIsLetIn_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("warned"); // that anyone who reaches it gets the box
    QTest::addColumn<bool>("admitted");
    QTest::newRow("loopback") << QStringList{"--listen", "127.0.0.1:0"} << false << true;
    QTest::newRow("every address") << QStringList{"--listen", "0.0.0.0:0"} << true << true;
    QTest::newRow("every address, others allowed")
        << QStringList{"--listen", "0.0.0.0:0", "--allow", "10.0.0.0/8,192.168.1.7"} << true
        << false;
    QTest::newRow("loopback allowed among others")
        << QStringList{"--listen", "127.0.0.1:0", "--allow", "10.0.0.0/8,127.0.0.0/8"} << false
        << true;
    QTest::newRow("another loopback host allowed")
        << QStringList{"--listen", "127.0.0.1:0", "--allow", "127.0.0.2"} << false << false;
}

void SocketcandServerTest::whoIsLetIn()
{
    QFETCH(QStringList, args);
    QFETCH(bool, warned);
    QFETCH(bool, admitted);
    SimSession sim(*DeviceLink::instance());
    Server server(args);
    QVERIFY(server.port > 0);
    const int fd = connectTo(server.port);
    QVERIFY(fd >= 0);
    // A client let in is greeted; one refused is closed on unanswered.
    QCOMPARE(readFrom(fd, 5000, "< hi >"), admitted ? QByteArray("< hi >") : QByteArray());
    ::close(fd);
    QCOMPARE(server.stop(), 0);
    const QByteArray said = server.said();
    QVERIFY2(said.contains("no authentication") == warned, said.constData());
}

void SocketcandServerTest::clientThatStopsReadingCostsOthersNothing()
{
    SimSession sim(*DeviceLink::instance());
    sim.box.setCanRate(9000);
    Server server({"--listen", "127.0.0.1:0"});
    QVERIFY(server.port > 0);
    const int slow = connectTo(server.port, true);
    const int reader = connectTo(server.port);
    // python-can compares whole reads with the answers: a frame that comes
    // with the answer to "< rawmode >" fails its opening.
    for (const int fd : {slow, reader}) {
        QCOMPARE(readFrom(fd, 5000, "< hi >"), QByteArray("< hi >"));
        QVERIFY(::send(fd, "< open can0 >", 13, 0) == 13);
        QCOMPARE(readFrom(fd, 5000, "< ok >"), QByteArray("< ok >"));
        QVERIFY(::send(fd, "< rawmode >", 11, 0) == 11);
        QThread::msleep(20);
        QCOMPARE(readFrom(fd, 5000, "< ok >"), QByteArray("< ok >"));
    }
    // The reader takes every frame while the other one's frames pile up,
    // until the server says it dropped some of them: a server that waited for
    // the slow one would never get there.
    QByteArray stream;
    int frames = 0;
    // Frames the box could not hand over while the reading thread waited for
    // the processor are its own loss; the server may lose none of the others.
    qint64 missing = 0;
    int outOfOrder = 0;
    // python-can drops the character after the last message of each read:
    // it must be the space in front of the next one, not its '<'.
    int unseparated = 0;
    int last = -1;
    QElapsedTimer t;
    t.start();
    while (!server.said().contains("reads too slowly") && t.elapsed() < 30000) {
        stream += readFrom(reader, 100, QByteArray());
        while (true) {
            const int start = stream.indexOf('<');
            const int end = start < 0 ? -1 : stream.indexOf('>', start);
            if (end < 0)
                break;
            const QByteArray message = stream.mid(start, end + 1 - start);
            unseparated += start == 0 || stream.at(start - 1) != ' ';
            stream.remove(0, end + 1);
            if (message.startsWith("< frame ")) {
                const int number = streamNumber(message);
                if (last >= 0 && number <= last)
                    ++outOfOrder;
                else if (last >= 0)
                    missing += number - last - 1;
                last = number;
                ++frames;
            }
        }
    }
    const QByteArray said = server.said();
    QVERIFY2(said.contains(QByteArray("reads too slowly")), said.constData());
    QVERIFY2(frames > 1000,
             qPrintable(QStringLiteral("%1 frames in %2 ms").arg(frames).arg(t.elapsed())));
    QCOMPARE(outOfOrder, 0);
    QCOMPARE(unseparated, 0);
    QVERIFY2(quint64(missing) <= sim.box.droppedReports(),
             qPrintable(QStringLiteral("%1 missing, %2 dropped by the box")
                            .arg(missing)
                            .arg(sim.box.droppedReports())));
    // Stopped with its clients still there, it leaves the box quiet.
    QVERIFY(sim.box.canReporting());
    QCOMPARE(server.stop(), 0);
    QVERIFY(!sim.box.canReporting());
    ::close(slow);
    ::close(reader);
}

QTEST_GUILESS_MAIN(SocketcandServerTest)
#include "tst_socketcandserver.moc"
