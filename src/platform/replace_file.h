#pragma once

#include <QString>

#include <optional>

namespace platform {

enum class ReplaceFailure { Held, Other };

struct ReplaceError
{
    ReplaceFailure kind;
    QString systemText;
};

// Puts the file replacement in target's place in one step: target then has
// either its old content or the new one, never a part. A target that another
// program holds is tried again for a short while. On failure both files are
// left as they were.
std::optional<ReplaceError> replaceFile(const QString &replacement, const QString &target);

} // namespace platform
