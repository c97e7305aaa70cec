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

// Where the gateway listens, as its control file says after the edit; nothing
// when the file names no port or cannot be read (then the gateway cannot read
// it either, and the edit's own failure is what the operator is told).
static std::optional<platform::GatewayAddress> gatewayAddress(const platform::Paths &paths)
{
    const QString path = worklist::gateway::findControlFile(paths);
    try {
        return path.isEmpty() ? std::nullopt : worklist::gateway::gatewayAddress(platform::readLines(path));
    } catch (const platform::Error &) {
        return std::nullopt;
    }
}

std::optional<platform::GatewayAddress> Form1::restartGatewayAround(const std::function<void()> &edit,
                                                                    const std::function<void()> &beforeStart)
{
    worklist::gateway::stopGateway(m_context.commands);
    try {
        edit();
    } catch (...) {
        worklist::gateway::startGateway(m_context.commands, m_context.pause, m_context.gatewayProbe, m_context.clock,
                                        std::nullopt);
        throw;
    }
    if (beforeStart)
        beforeStart();
    const std::optional<platform::GatewayAddress> address = gatewayAddress(m_context.paths);
    if (worklist::gateway::startGateway(m_context.commands, m_context.pause, m_context.gatewayProbe, m_context.clock,
                                        address) == worklist::gateway::GatewayCheck::NoAnswer)
        return address;
    return std::nullopt;
}

void Form1::warnGatewaySilent(const std::optional<platform::GatewayAddress> &silent)
{
    if (silent)
        message(worklist::gateway::noAnswerWarning(*silent));
}
