#pragma once

// A blocking loopback TCP client for the self-tests: sends raw bytes and reads with an idle
// time-out, so that tests can see exactly what the fake service puts on the wire (truncated
// bodies, stalls, closes). Owned by one test, used on one thread.

#include <QByteArray>
#include <QList>

#include <chrono>

namespace testsupport::selftest {

class RawConnection {
public:
    explicit RawConnection(int port);
    ~RawConnection();
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    bool Connected() const { return fd_ >= 0; }
    void Send(const QByteArray &bytes);
    // Reads until the peer closes, `maxBytes` arrived, or no byte came for `idle`. Returns the
    // bytes of this call.
    QByteArray ReadFor(std::chrono::milliseconds idle, qint64 maxBytes = qint64{256} << 20);
    // Reads until the blank line that ends a reply head (or as ReadFor stops); the head, with
    // its blank line, is returned, anything after it stays buffered for the next reads.
    QByteArray ReadHead(std::chrono::milliseconds idle);
    bool PeerClosed() const { return closed_; }
    // recv() calls that returned data, over the connection's life.
    int DataReads() const { return dataReads_; }

private:
    int fd_ = -1;
    bool closed_ = false;
    int dataReads_ = 0;
    QByteArray pending_;
};

// The value of header `name` (case-insensitive) in a reply head; empty when absent.
QByteArray HeadValue(const QByteArray &head, const QByteArray &name);
// The status code of a reply head; 0 when it has no status line.
int HeadStatus(const QByteArray &head);

} // namespace testsupport::selftest
