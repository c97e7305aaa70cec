#include "../replace_file.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

std::optional<ReplaceError> replaceFile(const QString &replacement, const QString &target)
{
    // The new file keeps the old one's permissions.
    if (QFile::exists(target))
        QFile::setPermissions(replacement, QFile::permissions(target));
    else
        QFile::setPermissions(replacement, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(target).constData()) == 0)
        return std::nullopt;
    return ReplaceError{ReplaceFailure::Other, QString::fromLocal8Bit(std::strerror(errno))};
}

} // namespace platform
