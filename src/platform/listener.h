#pragma once

#include <QString>

// What the gateway needs of the system's sockets and threads beyond DCMTK.
namespace platform {

// Narrows the listening TCP socket this process holds on `port` (opened for
// every interface) to the IPv4 address given. False, with the reason, when it
// cannot; the socket then stays as it was, or is closed when it was lost.
bool restrictListener(int port, const QString &address, QString &error);

// Lets the calling thread's resources go when it ends, without a join.
void detachCurrentThread();

} // namespace platform
