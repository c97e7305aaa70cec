#include "gateway_control.h"

#include "platform/paths.h"
#include "platform/services.h"

#include <QFileInfo>

namespace worklist::gateway {

QString findControlFile(const platform::Paths &paths)
{
    for (const char16_t *path : {kControlFilePath1, kControlFilePath2}) {
        const QString local = paths.resolve(QString::fromUtf16(path));
        if (QFileInfo(local).isFile())
            return local;
    }
    return QString();
}

void stopGateway(platform::CommandLauncher &commands)
{
    commands.start(QString::fromUtf16(kStopOlderGateway));
    commands.start(QString::fromUtf16(kStopGateway));
}

bool startGateway(platform::CommandLauncher &commands, platform::Pause &pause, platform::GatewayProbe &probe,
                  const platform::GatewayAddress &address)
{
    pause.sleep(kStartPauseMs);
    commands.start(QString::fromUtf16(kStartGateway));
    for (int attempt = 0; attempt < kEchoTries; ++attempt) {
        if (probe.answers(address))
            return true;
        pause.sleep(kEchoPauseMs);
    }
    return false;
}

platform::GatewayAddress gatewayAddress(const QStringList &lines)
{
    platform::GatewayAddress address;
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (eq < 0 || value.isEmpty())
            continue;
        if (key == QLatin1String("Port")) {
            bool ok = false;
            const int port = value.toInt(&ok);
            if (ok && port > 0 && port < 65536)
                address.port = port;
        } else if (key == QLatin1String("Bind") && value != QLatin1String("0.0.0.0")) {
            address.host = value;
        } else if (key == QLatin1String("AETitle")) {
            address.aeTitle = value;
        }
    }
    return address;
}

} // namespace worklist::gateway
