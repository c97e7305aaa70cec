#include "view_generator.h"

#include "view_kinds.h"

#include "db/sql_text.h"

using db::quoted;

namespace worklist {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString cutExpression(const ViewFields &f, const char *column, const char *end)
{
    return QStringLiteral("Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), ") + f.cutStart + QStringLiteral(", ") +
           f.cutLength + QStringLiteral(") AS ") + QLatin1String(column) + QLatin1String(end);
}

// A list typed with "," between its items, as the inside of IN ('…','…').
QString quotedList(const QString &list)
{
    QString inside = db::quoted(list);
    inside.replace(QLatin1Char(','), QLatin1String("','"));
    return inside;
}

} // namespace

QString viewHeader(bool alter, const QString &viewName)
{
    return (alter ? QStringLiteral("Alter View ") : QStringLiteral("Create View ")) + viewName + QStringLiteral("(");
}

// The markers are tried in this order; the first one the line holds decides,
// whether or not its condition holds.
QString generateLine(const QString &line, const ViewFields &f)
{
    if (line.contains(QLatin1String("'AETITLE'"))) {
        if (f.stationAe.isEmpty())
            return line;
        return QStringLiteral(" '") + quoted(f.stationAe) + QStringLiteral("' AS scheduled_station_aetitle, ");
    }
    if (line.contains(QLatin1String("a.ORDER_MODALITY"))) {
        if (f.deviceModality.isEmpty())
            return line;
        return QStringLiteral(" '") + quoted(f.deviceModality) + QStringLiteral("' AS modality, ");
    }
    if (line.contains(QLatin1String("/* Patient Identification*/"))) {
        const ViewKind kind = kindFromCaption(f.kindCaption);
        if ((kind == ViewKind::KK || kind == ViewKind::KE) && f.characterSet == QLatin1String("\\ISO 2022 IR 149"))
            return QStringLiteral("'=' + p.PATIENT_NAME AS patient_name, ");
        return line;
    }
    if (line.contains(QLatin1String("a.ORDER_CODE"))) {
        if (f.codeMapping != 1)
            return line;
        const QString text = quoted(f.codeMappingText);
        QString mapped = line;
        mapped.replace(QLatin1String("a.ORDER_CODE"), QStringLiteral("Replace(a.ORDER_CODE + '") + text +
                                                          QStringLiteral("', '8") + text + QStringLiteral("' , '") +
                                                          text + QStringLiteral("8')"));
        return mapped;
    }
    if (line.contains(QLatin1String("/* scheduled Procedure Step*/")))
        return QStringLiteral(" /* scheduled Procedure Step*/'") + quoted(f.characterSet) +
               QStringLiteral("' AS specific_character_set, ");
    const QString upper = line.toUpper();
    if (upper.contains(QLatin1String("AS SCHEDULED_PROCEDURE_DESC")))
        return f.cutExamName == 1 ? cutExpression(f, "scheduled_procedure_desc", ",") : line;
    if (upper.contains(QLatin1String("AS REQUESTED_PROCEDURE_DESC")))
        return f.cutExamName == 1 ? cutExpression(f, "requested_procedure_desc", ",") : line;
    if (upper.contains(QLatin1String("AS SCHEDULED_CODE_MEANING")))
        return f.cutExamName == 1 ? cutExpression(f, "SCHEDULED_CODE_MEANING", ",") : line;
    if (upper.contains(QLatin1String("AS REQUESTED_CODE_MEANING")))
        return f.cutExamName == 1 ? cutExpression(f, "REQUESTED_CODE_MEANING", " ") : line;
    return line;
}

QStringList filterLines(const ViewFields &f)
{
    QStringList lines;
    if (!f.orderModalities.isEmpty())
        lines.append(QStringLiteral("And a.Order_Modality IN ('") + quotedList(f.orderModalities) +
                     QStringLiteral("') "));
    if (!f.orderCodes.isEmpty() && (f.excludeCodes == 0 || f.excludeCodes == 1)) {
        lines.append((f.excludeCodes == 1 ? QStringLiteral("And a.Order_Code NOT IN ('")
                                          : QStringLiteral("And a.Order_Code IN ('")) +
                     quotedList(f.orderCodes) + QStringLiteral("') "));
    }
    return lines;
}

QString generateView(const QString &header, const QStringList &templateLines, const ViewFields &fields)
{
    QString statement = header + kCrLf;
    for (const QString &line : templateLines)
        statement += generateLine(line, fields) + kCrLf;
    for (const QString &line : filterLines(fields))
        statement += line + kCrLf;
    return statement;
}

} // namespace worklist
