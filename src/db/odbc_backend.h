#pragma once

#include "backend.h"

#include <QStringList>
#include <QVariantList>

class QSqlError;

namespace db {

// A statement's answer as the driver hands it over: results one after the
// other (row counts, rows), each read row by row.
class ResultCursor
{
public:
    virtual ~ResultCursor() = default;
    virtual bool isSelect() const = 0;
    virtual QStringList columns() const = 0;
    virtual bool next() = 0;
    virtual QVariantList row() const = 0; // NULL as an invalid QVariant
    virtual bool nextResult() = 0;
    virtual QString error() const = 0; // the driver's last error; empty when none
};

// The rows of the first result that has columns. Every result is read to its
// end, and the driver is asked for an error after the last row of each and
// after the last result: a fetch that fails (a conversion error on a later
// row, a lost connection) throws platform::Error, never gives fewer rows.
Recordset readResults(ResultCursor &cursor);

// SQL Server through ODBC: Qt's ODBC driver opens the connection and runs its
// transactions; statements are run and read on the driver's own handle.
class OdbcBackend final : public Backend
{
public:
    // Opens the connection; throws platform::Error with the driver's text when
    // it cannot. loginTimeoutSeconds bounds the wait for a server that does not answer.
    OdbcBackend(const QString &odbcConnectionString, int loginTimeoutSeconds = 15);
    ~OdbcBackend() override;

    Recordset execute(const QString &sql) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool isOpen() const override;
    void close() override;
    bool lost() const override { return m_lost; }

private:
    [[noreturn]] void fail(const QSqlError &error);

    QString m_name;
    void *m_connection = nullptr; // the driver's connection handle (SQLHDBC)
    bool m_lost = false;
};

} // namespace db
