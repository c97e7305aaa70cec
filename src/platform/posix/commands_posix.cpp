#include "../services.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <chrono>

namespace platform {

namespace {

// When a command was issued, in nanoseconds since the epoch, strictly rising
// within this process. Commands run side by side and may reach their work in
// another order than they were issued (a start overtaking the stop before it
// on a loaded machine); the site's stand-ins compare this stamp to pass over
// a stop or start that a later one has already done.
qint64 issuedStamp()
{
    static std::atomic<qint64> last{0};
    const qint64 now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    qint64 previous = last.load();
    qint64 stamp = 0;
    do {
        stamp = std::max(now, previous + 1);
    } while (!last.compare_exchange_weak(previous, stamp));
    return stamp;
}

} // namespace

// The program is looked for in the application's "bin" folder first (where a
// site keeps its stand-ins for taskkill and net), then on PATH. There is no
// window to style here.
bool startProcess(const QString &commandLine, WindowStyle, const QString &appDir)
{
    QStringList words = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return false;
    const QString name = words.takeFirst();
    QString program;
    const QString local = QDir(appDir).filePath(QStringLiteral("bin/") + name);
    const QFileInfo info(local);
    if (info.isFile() && info.isExecutable())
        program = local;
    else
        program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return false;
    QProcess process;
    process.setProgram(program);
    process.setArguments(words);
    process.setWorkingDirectory(appDir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KZ_ISSUED_NS"), QString::number(issuedStamp()));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

void SystemCommandLauncher::start(const QString &commandLine)
{
    record(commandLine);
    startProcess(commandLine, WindowStyle::Minimised, m_appDir);
}

void SystemCommandLauncher::openFolder(const QString &folder)
{
    record(QStringLiteral("Explorer.exe /e, ") + folder);
    QProcess::startDetached(QStringLiteral("xdg-open"), {folder});
}

} // namespace platform
