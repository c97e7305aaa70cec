#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The gateway's log line, written by the gateway and read by the log tools and
// the device query: its markers, the layout of its lines and the escape that
// keeps a value from outside from forging either.
//
// Lines: a 24-character prefix "<yyyy-mm-dd hh:mm:ss> : ", data elements in
// DCMTK's dump form (tag at character 25, the value's "[" at character 40),
// and a final response line whose characters 1 to 23 and 53 onwards read
// "<yyyy-mm-dd hh:mm:ss> : N (Success)".
namespace gatewaylog {

inline constexpr const char *kCallingMarker = "Calling AP Title:";
inline constexpr const char *kCharsetMarker = "(0008,0005) CS";
inline constexpr const char *kQueryMarker = "Modality find query =";
inline constexpr const char *kOtherQueryMarker = "CModalityFindMakeQuery =";
inline constexpr const char *kPatientIdMarker = "(0010,0020) LO";
inline constexpr const char *kResponseMarker = "Worklist Find SCP Response";
inline constexpr const char *kSuccessMarker = "(Success)";
inline constexpr const char *kEndMarker = "DcmSCP: Association Terminated";

// The marker pairs around the fragments of a scanned entry.
inline constexpr const char *kAeOpen = "+//+";
inline constexpr const char *kAeClose = "+///+";
inline constexpr const char *kCharsetOpen = "*//*";
inline constexpr const char *kCharsetClose = "*///*";
inline constexpr const char *kQueryOpen = "-//-";
inline constexpr const char *kQueryClose = "-///-";

} // namespace gatewaylog

namespace gatewaylog::format {

// A value from outside (a device's AE title, key or character set, the
// archive's message, a file or host name) as a log line holds it. Written as
// "\xNN": control characters and ":", "=", "(", ")", "#", "/", which the
// markers of the log and of the scanned entries are made of; the "F" of
// "FROM", the "W" of "WHERE" and the blank of "AND ", at which the entry
// inspector cuts a query apart; and a backslash that would otherwise be read
// as the start of one of these. A character the code page cannot write is
// "\uNNNN". So every backslash a device sends stays as it is unless it comes
// before such a sequence, and a log of a gateway that escapes nothing reads
// as it stands.
QString escape(const QString &value);

// The gateway's own text: control characters written as "\xNN", so that no
// text can break a line.
QString escapeControls(const QString &text);

// The reverse of escape(): only the sequences escape() writes are read, every
// other backslash stands for itself.
QString unescape(const QString &text);

// Leading and trailing blanks removed; tabs and other spaces stay.
QString trimBlanks(const QString &text);

// The text between the first `open` and the first `close` after it; nothing
// when either is missing.
std::optional<QString> between(const QString &text, const char *open, const char *close);

QString prefix(const QDateTime &when);

// "(0010,0020) LO [2026000123]                             #  10, 1 PatientID"
QString element(const QString &tag, const QString &vr, const QString &value, int length, int multiplicity,
                const QString &name);

QString line(const QDateTime &when, const QString &text);

// The texts behind the prefix.
QString callingText(const QString &aeTitle);
QString viewText(const QString &viewName);
QString queryText(const QString &sql);
QString responseText(int number, const QString &status = QStringLiteral("Success"));
QString endText();

QString callingLine(const QDateTime &when, const QString &aeTitle);
QString viewLine(const QDateTime &when, const QString &viewName);
QString queryLine(const QDateTime &when, const QString &sql);
QString responseLine(const QDateTime &when, int number);
QString endLine(const QDateTime &when);

} // namespace gatewaylog::format
