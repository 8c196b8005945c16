#pragma once

#include "slcanoutput.h"

#include <QByteArray>

#include <atomic>

class CliContext;
class PtyClaim;
struct BoxAck;

// Serves slcan on the master side of a pseudo-terminal until a stop signal
// or until the box is gone: reads the box's frames on a thread of its own,
// answers the client's commands, and keeps serving when a client closes.
class SlcanBridge
{
public:
    SlcanBridge(CliContext &cli, int master, PtyClaim &claim, int wakeFd)
        : m_cli(cli), m_master(master), m_claim(claim), m_wakeFd(wakeFd), m_output(wakeFd)
    {
    }

    int serve();

private:
    void readLoop();
    // Reads and serves at most one batch of the client's bytes: how many
    // were read, 0 when none were there, -1 when the client closed.
    int readClient();
    bool stopRequested();
    void finishClient();
    void handle(const QByteArray &command);
    bool openChannel(bool listenOnly);
    void closeChannel();
    void clientGone();
    bool writeClient();
    void answer(bool ok) { m_output.answer(QByteArray(1, ok ? SLCAN_OK : SLCAN_ERROR)); }
    void answerText(const QByteArray &text) { m_output.answer(text + SLCAN_OK); }
    void boxGone(const BoxAck &ack);

    CliContext &m_cli;
    const int m_master;
    PtyClaim &m_claim;
    const int m_wakeFd;
    SlcanOutput m_output;
    std::atomic<bool> m_stopReading{false};
    std::atomic<bool> m_boxGone{false};
    bool m_open = false;
    bool m_listenOnly = false;
    bool m_hungUp = true;
    int m_stopFd = -1;
    bool m_stopSeen = false;
    QByteArray m_fromClient;
    QByteArray m_toClient;
};
