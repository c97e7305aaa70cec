#include "../services.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

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
