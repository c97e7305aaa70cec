#include "app/form1.h"

#include "platform/text_file.h"
#include "worklist/gateway_control.h"

void Form1::rebuildControlText(const QString &path, const std::function<QStringList(const QStringList &)> &rewrite)
{
    setBoxText(m_ui.Text1, QString());
    setBoxText(m_ui.Text1, platform::joinCrLf(rewrite(platform::readLines(path))));
}

void Form1::restartGatewayAround(const std::function<void()> &edit, const std::function<void()> &beforeStart)
{
    worklist::gateway::stopGateway(m_context.commands);
    try {
        edit();
    } catch (...) {
        worklist::gateway::startGateway(m_context.commands, m_context.pause);
        throw;
    }
    if (beforeStart)
        beforeStart();
    worklist::gateway::startGateway(m_context.commands, m_context.pause);
}
