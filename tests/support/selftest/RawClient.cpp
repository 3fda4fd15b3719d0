#include "RawClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace testsupport::selftest {

RawConnection::RawConnection(int port)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawConnection::~RawConnection()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void RawConnection::Send(const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.constData() + sent,
                                 static_cast<std::size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += n;
    }
}

QByteArray RawConnection::ReadFor(std::chrono::milliseconds idle, qint64 maxBytes)
{
    QByteArray out = std::exchange(pending_, {});
    char buffer[65536];
    while (fd_ >= 0 && !closed_ && out.size() < maxBytes) {
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(idle.count()));
        if (r == 0) {
            break;
        }
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) {
            closed_ = true;
            break;
        }
        ++dataReads_;
        out.append(buffer, static_cast<qsizetype>(n));
    }
    return out;
}

QByteArray RawConnection::ReadHead(std::chrono::milliseconds idle)
{
    QByteArray out;
    while (true) {
        const qsizetype end = out.indexOf("\r\n\r\n");
        if (end >= 0) {
            pending_ = out.mid(end + 4);
            return out.left(end + 4);
        }
        const QByteArray more = ReadFor(idle, out.size() + 1);
        if (more.isEmpty()) {
            return out;
        }
        out += more;
    }
}

QByteArray HeadValue(const QByteArray &head, const QByteArray &name)
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            return line.mid(colon + 1).trimmed();
        }
    }
    return {};
}

int HeadStatus(const QByteArray &head)
{
    if (!head.startsWith("HTTP/1.")) {
        return 0;
    }
    return head.mid(9, 3).toInt();
}

} // namespace testsupport::selftest
