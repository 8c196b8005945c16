#pragma once

#include "framesink.h"
#include "socketcand.h"
#include "socketcandconfig.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class CliContext;

// The frames the link reads, handed from its reading thread to the serving
// loop, which wakes on `wakeFd`.
class SocketcandFrames : public FrameSink
{
public:
    explicit SocketcandFrames(int wakeFd) : m_wakeFd(wakeFd) {}
    void framesRead(const QVector<CanFrame> &frames) override;
    QVector<CanFrame> take();
    void setOpen(bool open);
    // Frames lost because the serving loop fell this far behind.
    qint64 takeLost();
    void wake();

private:
    // Several seconds of a busy bus.
    static constexpr int kMaxPending = 65536;
    const int m_wakeFd;
    std::mutex m_mutex;
    QVector<CanFrame> m_pending;
    bool m_open = false;
    qint64 m_lost = 0;
};

// Serves socketcand's raw mode on a listening TCP socket until a stop signal
// or until the box is gone: reads the box's frames on a thread of its own,
// hands every one to every client in raw mode, and puts the clients' frames on
// the box. A client that does not read loses its own oldest frames.
class SocketcandServer
{
public:
    SocketcandServer(CliContext &cli, const SocketcandConfig &config, int listenFd, int wakeFd);
    ~SocketcandServer();

    int serve();

private:
    using Clock = std::chrono::steady_clock;
    struct Client
    {
        explicit Client(const QByteArray &bus) : session(bus) {}
        int fd = -1;
        QString peer;
        SocketcandSession session;
        QByteArray in;
        // Messages waiting, each whole; frames may be dropped, answers not.
        struct Entry
        {
            QByteArray text;
            bool frame;
        };
        std::deque<Entry> queue;
        int framesQueued = 0;
        // Bytes handed to the socket in part: they go out whole.
        QByteArray writing;
        int written = 0;
        // Frames wait until then after the answer that starts them.
        Clock::time_point holdUntil;
        qint64 dropped = 0;
        qint64 droppedSaid = 0;
        Clock::time_point droppedSaidAt;
        bool gone = false;
    };

    void readLoop();
    void acceptClients();
    void readClient(Client &client);
    void handle(Client &client, const QByteArray &message);
    void queueAnswer(Client &client, const QByteArray &answer, bool separated);
    void queueFrames(const QVector<CanFrame> &frames);
    void flush(Client &client);
    void fillWriting(Client &client, Clock::time_point now);
    void sayDrops(Client &client, Clock::time_point now, bool leaving);
    void dropClient(Client &client);
    bool setReporting(bool on);
    void sendBeacon();
    int rawClients() const;

    CliContext &m_cli;
    const SocketcandConfig m_config;
    const int m_listenFd;
    const int m_wakeFd;
    SocketcandFrames m_frames;
    std::vector<std::unique_ptr<Client>> m_clients;
    std::atomic<bool> m_stopReading{false};
    std::atomic<bool> m_boxGone{false};
    bool m_reporting = false;
    int m_beaconFd = -1;
    // Where the beacon goes (a subnet's broadcast address, host order) and
    // what it says there: the url of the server's address on that subnet.
    struct Beacon
    {
        quint32 to;
        QByteArray text;
    };
    std::vector<Beacon> m_beacons;
    void planBeacons();
};
