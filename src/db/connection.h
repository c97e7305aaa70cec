#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace db {

// A line of DB.ini beside the executable: 1 the server, 2 the password, 3 the
// login. A missing line, or any other number, reads as empty text.
// Throws platform::Error when the file cannot be read.
QString readDbIniLine(const QString &appDir, int lineNumber);

// The ADO connection string the archive is opened with.
QString adoConnectionString(const QString &server, const QString &password, const QString &user);

// The key/value pairs of an ADO (OLE DB) connection string, blanks around keys
// and values dropped, quoted values unquoted.
QList<QPair<QString, QString>> parseConnectionString(const QString &connection);
QString connectionValue(const QString &connection, const QString &key);

// The ODBC connection string for the same server, database and login, for the
// named ODBC driver.
QString odbcConnectionString(const QString &adoConnection, const QString &driver);

// The ODBC driver that stands for SQLNCLI11: KALDEN_ODBC_DRIVER when set, else
// "SQL Server Native Client 11.0" on Windows and "FreeTDS" elsewhere.
QString odbcDriverName();

// What a server line starting with this opens instead of SQL Server: the
// embedded archive file named after the colon.
inline constexpr const char *kEmbeddedPrefix = "embedded:";

} // namespace db
