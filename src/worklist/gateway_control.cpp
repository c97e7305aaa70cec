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

void startGateway(platform::CommandLauncher &commands, platform::Pause &pause)
{
    pause.sleep(kStartPauseMs);
    commands.start(QString::fromUtf16(kStartGateway));
}

} // namespace worklist::gateway
