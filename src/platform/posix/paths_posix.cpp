#include "../paths.h"

namespace platform {

QString Paths::resolve(const QString &windowsPath) const
{
    return mapWindowsPath(m_driveRoot, windowsPath);
}

} // namespace platform
