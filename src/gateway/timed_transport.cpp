#include "timed_transport.h"

#include "peer_guard.h"

#include "dcmtk/dcmnet/dcmtrans.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <cerrno>
#include <sys/select.h>
#endif

#include <algorithm>
#include <chrono>

namespace gateway {

namespace {

using Clock = std::chrono::steady_clock;

thread_local PeerCut t_cut;

// Whether the socket has something to read within `ms` milliseconds.
bool readable(DcmNativeSocketType socket, qint64 ms)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{};
    wait.tv_sec = long(ms / 1000);
    wait.tv_usec = long(ms % 1000) * 1000;
#ifdef _WIN32
    return ::select(0, &set, nullptr, nullptr, &wait) > 0;
#else
    int n;
    do {
        n = ::select(socket + 1, &set, nullptr, nullptr, &wait);
    } while (n < 0 && errno == EINTR);
    return n > 0;
#endif
}

void setTimedOutError()
{
#ifdef _WIN32
    ::WSASetLastError(WSAETIMEDOUT);
#else
    errno = ETIMEDOUT;
#endif
}

// A TCP connection that follows the peer's stream phase by phase: the
// association request must be whole within kAcseTimeout of the connection, and
// each message within kDimseTimeout of its first byte; once a phase's time is
// up, reading fails. Between messages DCMTK's own wait applies.
class TimedConnection final : public DcmTCPConnection
{
public:
    explicit TimedConnection(DcmNativeSocketType socket)
        : DcmTCPConnection(socket), m_deadline(Clock::now() + std::chrono::seconds(kAcseTimeout))
    {
    }

    ssize_t read(void *buf, size_t nbyte) override
    {
        if (armed()) {
            const qint64 left = remainingMs();
            if (left <= 0 || !readable(getSocket(), left))
                return cut(m_phases.phase() == PduPhases::Phase::Request ? PeerCut::Kind::Request
                                                                         : PeerCut::Kind::Message);
        }
        const ssize_t got = DcmTCPConnection::read(buf, nbyte);
        if (got > 0) {
            const quint64 begun = m_phases.messagesBegun();
            m_phases.feed(static_cast<const char *>(buf), size_t(got));
            if (m_phases.messagesBegun() != begun)
                m_deadline = Clock::now() + std::chrono::seconds(kDimseTimeout);
            if (!m_phases.refused().isEmpty()) {
                // DCMTK never sees the command's last bytes.
                t_cut = {PeerCut::Kind::Command, m_phases.refused()};
                setTimedOutError();
                return -1;
            }
        }
        return got;
    }

    OFBool networkDataAvailable(int timeout) override
    {
        if (!armed())
            return DcmTCPConnection::networkDataAvailable(timeout);
        const qint64 left = remainingMs();
        // Past the deadline the read that follows says so.
        return left <= 0 || readable(getSocket(), std::min<qint64>(qint64(timeout) * 1000, left)) || remainingMs() <= 0;
    }

private:
    bool armed() const { return m_phases.phase() != PduPhases::Phase::Between; }
    qint64 remainingMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
    }
    ssize_t cut(PeerCut::Kind kind)
    {
        t_cut = {kind, QString()};
        setTimedOutError();
        return -1;
    }

    PduPhases m_phases;
    Clock::time_point m_deadline;
};

} // namespace

PeerCut takePeerCut()
{
    PeerCut cut = t_cut;
    t_cut = PeerCut();
    return cut;
}

DcmTransportConnection *TimedTransportLayer::createConnection(DcmNativeSocketType openSocket, OFBool useSecureLayer)
{
    if (useSecureLayer)
        return nullptr;
    if (m_accepted)
        m_accepted();
    return new TimedConnection(openSocket);
}

} // namespace gateway
