#pragma once

#include <QString>

#include <cstddef>
#include <functional>

// What the gateway needs of the system's sockets and threads beyond DCMTK.
namespace platform {

// Narrows the listening TCP socket this process holds on `port` (opened for
// every interface) to the IPv4 address given. False, with the reason, when it
// cannot; the socket then stays as it was, or is closed when it was lost.
bool restrictListener(int port, const QString &address, QString &error);

// Runs `run` on a new thread with a stack of `stackBytes`, never joined: its
// resources go when it ends. False when the system cannot start one.
bool startDetachedThread(std::function<void()> run, std::size_t stackBytes);

} // namespace platform
