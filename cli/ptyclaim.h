#pragma once

#include <QByteArray>

// Keeps a second client off the bridge's terminal while one is served.
// TIOCEXCL stays on a pseudo-terminal after its client closes (the master
// keeps it alive), so it is set through a descriptor of the bridge's own,
// held while the client is there and used to clear it when the client is
// gone. Holding it hides the client's hang-up from the master: the opens and
// closes of the terminal's node tell instead.
class PtyClaim
{
public:
    // Watch before anyone knows the path, so that every open is counted.
    explicit PtyClaim(const QByteArray &slavePath);
    ~PtyClaim();
    PtyClaim(const PtyClaim &) = delete;
    PtyClaim &operator=(const PtyClaim &) = delete;

    // Readable when the terminal was opened or closed; -1 when the node
    // cannot be watched (then no client is kept out).
    int watchFd() const { return m_watch; }
    // A client is there: no other may open the terminal now.
    void claim();
    // Takes the opens and closes seen; true when the client of a claim
    // closed: its bytes are all with the master now, and nobody else can
    // have added to them.
    bool clientClosed();
    // Lets the next client in, with nothing left from this one to read.
    void release();

private:
    const QByteArray m_path;
    int m_watch = -1;
    int m_own = -1;
    // Others holding the terminal open, as the node's opens and closes tell;
    // the claim's own open and close are skipped.
    int m_others = 0;
    int m_ownOpens = 0;
    int m_ownCloses = 0;
};
