#include "odbc_backend.h"

#include "platform/error.h"

#include <QAtomicInt>
#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QTime>

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <array>

namespace db {

namespace {

// What the driver said about a failure: every diagnostic record's state,
// native error number and text.
struct Diagnostics
{
    QStringList states;
    QStringList numbers;
    QStringList texts;
};

Diagnostics diagnose(SQLSMALLINT handleType, SQLHANDLE handle)
{
    Diagnostics d;
    for (SQLSMALLINT record = 1; record < 50; ++record) {
        std::array<SQLWCHAR, 6> state{};
        SQLINTEGER native = 0;
        std::vector<SQLWCHAR> text(1024);
        SQLSMALLINT length = 0;
        SQLRETURN r = SQLGetDiagRecW(handleType, handle, record, state.data(), &native, text.data(),
                                     SQLSMALLINT(text.size()), &length);
        if (r == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
            text.resize(size_t(length) + 1);
            r = SQLGetDiagRecW(handleType, handle, record, state.data(), &native, text.data(), SQLSMALLINT(text.size()),
                               &length);
        }
        if (!SQL_SUCCEEDED(r))
            break;
        d.states.append(QString::fromUtf16(reinterpret_cast<const char16_t *>(state.data()), 5));
        d.numbers.append(QString::number(native));
        d.texts.append(QString::fromUtf16(reinterpret_cast<const char16_t *>(text.data()),
                                          std::min<qsizetype>(length, qsizetype(text.size()) - 1)));
    }
    return d;
}

// The server's text, its error number first as the server's own tools show
// it ("Msg 8152: …").
QString errorText(const QString &firstNumber, QString text)
{
    if (!firstNumber.isEmpty() && firstNumber != u"0" && !text.startsWith(QStringLiteral("Msg ")))
        text = QStringLiteral("Msg %1: ").arg(firstNumber) + text;
    return text;
}

QString errorText(const Diagnostics &d)
{
    QString number;
    for (const QString &n : d.numbers) {
        if (n != u"0") {
            number = n;
            break;
        }
    }
    const QString text = d.texts.join(u'\n');
    return errorText(number,
                     text.isEmpty() ? QStringLiteral("ODBC 드라이버가 오류를 알렸으나 내용을 주지 않았습니다.") : text);
}

QString errorText(const QSqlError &error)
{
    static const QRegularExpression number(QStringLiteral("^\\d+"));
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    text = errorText(number.match(error.nativeErrorCode()).captured(), text);
    if (!error.driverText().isEmpty() && !text.contains(error.driverText()))
        text += QStringLiteral("\n") + error.driverText();
    return text;
}

// The connection is gone: the link states (08S01 communication link failure,
// 08003 and 08007 no connection), or the drivers' own numbers where a driver
// gives no state: FreeTDS's read, write, end-of-file and dead-connection
// errors, the native client's TCP provider (10053, 10054, 233), and the text
// every driver gives a dead link.
bool isLinkFailure(const QStringList &states, const QStringList &numbers, const QString &text)
{
    static const QStringList linkStates{QStringLiteral("08S01"), QStringLiteral("08003"), QStringLiteral("08007")};
    static const QStringList linkNumbers{QStringLiteral("20002"), QStringLiteral("20004"), QStringLiteral("20006"),
                                         QStringLiteral("20009"), QStringLiteral("20017"), QStringLiteral("20047"),
                                         QStringLiteral("10053"), QStringLiteral("10054"), QStringLiteral("233")};
    for (const QString &state : states) {
        if (linkStates.contains(state))
            return true;
    }
    for (const QString &number : numbers) {
        if (linkNumbers.contains(number))
            return true;
    }
    return text.contains(QLatin1String("Communication link failure"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("TCP Provider"), Qt::CaseInsensitive);
}

bool isLinkFailure(const QSqlError &error)
{
    return isLinkFailure({}, error.nativeErrorCode().split(QRegularExpression(QStringLiteral("[ ;]"))),
                         error.databaseText());
}

// A value longer than this is refused rather than read into memory: no column
// the tool or the gateway reads comes near it.
constexpr qsizetype kLongestValue = 64 * 1024 * 1024;

// One statement on the connection, read straight from the driver. Texts are
// read in pieces until the driver says the value is whole: a varchar(max)
// value whose length the driver cannot tell in advance (SQL_NO_TOTAL) comes
// through whole, where Qt's own reading takes it for NULL.
class Statement final : public ResultCursor
{
public:
    explicit Statement(SQLHDBC connection)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &m_handle))) {
            m_handle = SQL_NULL_HSTMT;
            m_diagnostics = diagnose(SQL_HANDLE_DBC, connection);
        }
    }
    ~Statement() override
    {
        if (m_handle != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
    }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool execute(const QString &sql)
    {
        if (m_handle == SQL_NULL_HSTMT)
            return false;
        const SQLRETURN r = SQLExecDirectW(
            m_handle, const_cast<SQLWCHAR *>(reinterpret_cast<const SQLWCHAR *>(sql.utf16())), SQLINTEGER(sql.size()));
        if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO && r != SQL_NO_DATA)
            return failed();
        describe();
        return true;
    }

    bool isSelect() const override { return !m_columns.isEmpty(); }
    QStringList columns() const override { return m_columns; }

    bool next() override
    {
        if (m_columns.isEmpty())
            return false;
        const SQLRETURN r = SQLFetch(m_handle);
        if (r == SQL_NO_DATA)
            return false;
        if (!SQL_SUCCEEDED(r))
            return failed();
        return true;
    }

    QVariantList row() const override
    {
        QVariantList values;
        values.reserve(m_columns.size());
        for (qsizetype i = 0; i < m_columns.size(); ++i)
            values.append(value(SQLUSMALLINT(i + 1), m_types.at(i)));
        return values;
    }

    bool nextResult() override
    {
        const SQLRETURN r = SQLMoreResults(m_handle);
        if (r == SQL_NO_DATA)
            return false;
        if (!SQL_SUCCEEDED(r))
            return failed();
        describe();
        return true;
    }

    QString error() const override { return m_failed ? errorText(m_diagnostics) : QString(); }
    const Diagnostics &diagnostics() const { return m_diagnostics; }

private:
    bool failed()
    {
        m_failed = true;
        m_diagnostics = m_handle == SQL_NULL_HSTMT ? m_diagnostics : diagnose(SQL_HANDLE_STMT, m_handle);
        return false;
    }

    [[noreturn]] void throwFailure() const
    {
        auto *self = const_cast<Statement *>(this);
        self->failed();
        throw platform::Error(errorText(m_diagnostics));
    }

    void describe()
    {
        m_columns.clear();
        m_types.clear();
        SQLSMALLINT count = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(m_handle, &count)))
            count = 0;
        for (SQLUSMALLINT column = 1; column <= count; ++column) {
            std::array<SQLWCHAR, 256> name{};
            SQLSMALLINT nameLength = 0, type = SQL_UNKNOWN_TYPE, digits = 0, nullable = 0;
            SQLULEN size = 0;
            if (!SQL_SUCCEEDED(SQLDescribeColW(m_handle, column, name.data(), SQLSMALLINT(name.size()), &nameLength,
                                               &type, &size, &digits, &nullable)))
                throwFailure();
            m_columns.append(QString::fromUtf16(reinterpret_cast<const char16_t *>(name.data()),
                                                std::min<qsizetype>(nameLength, qsizetype(name.size()) - 1)));
            m_types.append(type);
        }
    }

    // Reads one column's value into a type of its own (whole numbers, real
    // numbers, dates and times, bytes); every other type as text.
    QVariant value(SQLUSMALLINT column, SQLSMALLINT type) const
    {
        switch (type) {
        case SQL_INTEGER:
        case SQL_SMALLINT:
        case SQL_TINYINT:
        case SQL_BIT: {
            SQLINTEGER v = 0;
            return fixed(column, SQL_C_SLONG, &v, sizeof v) ? QVariant(int(v)) : QVariant();
        }
        case SQL_BIGINT: {
            SQLBIGINT v = 0;
            return fixed(column, SQL_C_SBIGINT, &v, sizeof v) ? QVariant(qlonglong(v)) : QVariant();
        }
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_DECIMAL:
        case SQL_NUMERIC: {
            double v = 0;
            return fixed(column, SQL_C_DOUBLE, &v, sizeof v) ? QVariant(v) : QVariant();
        }
        case SQL_TYPE_DATE: {
            SQL_DATE_STRUCT v{};
            return fixed(column, SQL_C_TYPE_DATE, &v, sizeof v) ? QVariant(QDate(v.year, v.month, v.day)) : QVariant();
        }
        case SQL_TYPE_TIMESTAMP: {
            SQL_TIMESTAMP_STRUCT v{};
            if (!fixed(column, SQL_C_TYPE_TIMESTAMP, &v, sizeof v))
                return {};
            return QDateTime(QDate(v.year, v.month, v.day),
                             QTime(v.hour, v.minute, v.second, int(v.fraction / 1000000)));
        }
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return pieces(column, SQL_C_BINARY);
        default:
            return pieces(column, SQL_C_WCHAR);
        }
    }

    bool fixed(SQLUSMALLINT column, SQLSMALLINT cType, void *target, SQLLEN size) const
    {
        SQLLEN indicator = 0;
        if (!SQL_SUCCEEDED(SQLGetData(m_handle, column, cType, target, size, &indicator)))
            throwFailure();
        return indicator != SQL_NULL_DATA;
    }

    // A text or byte value, read piece by piece until the driver has given it
    // all: a piece that fills the buffer (or whose whole length the driver
    // cannot tell) is followed by another.
    QVariant pieces(SQLUSMALLINT column, SQLSMALLINT cType) const
    {
        const bool text = cType == SQL_C_WCHAR;
        const SQLLEN terminator = text ? SQLLEN(sizeof(SQLWCHAR)) : 0;
        std::array<char, 32768> buffer;
        QByteArray bytes;
        for (;;) {
            SQLLEN indicator = 0;
            const SQLRETURN r = SQLGetData(m_handle, column, cType, buffer.data(), SQLLEN(buffer.size()), &indicator);
            if (r == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(r))
                throwFailure();
            if (indicator == SQL_NULL_DATA)
                return {};
            const SQLLEN room = SQLLEN(buffer.size()) - terminator;
            const bool whole = indicator != SQL_NO_TOTAL && indicator <= room;
            bytes.append(buffer.data(), qsizetype(whole ? indicator : room));
            if (bytes.size() > kLongestValue * (text ? 2 : 1))
                throw platform::Error(
                    QStringLiteral("데이터베이스가 %1번째 열에 너무 긴 값(%2자 넘게)을 보내 읽지 않았습니다.")
                        .arg(column)
                        .arg(kLongestValue));
            if (whole)
                break;
        }
        if (!text)
            return bytes;
        if (bytes.isEmpty())
            return QStringLiteral(""); // empty, not NULL
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
    }

    SQLHSTMT m_handle = SQL_NULL_HSTMT;
    QStringList m_columns;
    QList<SQLSMALLINT> m_types;
    Diagnostics m_diagnostics;
    bool m_failed = false;
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
    const bool opened = database.open();
    const QVariant handle = opened ? database.driver()->handle() : QVariant();
    if (!opened || handle.metaType().sizeOf() != int(sizeof(SQLHDBC)) || !handle.constData()) {
        const QString text = opened ? QStringLiteral("ODBC 드라이버(QODBC)가 연결 핸들을 주지 않았습니다.")
                                    : errorText(database.lastError());
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw platform::Error(text);
    }
    m_connection = *static_cast<const SQLHDBC *>(handle.constData());
}

OdbcBackend::~OdbcBackend()
{
    close();
}

Recordset OdbcBackend::execute(const QString &sql)
{
    if (!isOpen())
        throw platform::Error(QStringLiteral("데이터베이스 연결이 닫혀 있습니다."));
    Statement statement(static_cast<SQLHDBC>(m_connection));
    try {
        if (!statement.execute(sql))
            throw platform::Error(statement.error());
        return readResults(statement);
    } catch (const platform::Error &) {
        const Diagnostics &d = statement.diagnostics();
        if (isLinkFailure(d.states, d.numbers, d.texts.join(u'\n')))
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
    m_connection = nullptr;
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase database = QSqlDatabase::database(m_name, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

} // namespace db
