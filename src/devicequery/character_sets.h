#pragma once

#include <QByteArray>
#include <QString>

// Text values of worklist items and the character sets they are written in.
namespace devicequery {

// A value's bytes as the text they stand for in the item's Specific Character
// Set: "ISO_IR 192" UTF-8, "ISO_IR 100" Latin-1, "ISO 2022 IR 149" (with or
// without the leading "\") KS X 1001 after its escape sequences, anything else
// ASCII. Bytes a set cannot hold come out as U+FFFD.
QString decodeValue(const QByteArray &bytes, const QString &characterSet);

// Whether every character of the text can be written in the character set
// (the gateway writes "?" for one that cannot).
bool fits(const QString &text, const QString &characterSet);

// The set's values without empty ones and blanks: "\ISO 2022 IR 149" and
// "ISO 2022 IR 149" are the same set for a device.
QString normalizedSet(const QString &characterSet);

} // namespace devicequery
