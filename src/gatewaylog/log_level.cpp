#include "log_level.h"

namespace gatewaylog {

bool isLevelLine(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq >= 0 && line.left(eq).trimmed() == QLatin1String("LogLevel");
}

std::optional<LogOption> recognisedLevel(const QString &line)
{
    if (line == QLatin1String("LogLevel=0") || line == QLatin1String("LogLevel=1") ||
        line == QLatin1String("LogLevel=2") || line == QLatin1String("LogLevel=3"))
        return LogOption::None;
    if (line == QLatin1String("LogLevel=4"))
        return LogOption::Detailed;
    return std::nullopt;
}

QString levelLine(LogOption option)
{
    return option == LogOption::Detailed ? QStringLiteral("LogLevel=4") : QStringLiteral("LogLevel=0");
}

LevelRewrite rewriteLevels(const QStringList &lines, LogOption selected, bool readLevels)
{
    LevelRewrite result;
    for (const QString &line : lines) {
        if (!isLevelLine(line)) {
            result.lines.append(line);
            continue;
        }
        if (readLevels) {
            if (const auto level = recognisedLevel(line)) {
                selected = *level;
                result.recognised = level;
            }
        }
        result.lines.append(levelLine(selected));
    }
    return result;
}

} // namespace gatewaylog
