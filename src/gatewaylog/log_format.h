#pragma once

#include <QDateTime>
#include <QString>

// The lines of the gateway's log, laid out as the tool's log tools read them:
// a 24-character prefix "<yyyy-mm-dd hh:mm:ss> : ", data elements in DCMTK's
// dump form (tag at character 25, the value's "[" at character 40), and a
// final response line whose characters 1 to 23 and 53 onwards read
// "<yyyy-mm-dd hh:mm:ss> : N (Success)".
namespace gatewaylog::format {

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
