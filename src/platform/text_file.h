#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// Splits byte text into lines: a line ends at CR LF or at a lone CR; a lone LF
// does not end a line and stays in the text. A last line without a line end is
// still a line; an empty text has no lines. The split works on bytes, which is
// safe for CP949: neither byte of a double-byte character is ever CR or LF.
QList<QByteArray> splitLines(const QByteArray &bytes);

// Every line of a text file in the ANSI code page, without line ends.
// Throws platform::Error naming the file when it cannot be read.
QStringList readLines(const QString &path);

// The whole file as one text, each line followed by CR LF.
QString readTextFile(const QString &path);

// Replaces the file's content by text followed by one CR LF, in the ANSI code
// page. The file is replaced as a whole: a new file is written beside it and
// renamed over the old one, so a failure leaves the old file as it was.
// Throws platform::Error when a character cannot be written in the code page
// or the file cannot be written.
void writeTextFile(const QString &path, const QString &text);

// Joins lines with CR LF between them and nothing after the last.
QString joinCrLf(const QStringList &lines);

} // namespace platform
