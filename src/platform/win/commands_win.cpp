#include "../services.h"

#include <windows.h>

#include <vector>

namespace platform {

// Started minimised (window style 2) and not waited for; a command that cannot
// start is passed over.
void SystemCommandLauncher::start(const QString &commandLine)
{
    record(commandLine);
    std::wstring line = commandLine.toStdWString();
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void SystemCommandLauncher::openFolder(const QString &folder)
{
    start(QStringLiteral("Explorer.exe /e, ") + folder);
}

} // namespace platform
