#include "app/form1.h"

#include "platform/error.h"
#include "platform/services.h"
#include "platform/text_file.h"
#include "worklist/gateway_control.h"

void Form1::rebuildControlText(const QString &path, const std::function<QStringList(const QStringList &)> &rewrite)
{
    setBoxText(m_ui.Text1, QString());
    setBoxText(m_ui.Text1, platform::joinCrLf(rewrite(platform::readLines(path))));
}

// The gateway listens where its control file says, as it stands after the edit.
static platform::GatewayAddress gatewayAddress(const platform::Paths &paths)
{
    const QString path = worklist::gateway::findControlFile(paths);
    try {
        return path.isEmpty() ? platform::GatewayAddress()
                              : worklist::gateway::gatewayAddress(platform::readLines(path));
    } catch (const platform::Error &) {
        return platform::GatewayAddress(); // the gateway cannot read it either; it will not answer
    }
}

bool Form1::restartGatewayAround(const std::function<void()> &edit, const std::function<void()> &beforeStart)
{
    worklist::gateway::stopGateway(m_context.commands);
    try {
        edit();
    } catch (...) {
        worklist::gateway::startGateway(m_context.commands, m_context.pause, m_context.gatewayProbe,
                                        gatewayAddress(m_context.paths));
        throw;
    }
    if (beforeStart)
        beforeStart();
    return worklist::gateway::startGateway(m_context.commands, m_context.pause, m_context.gatewayProbe,
                                           gatewayAddress(m_context.paths));
}
