#pragma once

#include "recordset.h"

#include <QString>

namespace db {

// One open connection to an archive: SQL Server through ODBC at a site, the
// embedded SQLite archive elsewhere. Every failure throws platform::Error with
// the database's own text.
class Backend
{
public:
    virtual ~Backend() = default;
    virtual Recordset execute(const QString &sql) = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool isOpen() const = 0;
    // The link to the server broke (it dropped the connection): nothing more
    // can run on this connection.
    virtual bool lost() const { return false; }
    virtual void close() = 0;
};

} // namespace db
