#include "app/form1.h"

#include "platform/error.h"
#include "platform/services.h"
#include "platform/text_file.h"
#include "worklist/gateway_config.h"
#include "worklist/gateway_control.h"

void Form1::rebuildControlText(const QString &path, const std::function<QStringList(const QStringList &)> &rewrite)
{
    setBoxText(m_ui.Text1, QString());
    setBoxText(m_ui.Text1, platform::joinCrLf(rewrite(platform::readLines(path))));
}

std::optional<QString> Form1::restartGatewayAround(const std::function<void()> &edit,
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
    // The control file as the gateway will read it after the edit: one it refuses is said, not asked after.
    const worklist::gateway::Config settings = worklist::gateway::readControlFile(m_context.paths);
    const std::optional<platform::GatewayAddress> address =
        settings.fatal ? std::nullopt : worklist::gateway::gatewayAddress(settings);
    const worklist::gateway::GatewayCheck check = worklist::gateway::startGateway(
        m_context.commands, m_context.pause, m_context.gatewayProbe, m_context.clock, address);
    // A missing file is what the operation itself has told.
    if (settings.fatal && !worklist::gateway::findControlFile(m_context.paths).isEmpty())
        return worklist::gateway::refusedWarning(settings.refusal);
    if (check == worklist::gateway::GatewayCheck::NoAnswer)
        return worklist::gateway::noAnswerWarning(*address);
    return std::nullopt;
}

void Form1::warnGatewaySilent(const std::optional<QString> &warning)
{
    if (warning)
        message(*warning);
}
