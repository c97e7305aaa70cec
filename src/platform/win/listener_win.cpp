#include "platform/listener.h"

#include <windows.h>

#include <process.h>

#include <memory>

namespace platform {

// DCMTK's listening socket is a Winsock handle that cannot be replaced in
// place; a site that needs one interface only sets its firewall instead.
bool restrictListener(int, const QString &, QString &error)
{
    error = QStringLiteral("Bind= is not supported on Windows; listening on every interface");
    return false;
}

static unsigned __stdcall threadMain(void *arg)
{
    std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()> *>(arg));
    (*owned)();
    return 0;
}

bool startDetachedThread(std::function<void()> run, std::size_t stackBytes)
{
    auto *task = new std::function<void()>(std::move(run));
    const uintptr_t handle =
        ::_beginthreadex(nullptr, unsigned(stackBytes), &threadMain, task, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (handle == 0) {
        delete task;
        return false;
    }
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    return true;
}

} // namespace platform
