#pragma once

#include <QString>

namespace platform {

// The ODBC driver that reaches SQL Server on this kind of system.
QString defaultOdbcDriver();

} // namespace platform
