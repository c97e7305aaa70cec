#include "app/form1.h"

#include "gatewaylog/log_level.h"
#include "platform/services.h"

#include "platform/text_file.h"
#include "worklist/gateway_control.h"
#include <QScopeGuard>

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
    const LogOption selected = m_ui.Option2->isChecked() ? LogOption::Detailed : LogOption::None;
    std::optional<LogOption> recognised;
    rebuildControlText(path, [&](const QStringList &lines) {
        gatewaylog::LevelRewrite rewrite = gatewaylog::rewriteLevels(lines, selected, mode == 0);
        recognised = rewrite.recognised;
        return rewrite.lines;
    });
    if (mode == 0 && recognised) {
        // Selecting the option raises its click, which only arms the options.
        (*recognised == LogOption::Detailed ? m_ui.Option2 : m_ui.Option1)->setChecked(true);
        m_logOptionArmed = 1;
    }
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
    // The scan and deletion stay usable even when the level cannot be written.
    const auto reenable = qScopeGuard([this] {
        m_ui.Command7->setEnabled(true);
        m_ui.Command12->setEnabled(true);
    });
    const std::optional<QString> silent = restartGatewayAround(
        [this] {
            m_ui.Label3->setText(QStringLiteral("워크리스트 서비스 종료 중 입니다."));
            repaintNow(m_ui.Label3);
            SyncLogLevel(1);
        },
        [this] {
            m_ui.Label3->setText(QStringLiteral("로그 설정 중입니다."));
            repaintNow(m_ui.Label3);
        });
    m_ui.Label3->setText(QStringLiteral("설정 완료"));
    repaintNow(m_ui.Label3);
    warnGatewaySilent(silent);
}
