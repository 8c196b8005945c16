// The slcan bridge at a busy bus: the simulated box reports 9000 frames a
// second, a client reads the pseudo-terminal. Prints "name value unit" lines:
// the frames a second the client got and how many of the box's frames it
// never saw (the stream numbers its frames, so a gap is a loss). Then the
// other way: a client writes frame lines as fast as the terminal takes them,
// and the frames a second reaching the box count (slcan_tx_fps), with the
// bridge's receive thread reading a quiet box meanwhile.
#include "benchfigures.h"
#include "boxcommands.h"
#include "clitable.h"
#include "devicelink.h"
#include "simsession.h"
#include "stopsignal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr double kRate = 9000;
constexpr int kWarmUpMs = 500;
constexpr int kMeasureMs = 5000;
constexpr int kTxMs = 3000;

int hexValue(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// Reads frame lines for `ms`; counts them and the gaps in the stream's
// numbering (its first data byte is the number's low byte, its second the
// next byte plus one).
struct Reader
{
    int fd = -1;
    QByteArray partial;
    qint64 frames = 0;
    qint64 lost = 0;
    int last = -1;

    void readFor(int ms)
    {
        QElapsedTimer t;
        t.start();
        char buffer[65536];
        while (t.elapsed() < ms) {
            pollfd p = {fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            partial.append(buffer, int(n));
            int start = 0;
            for (int cr = partial.indexOf('\r'); cr >= 0; cr = partial.indexOf('\r', start)) {
                take(partial.constData() + start, cr - start);
                start = cr + 1;
            }
            partial.remove(0, start);
        }
    }
    void take(const char *line, int length)
    {
        if (length < 9 || line[0] != 't')
            return;
        const int b0 = hexValue(line[5]) * 16 + hexValue(line[6]);
        const int b1 = hexValue(line[7]) * 16 + hexValue(line[8]);
        const int number = b0 | (((b1 - 1) & 0xFF) << 8);
        if (last >= 0)
            lost += ((number - last) & 0xFFFF) - 1;
        last = number;
        ++frames;
    }
};
// Writes frame lines for `ms` as fast as the terminal takes them, reading
// and dropping the answers.
void writeFor(int fd, int ms)
{
    QByteArray lines;
    for (int i = 0; i < 64; ++i)
        lines += QByteArray("t1238") + QByteArray::number(0x1122334455660000LL + i, 16) + '\r';
    int offset = 0;
    QElapsedTimer t;
    t.start();
    char answers[65536];
    while (t.elapsed() < ms) {
        pollfd p = {fd, POLLIN | POLLOUT, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        if ((p.revents & POLLIN) && ::read(fd, answers, sizeof answers) < 0 && errno != EAGAIN)
            return;
        if (!(p.revents & POLLOUT))
            continue;
        const ssize_t n = ::write(fd, lines.constData() + offset, size_t(lines.size() - offset));
        if (n < 0 && errno != EAGAIN)
            return;
        if (n > 0)
            offset = (offset + int(n)) % lines.size();
    }
}
} // namespace

int main(int argc, char *argv[])
{
    quietBenchmark();
    QCoreApplication app(argc, argv);
    installStopSignals(BrokenPipe::Stops);
    DeviceLink &link = *DeviceLink::instance();
    SimSession sim(link);
    sim.box.setCanRate(kRate);
    if (link.open() != 0 || BoxCommands::connect(link) != Handshake::Ok) {
        std::fprintf(stderr, "bench_slcan: the simulated box did not connect\n");
        return 1;
    }
    int pathPipe[2];
    if (::pipe(pathPipe) != 0)
        return 1;
    int code = -1;
    std::thread bridge([&] {
        QFile out;
        QFile err;
        out.open(pathPipe[1], QIODevice::WriteOnly | QIODevice::Unbuffered);
        err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
        CliContext cli(link, &out, &err, false);
        code = cliSlcan(cli, CliOptions());
    });
    QByteArray path;
    char c;
    while (::read(pathPipe[0], &c, 1) == 1 && c != '\n')
        path.append(c);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 || ::write(fd, "O\r", 2) != 2) {
        std::fprintf(stderr, "bench_slcan: no terminal at \"%s\"\n", path.constData());
        std::raise(SIGTERM);
        bridge.join();
        return 1;
    }
    Reader reader;
    reader.fd = fd;
    reader.readFor(kWarmUpMs);
    reader.frames = 0;
    reader.lost = 0;
    QElapsedTimer t;
    t.start();
    reader.readFor(kMeasureMs);
    const double seconds = t.nsecsElapsed() / 1e9;
    printFigure("slcan_fps", reader.frames / seconds, "frames/s");
    printFigure("slcan_lost", double(reader.lost), "frames");
    printFigure("slcan_box_dropped", double(sim.box.droppedReports()), "reports");

    sim.box.setCanRate(0);
    writeFor(fd, kWarmUpMs);
    const int sentBefore = sim.box.sentCanFrames().size();
    t.restart();
    writeFor(fd, kTxMs);
    const double txSeconds = t.nsecsElapsed() / 1e9;
    const int sent = sim.box.sentCanFrames().size() - sentBefore;
    printFigure("slcan_tx_fps", sent / txSeconds, "frames/s");

    [[maybe_unused]] const ssize_t n = ::write(fd, "C\r", 2);
    std::raise(SIGTERM);
    bridge.join();
    ::close(fd);
    link.close();
    return code == 0 && reader.frames > 0 && sent > 0 ? 0 : 1;
}
