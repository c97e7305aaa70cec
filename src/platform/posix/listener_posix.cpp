#include "platform/listener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

static int listeningSocketOn(int port)
{
    for (int fd = 0; fd < 1024; ++fd) {
        int accepting = 0;
        socklen_t size = sizeof accepting;
        if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &size) != 0 || !accepting)
            continue;
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length) == 0 && local.sin_family == AF_INET &&
            ntohs(local.sin_port) == port)
            return fd;
    }
    return -1;
}

bool restrictListener(int port, const QString &address, QString &error)
{
    sockaddr_in wanted{};
    wanted.sin_family = AF_INET;
    wanted.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, address.toLatin1().constData(), &wanted.sin_addr) != 1) {
        error = QStringLiteral("not an IPv4 address");
        return false;
    }
    const int old = listeningSocketOn(port);
    if (old < 0) {
        error = QStringLiteral("no listening socket on the port");
        return false;
    }
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    // The port is free only once the wide socket is closed; the narrow one then
    // takes its descriptor, so that DCMTK goes on listening on it unawares.
    ::close(old);
    if (::bind(s, reinterpret_cast<sockaddr *>(&wanted), sizeof wanted) != 0 || ::listen(s, 64) != 0 ||
        ::dup2(s, old) < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(s);
        return false;
    }
    ::close(s);
    return true;
}

bool startDetachedThread(std::function<void()> run, std::size_t stackBytes)
{
    pthread_attr_t attr;
    if (::pthread_attr_init(&attr) != 0)
        return false;
    auto *task = new std::function<void()>(std::move(run));
    pthread_t thread;
    const bool started =
        ::pthread_attr_setstacksize(&attr, stackBytes) == 0 &&
        ::pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED) == 0 &&
        ::pthread_create(
            &thread, &attr,
            [](void *arg) -> void * {
                std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()> *>(arg));
                (*owned)();
                return nullptr;
            },
            task) == 0;
    ::pthread_attr_destroy(&attr);
    if (!started)
        delete task;
    return started;
}

} // namespace platform
