#include "view_statements.h"

#include "order_preview.h"

#include "platform/error.h"

namespace worklist::statements {

QString viewList()
{
    return QStringLiteral("Select * ") + QStringLiteral("From   Sys.Objects ") +
           QStringLiteral("Where  Name like  'VMWL%'");
}

QString dropView(const QString &viewName)
{
    return QStringLiteral("Drop View ") + viewName;
}

QString definition(const QString &listedName)
{
    QString name = listedName;
    name.replace(QLatin1Char('-'), QLatin1String("1_1"));
    // The catalogue lists whatever the server holds: only a plain name is sent.
    if (!preview::isPlainObjectName(name))
        throw platform::Error(QStringLiteral("View 이름에 쓸 수 없는 문자가 있어 정의를 읽지 않았습니다: ") +
                              listedName);
    return QStringLiteral("SP_HELPTEXT ") + name;
}

} // namespace worklist::statements
