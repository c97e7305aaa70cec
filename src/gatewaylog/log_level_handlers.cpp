#include "app/form1.h"

#include "gatewaylog/log_level.h"
#include "platform/error.h"
#include "platform/services.h"
#include "platform/text_file.h"
#include "worklist/gateway_control.h"

using gatewaylog::LogOption;

// Mode 0 reads the gateway's level into the options; mode 1 writes the selected
// option's level into the control file.
void Form1::SyncLogLevel(int mode)
{
    const QString path = worklist::gateway::findControlFile(m_context.paths);
    if (path.isEmpty()) {
        message(QStringLiteral("ZORadoDidServiceControl.ini 파일이 없습니다. 확인 후 실행하시기 바랍니다."));
        return;
    }
    setBoxText(m_ui.Text1, QString());
    const LogOption selected = m_ui.Option2->isChecked() ? LogOption::Detailed : LogOption::None;
    const gatewaylog::LevelRewrite rewrite = gatewaylog::rewriteLevels(platform::readLines(path), selected, mode == 0);
    if (mode == 0 && rewrite.recognised) {
        // Selecting the option raises its click, which only arms the options.
        (*rewrite.recognised == LogOption::Detailed ? m_ui.Option2 : m_ui.Option1)->setChecked(true);
        m_logOptionArmed = 1;
    }
    setBoxText(m_ui.Text1, platform::joinCrLf(rewrite.lines));
    if (mode == 1)
        platform::writeTextFile(path, boxText(m_ui.Text1));
}

void Form1::Option1_Click()
{
    if (m_logOptionArmed != 0)
        Command10_Click();
    else
        m_logOptionArmed = 1;
}

void Form1::Option2_Click()
{
    Option1_Click();
}

void Form1::Command10_Click()
{
    m_ui.Command7->setEnabled(false);
    m_ui.Command12->setEnabled(false);
    worklist::gateway::stopGateway(m_context.commands);
    m_ui.Label3->setText(QStringLiteral("워크리스트 서비스 종료 중 입니다."));
    repaintNow(m_ui.Label3);
    try {
        SyncLogLevel(1);
    } catch (const platform::Error &) {
        // The control file is left as it was: bring the gateway back on it
        // rather than leave the site's worklist stopped.
        worklist::gateway::startGateway(m_context.commands, m_context.pause);
        m_ui.Command7->setEnabled(true);
        m_ui.Command12->setEnabled(true);
        throw;
    }
    m_ui.Label3->setText(QStringLiteral("로그 설정 중입니다."));
    repaintNow(m_ui.Label3);
    worklist::gateway::startGateway(m_context.commands, m_context.pause);
    m_ui.Label3->setText(QStringLiteral("설정 완료"));
    repaintNow(m_ui.Label3);
    m_ui.Command7->setEnabled(true);
    m_ui.Command12->setEnabled(true);
}
