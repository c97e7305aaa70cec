#include "../paths.h"

namespace platform {

QString Paths::resolve(const QString &windowsPath) const
{
    return windowsPath;
}

} // namespace platform
