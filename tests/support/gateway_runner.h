#pragma once

#include <QProcess>
#include <QString>

#include <functional>

class TestSite;

// Gateways on test sites as a device meets them. Ports come from below the
// range the system hands out to outgoing connections, so that no other
// connection (nor a probe connecting to itself) holds or answers them; a
// gateway counts as up only once it answers a C-ECHO.
namespace gatewayrun {

int freePort();
bool echoes(int port);
// Polls `ready` until it holds or `seconds` pass: the bound only matters when something is broken.
bool waitUntil(const std::function<bool()> &ready, int seconds = 60);
// Starts the gateway on `siteDir` and waits until it answers on `port` or ends.
bool start(QProcess &gateway, const QString &siteDir, int port);
// Every gateway log file of the site, in name order.
QString logs(const TestSite &site);
// Appends "Port=N" to the site's control file.
void setPort(const TestSite &site, int port);

inline const QString kControl = QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini");

} // namespace gatewayrun
