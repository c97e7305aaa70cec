#include "connection.h"

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/odbc_driver.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFile>

namespace db {

QString readDbIniLine(const QString &appDir, int lineNumber)
{
    const QString path = QDir(appDir).filePath(QStringLiteral("DB.ini"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("DB.ini 파일을 열 수 없습니다: %1 (%2)").arg(path, file.errorString()));
    const QList<QByteArray> lines = platform::splitLines(file.readAll());
    if (lineNumber < 1 || lineNumber > 3 || lineNumber > lines.size())
        return QString();
    return platform::fromAnsi(lines.at(lineNumber - 1));
}

QString adoConnectionString(const QString &server, const QString &password, const QString &user)
{
    return QStringLiteral("Provider=SQLNCLI11;") + QStringLiteral("Server=") + server + QStringLiteral(";") +
           QStringLiteral("Database=QoRVA_Clinic;") + QStringLiteral("User Id= ") + user + QStringLiteral(";") +
           QStringLiteral("Password= ") + password;
}

QList<QPair<QString, QString>> parseConnectionString(const QString &connection)
{
    QList<QPair<QString, QString>> pairs;
    qsizetype i = 0;
    const qsizetype n = connection.size();
    while (i < n) {
        const qsizetype eq = connection.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = connection.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        while (j < n && connection.at(j) == QLatin1Char(' '))
            ++j;
        QString value;
        if (j < n && (connection.at(j) == QLatin1Char('"') || connection.at(j) == QLatin1Char('\''))) {
            const QChar quote = connection.at(j);
            ++j;
            while (j < n) {
                if (connection.at(j) == quote) {
                    if (j + 1 < n && connection.at(j + 1) == quote) {
                        value += quote;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += connection.at(j++);
            }
            const qsizetype semi = connection.indexOf(QLatin1Char(';'), j);
            i = semi < 0 ? n : semi + 1;
        } else {
            const qsizetype semi = connection.indexOf(QLatin1Char(';'), j);
            const qsizetype end = semi < 0 ? n : semi;
            value = connection.mid(j, end - j).trimmed();
            i = semi < 0 ? n : semi + 1;
        }
        if (!key.isEmpty())
            pairs.append({key, value});
    }
    return pairs;
}

QString connectionValue(const QString &connection, const QString &key)
{
    QString found;
    for (const auto &pair : parseConnectionString(connection)) {
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0)
            found = pair.second;
    }
    return found;
}

static QString odbcValue(const QString &value)
{
    const bool needsBraces = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{')) ||
                             value.contains(QLatin1Char('}')) || value.contains(QLatin1Char('=')) ||
                             value != value.trimmed();
    if (!needsBraces)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

QString odbcConnectionString(const QString &adoConnection, const QString &driver)
{
    const QString server = connectionValue(adoConnection, QStringLiteral("Server"));
    const QString database = connectionValue(adoConnection, QStringLiteral("Database"));
    const QString user = connectionValue(adoConnection, QStringLiteral("User Id"));
    const QString password = connectionValue(adoConnection, QStringLiteral("Password"));
    QString odbc = QStringLiteral("DRIVER={") + driver + QStringLiteral("};SERVER=") + odbcValue(server) +
                   QStringLiteral(";DATABASE=") + odbcValue(database) + QStringLiteral(";UID=") + odbcValue(user) +
                   QStringLiteral(";PWD=") + odbcValue(password) + QLatin1Char(';');
    // FreeTDS left to find the protocol version itself keeps retrying a server
    // that does not answer and never honours the login time-out; 7.4 is what
    // the SQL Server releases of the native client speak.
    if (driver.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive))
        odbc += QStringLiteral("TDS_Version=7.4;");
    return odbc;
}

QString odbcDriverName()
{
    const QString configured = qEnvironmentVariable("KALDEN_ODBC_DRIVER");
    return configured.isEmpty() ? platform::defaultOdbcDriver() : configured;
}

} // namespace db
