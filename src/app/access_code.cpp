#include "access_code.h"

namespace app {

QString accessCode(const QDate &day)
{
    QString code = day.toString(QStringLiteral("yyyyMMdd"));
    for (QChar &c : code)
        c = QChar(u'0' + (9 - c.digitValue()));
    return code;
}

} // namespace app
