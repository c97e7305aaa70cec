#pragma once

#include "marked_lines.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace gatewaylog {

// Every file directly in the folder, by name in ascending order (letter case
// ignored, as the Windows file list shows them). Throws platform::Error naming
// the folder, as shownAs when given (the operator's own text), when it does not exist.
QStringList folderFiles(const QString &folder, const QString &shownAs = QString());

// The files whose name holds the gateway's name (exact letter case).
QStringList gatewayLogFiles(const QStringList &files, const QString &gatewayName);

// Reads the named files of the folder one after the other through the reader.
// progress is told which file is being read (from 1) and the bytes read so far
// of all the files. Throws
// platform::Error naming a file that cannot be opened or read.
void readLogs(const QString &folder, const QStringList &files, MarkedLineReader &reader,
              const MarkedLineReader::LineHandler &onLine, const std::function<void(int, qint64, qint64)> &progress);

// A file of the folder that the log deletion takes: its full path, as Windows
// writes it, holds "ZORADODID" in any letter case.
bool isDeletableLog(const QString &windowsFolder, const QString &fileName);

// Removes the folder's deletable logs; a file the gateway still holds stays,
// silently, as it does on Windows.
void deleteLogs(const QString &folder, const QString &windowsFolder);

} // namespace gatewaylog
