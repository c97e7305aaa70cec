#pragma once

#include "backend.h"

class QSqlError;

namespace db {

// SQL Server through Qt's ODBC driver.
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
    bool m_lost = false;
};

} // namespace db
