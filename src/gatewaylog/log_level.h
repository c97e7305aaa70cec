#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace gatewaylog {

// The two settings the window offers: Option1 "로그없음" and Option2 "로그강화".
enum class LogOption { None, Detailed };

// A level line: its key, the text before the first "=" with blanks around it
// ignored, is exactly "LogLevel". ("MaxLogLevel=3" belongs to another setting.)
bool isLevelLine(const QString &line);

// The option a whole line stands for: "LogLevel=0" to "LogLevel=3" is None,
// "LogLevel=4" Detailed, anything else nothing.
std::optional<LogOption> recognisedLevel(const QString &line);

QString levelLine(LogOption option);

struct LevelRewrite
{
    QStringList lines;                   // the file's lines, each level line replaced
    std::optional<LogOption> recognised; // the option of the last recognised level line
};

// Reads the control file's lines: the option is taken from each recognised
// level line as it is met (reading mode), and every level line is written as
// the level of the option selected at that moment. In writing mode pass
// readLevels false: the selected option stays as it is.
LevelRewrite rewriteLevels(const QStringList &lines, LogOption selected, bool readLevels);

} // namespace gatewaylog
