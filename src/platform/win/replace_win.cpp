#include "../replace_file.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace platform {

namespace {

// How long a program that holds the file (the gateway reading its control
// file) is waited for: a moment, not a hang of the window.
constexpr int kAttempts = 10;
constexpr DWORD kPauseMs = 50;

bool isHeld(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

QString systemText(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    QString text =
        n > 0 ? QString::fromWCharArray(buffer, static_cast<int>(n)).trimmed() : QStringLiteral("error %1").arg(error);
    LocalFree(buffer);
    return text;
}

// One attempt: 0 when done, else the system's error.
DWORD replaceOnce(const std::wstring &from, const std::wstring &to)
{
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return 0;
        const DWORD error = GetLastError();
        // The old file may already be gone while the new one kept its name.
        if (error != ERROR_UNABLE_TO_MOVE_REPLACEMENT)
            return error;
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return GetLastError();
}

} // namespace

std::optional<ReplaceError> replaceFile(const QString &replacement, const QString &target)
{
    // ReplaceFileW takes full paths only.
    const std::wstring from = QDir::toNativeSeparators(QFileInfo(replacement).absoluteFilePath()).toStdWString();
    const std::wstring to = QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()).toStdWString();
    DWORD error = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0)
            Sleep(kPauseMs);
        error = replaceOnce(from, to);
        if (error == 0)
            return std::nullopt;
        if (!isHeld(error))
            break;
    }
    return ReplaceError{isHeld(error) ? ReplaceFailure::Held : ReplaceFailure::Other, systemText(error)};
}

} // namespace platform
