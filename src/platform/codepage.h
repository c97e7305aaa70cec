#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// The system's ANSI code page is what every text file of the site is written
// in (CP949 on the Korean machines the tool serves).
QString fromAnsi(const QByteArray &bytes);
// A line that may be cut at a byte bound (cut): a character the cut split in
// two is left out, not shown as U+FFFD.
QString fromAnsiCut(const QByteArray &bytes, bool cut = true);
// Characters the code page cannot write become '?' (log lines, search keys).
QByteArray toAnsi(const QString &text);
// Nothing when a character cannot be written in the code page.
std::optional<QByteArray> toAnsiExact(const QString &text);
// What `encode` writes of the text, each character it cannot write as '?'.
QByteArray encodeReplacing(const QString &text, std::optional<QByteArray> (*encode)(const QString &));

// CP949 explicitly, whatever the system's code page is.
QString fromCp949(const QByteArray &bytes);
std::optional<QByteArray> toCp949(const QString &text);

// EUC-KR as devices read it: ASCII and the KS X 1001 characters only. Nothing
// when a character lies outside them (CP949's added syllables included).
std::optional<QByteArray> toEucKr(const QString &text);

// The system's own conversions, one implementation per system.
QString decodeAnsi(const QByteArray &bytes);
std::optional<QByteArray> encodeAnsi(const QString &text);
QString decodeCp949(const QByteArray &bytes);
std::optional<QByteArray> encodeCp949(const QString &text);

} // namespace platform
