#pragma once

#include <QDate>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// Starts a command line as a separate process, minimised, without waiting for
// it or looking at its outcome. A command that cannot be started is passed
// over, as Windows would. Every command line is recorded.
class CommandLauncher
{
public:
    virtual ~CommandLauncher() = default;
    virtual void start(const QString &commandLine) = 0;
    // Opens a folder in the desktop's file manager.
    virtual void openFolder(const QString &folder) = 0;
    const QStringList &history() const { return m_history; }

protected:
    void record(const QString &commandLine) { m_history.append(commandLine); }

private:
    QStringList m_history;
};

// Records command lines without starting anything: what tests and rehearsals
// of the operator's actions use, so that they never end a site's gateway.
class RecordingCommandLauncher final : public CommandLauncher
{
public:
    void start(const QString &commandLine) override { record(commandLine); }
    void openFolder(const QString &folder) override { record(QStringLiteral("Explorer.exe /e, ") + folder); }
};

// The one-second wait before the gateway's service is started.
class Pause
{
public:
    virtual ~Pause() = default;
    virtual void sleep(int milliseconds) = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    // Milliseconds on a clock that only moves forward; it paces repaints.
    virtual qint64 elapsedMilliseconds() const = 0;
};

// Whether the worklist gateway answers a DICOM C-ECHO at an address.
struct GatewayAddress
{
    QString host = QStringLiteral("127.0.0.1");
    int port = 104;
    QString aeTitle = QStringLiteral("KALDEN1");
};

class GatewayProbe
{
public:
    virtual ~GatewayProbe() = default;
    virtual bool answers(const GatewayAddress &address) = 0;
};

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // detail: what the operator may open under the box's details button (a
    // server's own text, the statement that failed); empty for none.
    virtual MessageAnswer show(const QString &text, const QString &title, MessageButtons buttons,
                               const QString &detail) = 0;
    MessageAnswer show(const QString &text, const QString &title, MessageButtons buttons)
    {
        return show(text, title, buttons, QString());
    }
};

// The real services.
class ThreadPause final : public Pause
{
public:
    void sleep(int milliseconds) override;
};

class SystemClock final : public Clock
{
public:
    explicit SystemClock(std::optional<QDate> fixed = std::nullopt) : m_fixed(fixed) { m_started.start(); }
    QDate today() const override;
    qint64 elapsedMilliseconds() const override { return m_started.elapsed(); }

private:
    std::optional<QDate> m_fixed;
    QElapsedTimer m_started;
};

enum class WindowStyle { Minimised, Normal };

// Starts one command line as its own process without waiting for it: false
// when it could not be started. On Windows the command line goes to the system
// as it stands; elsewhere its first word is looked for in appDir's "bin" folder,
// then on PATH.
bool startProcess(const QString &commandLine, WindowStyle style, const QString &appDir);

class SystemCommandLauncher final : public CommandLauncher
{
public:
    // appDir: where the tool lies; its "bin" folder is searched first for the
    // command's program where Windows' own commands are not at hand.
    explicit SystemCommandLauncher(QString appDir) : m_appDir(std::move(appDir)) {}
    void start(const QString &commandLine) override;
    void openFolder(const QString &folder) override;

private:
    QString m_appDir;
};

} // namespace platform
