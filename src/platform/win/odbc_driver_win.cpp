#include "../odbc_driver.h"

namespace platform {

QString defaultOdbcDriver()
{
    return QStringLiteral("SQL Server Native Client 11.0");
}

} // namespace platform
