#pragma once

#include "platform/services.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>

class Form1;
class frmLogin;
class QWidget;

namespace app {

// Message boxes answered from the script: each shows nothing, is recorded, and
// takes the answer queued for it (unanswered: OK, or No for a question).
class ScriptedMessageBoxes final : public platform::MessageBoxes
{
public:
    using platform::MessageBoxes::show;
    platform::MessageAnswer show(const QString &text, const QString &title, platform::MessageButtons buttons,
                                 const QString &detail) override;
    void queue(platform::MessageAnswer answer) { m_answers.append(answer); }
    QJsonArray record() const { return m_record; }

private:
    QList<platform::MessageAnswer> m_answers;
    QJsonArray m_record;
};

// Where the pause is not waited, nothing really restarts: the gateway is
// taken as back.
class AssumedGatewayProbe final : public platform::GatewayProbe
{
public:
    bool answers(const platform::GatewayAddress &) override { return true; }
};

// The pause, recorded with the number of commands that had been started before
// it, and waited for only when a real gateway is to be restarted by it.
class RecordingPause final : public platform::Pause
{
public:
    explicit RecordingPause(const platform::CommandLauncher &commands, bool waits = false)
        : m_commands(commands), m_waits(waits)
    {
    }
    void sleep(int milliseconds) override;
    QJsonArray record() const { return m_record; }

private:
    const platform::CommandLauncher &m_commands;
    bool m_waits;
    QJsonArray m_record;
};

struct AutomationState
{
    const platform::CommandLauncher *commands = nullptr;
    const ScriptedMessageBoxes *messages = nullptr;
    const RecordingPause *pause = nullptr;
    bool ended = false;
};

// One operator action a line, carried out on the real windows: "type Text2 CT01",
// "click Command6", "answer Yes", "dump". Throws ScriptError for a line it
// cannot carry out (an unknown verb or control).
struct ScriptError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

class ScriptRunner
{
public:
    ScriptRunner(frmLogin &login, Form1 &main, ScriptedMessageBoxes &messages, AutomationState &state);
    ~ScriptRunner();
    void run(const QString &line);
    const QJsonArray &snapshots() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

// Runs the operator actions of a script against the real windows and writes
// what they show. Returns the process exit code: non-zero for a script line it
// cannot carry out, naming the line on standard error.
int runAutomation(const QString &scriptPath, const QString &statePath, const QString &screenshotPath, frmLogin &login,
                  Form1 &main, ScriptedMessageBoxes &messages, AutomationState &state);

// Everything the windows show, as the state file holds it.
QJsonObject snapshot(frmLogin &login, Form1 &main, const AutomationState &state);

} // namespace app
