#include "../odbc_driver.h"

namespace platform {

QString defaultOdbcDriver()
{
    return QStringLiteral("FreeTDS");
}

} // namespace platform
