#include "../services.h"

#include <windows.h>

#include <vector>

namespace platform {

bool startProcess(const QString &commandLine, WindowStyle style, const QString &)
{
    // CreateProcessW may write into the command line: it gets a copy.
    std::vector<wchar_t> buffer(commandLine.size() + 1, L'\0');
    commandLine.toWCharArray(buffer.data());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = style == WindowStyle::Minimised ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// The gateway's commands start minimised and are not waited for; one that
// cannot start is passed over.
void SystemCommandLauncher::start(const QString &commandLine)
{
    record(commandLine);
    startProcess(commandLine, WindowStyle::Minimised, m_appDir);
}

// The operator asked for the folder: it opens in a normal window, in front.
void SystemCommandLauncher::openFolder(const QString &folder)
{
    const QString commandLine = QStringLiteral("Explorer.exe /e, ") + folder;
    record(commandLine);
    startProcess(commandLine, WindowStyle::Normal, m_appDir);
}

} // namespace platform
