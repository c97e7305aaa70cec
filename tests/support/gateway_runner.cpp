#include "gateway_runner.h"

#include "test_site.h"

#include "echo/echo_probe.h"

#include <QDir>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QThread>

using namespace Qt::StringLiterals;

namespace gatewayrun {

int freePort()
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        const int port = 20000 + int(QRandomGenerator::global()->bounded(12000));
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, quint16(port)))
            return port;
    }
    return 0;
}

bool echoes(int port)
{
    platform::GatewayAddress address;
    address.port = port;
    return echo::DicomEchoProbe().answers(address);
}

bool waitUntil(const std::function<bool()> &ready, int seconds)
{
    for (int i = 0; i < seconds * 5; ++i) {
        if (ready())
            return true;
        QThread::msleep(200);
    }
    return ready();
}

bool start(QProcess &gateway, const QString &siteDir, int port)
{
    gateway.start(QStringLiteral(KZ_GATEWAY), {u"--app-dir"_s, siteDir});
    return gateway.waitForStarted(60000) && waitUntil([&] {
               // waitForFinished also notices an end that no event loop has reported yet.
               return gateway.state() == QProcess::NotRunning || gateway.waitForFinished(100) || echoes(port);
           }) &&
           gateway.state() == QProcess::Running;
}

QString logs(const TestSite &site)
{
    QString all;
    const QDir dir(site.file(u"drives/c/RUDIVUV/Log"_s));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        all += QString::fromLatin1(site.readBytes(u"drives/c/RUDIVUV/Log/"_s + name));
    return all;
}

void setPort(const TestSite &site, int port)
{
    site.writeBytes(kControl, site.readBytes(kControl) + "Port=" + QByteArray::number(port) + "\r\n");
}

} // namespace gatewayrun
