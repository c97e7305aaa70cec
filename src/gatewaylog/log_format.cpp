#include "log_format.h"

#include "log_scanner.h"

namespace gatewaylog::format {

QString prefix(const QDateTime &when)
{
    return QLatin1Char('<') + when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("> : ");
}

QString element(const QString &tag, const QString &vr, const QString &value, int length, int multiplicity,
                const QString &name)
{
    return tag + QLatin1Char(' ') + vr + QLatin1Char(' ') + value.leftJustified(40) + QStringLiteral(" # ") +
           QString::number(length).rightJustified(3) + QStringLiteral(", ") + QString::number(multiplicity) +
           QLatin1Char(' ') + name;
}

QString line(const QDateTime &when, const QString &text)
{
    return prefix(when) + text;
}

QString callingText(const QString &aeTitle)
{
    return QLatin1String(kCallingMarker) + QLatin1Char(' ') + aeTitle;
}

QString viewText(const QString &viewName)
{
    return QStringLiteral("Worklist view: ") + viewName;
}

QString queryText(const QString &sql)
{
    return QLatin1String(kQueryMarker) + QLatin1Char(' ') + sql;
}

// "Worklist Find SCP Response" fills characters 25 to 50; " : " puts the
// number at character 54, after the blank at 53.
QString responseText(int number, const QString &status)
{
    return QLatin1String(kResponseMarker) + QStringLiteral(" : ") + QString::number(number) + QStringLiteral(" (") +
           status + QLatin1Char(')');
}

QString endText()
{
    return QLatin1String(kEndMarker);
}

QString callingLine(const QDateTime &when, const QString &aeTitle)
{
    return line(when, callingText(aeTitle));
}

QString viewLine(const QDateTime &when, const QString &viewName)
{
    return line(when, viewText(viewName));
}

QString queryLine(const QDateTime &when, const QString &sql)
{
    return line(when, queryText(sql));
}

QString responseLine(const QDateTime &when, int number)
{
    return line(when, responseText(number));
}

QString endLine(const QDateTime &when)
{
    return line(when, endText());
}

} // namespace gatewaylog::format
