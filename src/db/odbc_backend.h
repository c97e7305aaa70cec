#pragma once

#include "backend.h"

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

private:
    QString m_name;
};

} // namespace db
