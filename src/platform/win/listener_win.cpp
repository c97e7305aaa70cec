#include "platform/listener.h"

namespace platform {

// DCMTK's listening socket is a Winsock handle that cannot be replaced in
// place; a site that needs one interface only sets its firewall instead.
bool restrictListener(int, const QString &, QString &error)
{
    error = QStringLiteral("Bind= is not supported on Windows; listening on every interface");
    return false;
}

// A Windows thread's handle is closed when DCMTK deletes its thread object.
void detachCurrentThread()
{
}

} // namespace platform
