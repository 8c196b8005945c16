// The socketcand server at a busy bus: the simulated box reports 9000 frames
// a second, one client and then four read over loopback. Prints "name value
// unit" lines: the frames a second each client got (the slowest of the
// four) and how many of the box's frames they never saw (the stream numbers
// its frames, so a gap is a loss, summed over the clients), with the box's
// own drops in the same time.
#include "benchfigures.h"
#include "boxcommands.h"
#include "clitable.h"
#include "devicelink.h"
#include "simsession.h"
#include "stopsignal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
constexpr double kRate = 9000;
constexpr int kWarmUpMs = 500;
constexpr int kMeasureMs = 5000;

int hexValue(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// One client in raw mode: counts its frames and the gaps in the stream's
// numbering (its first data byte is the number's low byte, its second the
// next byte plus one).
struct Client
{
    int fd = -1;
    QByteArray partial;
    qint64 frames = 0;
    qint64 lost = 0;
    int last = -1;

    bool open(int port)
    {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(quint16(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0)
            return false;
        return ::send(fd, "< open can0 >< rawmode >", 24, 0) == 24;
    }
    void read()
    {
        char buffer[65536];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0)
            return;
        partial.append(buffer, int(n));
        int start = 0;
        for (int end = partial.indexOf('>'); end >= 0; end = partial.indexOf('>', start)) {
            take(partial.constData() + start, end + 1 - start);
            start = end + 1;
        }
        partial.remove(0, start);
    }
    void take(const char *message, int length)
    {
        // " < frame ID SECONDS.MICROSECONDS DATA >"
        const QByteArray text = QByteArray(message, length).trimmed();
        if (!text.startsWith("< frame "))
            return;
        const QByteArray data = text.split(' ').value(4);
        if (data.size() < 4)
            return;
        const int b0 = hexValue(data[0]) * 16 + hexValue(data[1]);
        const int b1 = hexValue(data[2]) * 16 + hexValue(data[3]);
        const int number = b0 | (((b1 - 1) & 0xFF) << 8);
        if (last >= 0)
            lost += ((number - last) & 0xFFFF) - 1;
        last = number;
        ++frames;
    }
};

void readFor(std::vector<Client> &clients, int ms)
{
    std::vector<pollfd> fds;
    for (const Client &c : clients)
        fds.push_back({c.fd, POLLIN, 0});
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (::poll(fds.data(), nfds_t(fds.size()), 50) <= 0)
            continue;
        for (size_t i = 0; i < clients.size(); ++i)
            if (fds[i].revents & POLLIN)
                clients[i].read();
    }
}

// The clients' slowest rate and their losses, measured after a warm-up.
// A loss the box had already (the reading thread kept from the processor
// longer than its queue lasts) reaches every client: the box's count of the
// same window tells the two apart.
void measure(SimBox &box, std::vector<Client> &clients, const char *fpsName, const char *lostName,
             const char *boxName)
{
    readFor(clients, kWarmUpMs);
    for (Client &c : clients) {
        c.frames = 0;
        c.lost = 0;
    }
    const quint64 droppedBefore = box.droppedReports();
    QElapsedTimer t;
    t.start();
    readFor(clients, kMeasureMs);
    const double seconds = t.nsecsElapsed() / 1e9;
    qint64 slowest = clients.front().frames;
    qint64 lost = 0;
    for (const Client &c : clients) {
        slowest = std::min(slowest, c.frames);
        lost += c.lost;
    }
    printFigure(fpsName, slowest / seconds, "frames/s");
    printFigure(lostName, double(lost), "frames");
    printFigure(boxName, double(box.droppedReports() - droppedBefore), "reports");
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
        std::fprintf(stderr, "bench_socketcand: the simulated box did not connect\n");
        return 1;
    }
    int addressPipe[2];
    if (::pipe(addressPipe) != 0)
        return 1;
    int code = -1;
    std::thread server([&] {
        QFile out;
        QFile err;
        out.open(addressPipe[1], QIODevice::WriteOnly | QIODevice::Unbuffered);
        err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
        CliContext cli(link, &out, &err, false);
        CliOptions options;
        options.socketcand.port = 0;
        code = cliSocketcand(cli, options);
    });
    QByteArray address;
    char c;
    while (::read(addressPipe[0], &c, 1) == 1 && c != '\n')
        address.append(c);
    const int port = address.mid(address.lastIndexOf(':') + 1).toInt();

    std::vector<Client> one(1);
    bool opened = one.front().open(port);
    if (opened)
        measure(sim.box, one, "socketcand_fps", "socketcand_lost", "socketcand_box_dropped");
    ::close(one.front().fd);

    std::vector<Client> four(4);
    for (Client &client : four)
        opened = opened && client.open(port);
    if (opened)
        measure(sim.box, four, "socketcand_fps_4_clients", "socketcand_lost_4_clients",
                "socketcand_box_dropped_4_clients");
    for (const Client &client : four)
        ::close(client.fd);

    std::raise(SIGTERM);
    server.join();
    link.close();
    return code == 0 && opened ? 0 : 1;
}
