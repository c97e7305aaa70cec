#pragma once

#include <QByteArray>
#include <QString>

namespace gateway {

// A text value as the bytes a data set in the given Specific Character Set
// holds. "\ISO 2022 IR 149" (and "ISO 2022 IR 149"): Korean in KS X 1001 after
// ESC $ ) C, which a person name repeats in every component group and after
// each "^" of a group that holds Korean, as DICOM resets the designation
// there; "ISO_IR 192": UTF-8; "ISO_IR 100": Latin-1; anything else: ASCII.
// A character the set cannot hold becomes "?".
QByteArray encodeValue(const QString &value, const QString &characterSet, bool personName);

// The text a device sent, read in the character set its query declared. Bytes
// the set does not define read as U+FFFD; escape sequences are dropped.
QString decodeValue(const QByteArray &bytes, const QString &characterSet);

// A Study Instance UID for an order whose view supplies none: "2.25." and a
// name-based UUID of the order's keys, so every query gets the same one.
QString derivedStudyUid(const QString &accessionNumber, const QString &patientId);

// Whether a value matches a key holding DICOM's wildcards ("*" any run, "?" one
// character, counted by code point so a character beyond the BMP is one).
bool matchesWildcard(const QString &value, const QString &key, Qt::CaseSensitivity cs);

} // namespace gateway
