#include "odbc_backend.h"

#include "platform/error.h"

#include <QAtomicInt>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace db {

// The server's text, its error number first as the server's own tools show
// it ("Msg 8152: …"), then the driver's text.
static QString errorText(const QSqlError &error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    static const QRegularExpression number(QStringLiteral("^\\d+"));
    const QString code = number.match(error.nativeErrorCode()).captured();
    if (!code.isEmpty() && code != u"0" && !text.startsWith(QStringLiteral("Msg ")))
        text = QStringLiteral("Msg %1: ").arg(code) + text;
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

namespace {

class QueryCursor final : public ResultCursor
{
public:
    explicit QueryCursor(QSqlQuery &query) : m_query(query) {}
    bool isSelect() const override { return m_query.isSelect(); }
    QStringList columns() const override
    {
        QStringList names;
        const QSqlRecord record = m_query.record();
        for (int i = 0; i < record.count(); ++i)
            names.append(record.fieldName(i));
        return names;
    }
    bool next() override { return m_query.next(); }
    QVariantList row() const override
    {
        QVariantList values;
        const int count = m_query.record().count();
        values.reserve(count);
        for (int i = 0; i < count; ++i)
            values.append(m_query.isNull(i) ? QVariant() : m_query.value(i));
        return values;
    }
    bool nextResult() override { return m_query.nextResult(); }
    QString error() const override
    {
        return m_query.lastError().isValid() ? errorText(m_query.lastError()) : QString();
    }

private:
    QSqlQuery &m_query;
};

} // namespace

Recordset readResults(ResultCursor &cursor)
{
    QStringList columns;
    std::vector<QVariantList> rows;
    bool haveRows = false;
    // A batch may answer with several results (row counts first); the rows are
    // those of the first result that has columns. Each result is read to its
    // end so that an error the server raises in it is seen.
    for (;;) {
        const bool keep = !haveRows && cursor.isSelect();
        if (keep) {
            haveRows = true;
            columns = cursor.columns();
        }
        while (cursor.next()) {
            if (keep)
                rows.push_back(cursor.row());
        }
        if (const QString error = cursor.error(); !error.isEmpty())
            throw platform::Error(error);
        if (!cursor.nextResult())
            break;
    }
    if (const QString error = cursor.error(); !error.isEmpty())
        throw platform::Error(error);
    return Recordset(std::move(columns), std::move(rows));
}

Recordset OdbcBackend::execute(const QString &sql)
{
    QSqlDatabase database = QSqlDatabase::database(m_name, false);
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        fail(query.lastError());
    QueryCursor cursor(query);
    try {
        return readResults(cursor);
    } catch (const platform::Error &) {
        if (isLinkFailure(query.lastError()))
            m_lost = true;
        throw;
    }
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
