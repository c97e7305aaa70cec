#pragma once

#include "test_site.h"

#include "app/automation.h"
#include "app/form1.h"
#include "app/frmlogin.h"
#include "platform/paths.h"
#include "platform/services.h"

#include <QJsonArray>
#include <QJsonObject>

#include <memory>

// Says whether the gateway answers as the test sets it; it answers unless told.
class ScriptedGatewayProbe final : public platform::GatewayProbe
{
public:
    bool answers(const platform::GatewayAddress &address) override
    {
        asked.append(address);
        return answering;
    }
    bool answering = true;
    QList<platform::GatewayAddress> asked;
};

// The date fixed, and time that moves only when the test moves it.
class SteppingClock final : public platform::Clock
{
public:
    explicit SteppingClock(const QDate &today) : m_today(today) {}
    QDate today() const override { return m_today; }
    qint64 elapsedMilliseconds() const override { return m_elapsed; }
    void advance(qint64 milliseconds) { m_elapsed += milliseconds; }

private:
    QDate m_today;
    qint64 m_elapsed = 0;
};

// The tool's windows on a fresh copy of the demo site, driven in this process
// by the same operator actions as automation scripts, with the clock fixed and
// nothing waited for.
class AppHarness final
{
public:
    // At the login dialog, or past it with the day's code and the main window loaded.
    enum Start { AtLogin, LoggedIn };

    explicit AppHarness(const QDate &today = QDate(2026, 12, 6), const std::function<void(TestSite &)> &prepare = {});
    explicit AppHarness(Start start, const std::function<void(TestSite &)> &prepare = {});

    // Actions as script lines: "type Text2 CT01\nclick Command6".
    void act(const QString &script);
    // Logs in with the day's code: the main window loads.
    void login();

    QJsonObject state() const;
    QJsonObject control(const QString &name) const;
    QString text(const QString &name) const;
    QStringList items(const QString &name) const;
    QJsonArray messages() const { return m_messages.record(); }
    QStringList commands() const { return m_commands.history(); }
    QJsonArray pauses() const { return m_pause->record(); }
    bool ended() const { return m_state.ended; }
    void advanceClock(qint64 milliseconds) { m_clock.advance(milliseconds); }

    TestSite &site() { return m_site; }
    const TestSite &site() const { return m_site; }
    ScriptedGatewayProbe &gatewayProbe() { return m_probe; }
    Form1 &form() { return *m_form; }
    frmLogin &loginDialog() { return *m_login; }

private:
    TestSite m_site;
    platform::Paths m_paths;
    platform::RecordingCommandLauncher m_commands;
    std::unique_ptr<app::RecordingPause> m_pause;
    SteppingClock m_clock;
    app::ScriptedMessageBoxes m_messages;
    ScriptedGatewayProbe m_probe;
    app::AutomationState m_state;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<frmLogin> m_login;
    std::unique_ptr<app::ScriptRunner> m_runner;
};
