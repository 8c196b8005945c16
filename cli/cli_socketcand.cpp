// socketcand: the box on the network for socketcand clients (python-can,
// SavvyCAN), in the protocol's raw mode.
#include "clitable.h"
#include "socketcandserver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Connections waiting to be accepted.
constexpr int kBacklog = 16;

bool isLoopback(quint32 address)
{
    return (address >> 24) == 127;
}

QString addressText(quint32 address, quint16 port)
{
    in_addr a{};
    a.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return QStringLiteral("%1:%2").arg(QLatin1String(text)).arg(port);
}

// A descriptor closed when it goes out of scope.
struct Fd
{
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};
} // namespace

int cliSocketcand(CliContext &cli, const CliOptions &options)
{
    SocketcandConfig config = options.socketcand;
    const QString asked = addressText(config.address, config.port);
    Fd listening;
    listening.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(config.port);
    address.sin_addr.s_addr = htonl(config.address);
    const int on = 1;
    socklen_t length = sizeof address;
    if (listening.fd < 0 ||
        ::setsockopt(listening.fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(listening.fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listening.fd, kBacklog) != 0 ||
        ::getsockname(listening.fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return cli.fail(CLI_REFUSED, QStringLiteral("socketcand: cannot listen on %1: %2")
                                         .arg(asked, QString::fromLocal8Bit(std::strerror(errno))));
    config.port = ntohs(address.sin_port);
    if (!isLoopback(config.address))
        cli.say(QStringLiteral(
                    "votkbox-cli: warning: socketcand has no authentication: whoever reaches %1 "
                    "can read and send the box's CAN frames%2")
                    .arg(addressText(config.address, config.port),
                         config.allow.isEmpty()
                             ? QStringLiteral("; limit clients with --allow CIDR")
                             : QString()));
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0)
        return cli.fail(CLI_NO_BOX, QStringLiteral("socketcand: no event descriptor"));
    cli.out << addressText(config.address, config.port) << '\n';
    cli.out.flush();
    int code;
    {
        SocketcandServer server(cli, config, listening.fd, wakeFd);
        code = server.serve();
    }
    ::close(wakeFd);
    return code;
}
