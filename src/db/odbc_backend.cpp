#include "odbc_backend.h"

#include "platform/error.h"

#include <QAtomicInt>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace db {

static QString errorText(const QSqlError &error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    if (!error.driverText().isEmpty() && !text.contains(error.driverText()))
        text += QStringLiteral("\n") + error.driverText();
    return text;
}

// The connection is gone. QODBC hands over the driver's native error number and
// text, not the SQLSTATE (08S01), so the drivers' own numbers are named: FreeTDS's
// read, write, end-of-file and dead-connection errors, the native client's TCP
// provider (10053, 10054, 233), and the text every driver gives a dead link.
static bool isLinkFailure(const QSqlError &error)
{
    static const QStringList numbers{QStringLiteral("20002"), QStringLiteral("20004"), QStringLiteral("20006"),
                                     QStringLiteral("20009"), QStringLiteral("20017"), QStringLiteral("20047"),
                                     QStringLiteral("10053"), QStringLiteral("10054"), QStringLiteral("233")};
    const QStringList codes = error.nativeErrorCode().split(QRegularExpression(QStringLiteral("[ ;]")));
    for (const QString &code : codes) {
        if (numbers.contains(code))
            return true;
    }
    return error.databaseText().contains(QLatin1String("Communication link failure"), Qt::CaseInsensitive) ||
           error.databaseText().contains(QLatin1String("TCP Provider"), Qt::CaseInsensitive);
}

void OdbcBackend::fail(const QSqlError &error)
{
    if (isLinkFailure(error))
        m_lost = true;
    throw platform::Error(errorText(error));
}

OdbcBackend::OdbcBackend(const QString &odbcConnectionString, int loginTimeoutSeconds)
{
    static QAtomicInt counter;
    m_name = QStringLiteral("kz-odbc-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    if (!database.isValid()) {
        QSqlDatabase::removeDatabase(m_name);
        throw platform::Error(QStringLiteral("ODBC 드라이버(QODBC)를 불러올 수 없습니다."));
    }
    database.setDatabaseName(odbcConnectionString);
    database.setConnectOptions(
        QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(loginTimeoutSeconds));
    if (!database.open()) {
        const QString text = errorText(database.lastError());
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw platform::Error(text);
    }
}

OdbcBackend::~OdbcBackend()
{
    close();
}

Recordset OdbcBackend::execute(const QString &sql)
{
    QSqlDatabase database = QSqlDatabase::database(m_name, false);
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        fail(query.lastError());
    QStringList columns;
    std::vector<QVariantList> rows;
    // A batch may answer with several results (row counts first); the rows are
    // those of the first result that has columns.
    do {
        if (!query.isSelect())
            continue;
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            columns.append(record.fieldName(i));
        while (query.next()) {
            QVariantList row;
            row.reserve(record.count());
            for (int i = 0; i < record.count(); ++i)
                row.append(query.isNull(i) ? QVariant() : query.value(i));
            rows.push_back(std::move(row));
        }
        // An error raised after some rows ends the fetch like the last row
        // does; the rows read are never the whole result.
        if (query.lastError().isValid())
            fail(query.lastError());
        break;
    } while (query.nextResult());
    return Recordset(std::move(columns), std::move(rows));
}

void OdbcBackend::begin()
{
    QSqlDatabase database = QSqlDatabase::database(m_name, false);
    if (!database.transaction())
        fail(database.lastError());
}

void OdbcBackend::commit()
{
    QSqlDatabase database = QSqlDatabase::database(m_name, false);
    if (!database.commit())
        fail(database.lastError());
}

void OdbcBackend::rollback()
{
    QSqlDatabase database = QSqlDatabase::database(m_name, false);
    if (!database.rollback())
        fail(database.lastError());
}

bool OdbcBackend::isOpen() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

void OdbcBackend::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase database = QSqlDatabase::database(m_name, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

} // namespace db
