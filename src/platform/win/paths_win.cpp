#include "../paths.h"

namespace platform {

QString Paths::resolve(const QString &windowsPath) const
{
    return m_driveRootGiven ? mapWindowsPath(m_driveRoot, windowsPath) : windowsPath;
}

} // namespace platform
