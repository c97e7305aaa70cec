#include "romanize_statements.h"

#include "db/sql_text.h"

using db::quoted;

namespace romanize {

QString lookup(const QString &koreanName)
{
    return QStringLiteral("Select FAMILY_NAME, ENG_NAME ") + QStringLiteral("From   THANCONVERT ") +
           QStringLiteral("Where  KOR_NAME = '") + quoted(koreanName) + QStringLiteral("'");
}

QString update(const QString &familyName, const QString &givenName, const QString &koreanName)
{
    return QStringLiteral("Update  THANCONVERT ") + QStringLiteral("Set     FAMILY_NAME = '") + quoted(familyName) +
           QStringLiteral("', ") + QStringLiteral("ENG_NAME = '") + quoted(givenName) + QStringLiteral("' ") +
           QStringLiteral("Where   KOR_NAME = '") + quoted(koreanName) + QStringLiteral("'");
}

QString confirmation(const QString &familyName, const QString &givenName)
{
    return QStringLiteral("성 : ") + familyName + QStringLiteral(", 이름 : ") + givenName +
           QStringLiteral(" 변경 하시겠습니까?");
}

} // namespace romanize
