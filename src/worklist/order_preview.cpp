#include "order_preview.h"

namespace worklist::preview {

bool isPlainObjectName(const QString &name)
{
    const QStringList parts = name.split(QLatin1Char('.'));
    if (parts.size() > 2)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty())
            return false;
        for (qsizetype i = 0; i < part.size(); ++i) {
            const QChar c = part.at(i);
            const bool later = i > 0 && (c == QLatin1Char('$') || c == QLatin1Char('#') || c == QLatin1Char('@'));
            if (!c.isLetterOrNumber() && c != QLatin1Char('_') && !later)
                return false;
        }
    }
    return true;
}

QDate sevenDayBound(const QDate &today)
{
    return today.addDays(-7);
}

QString statement(const QString &viewName, bool useBaseView, bool todayOnly, const QDate &today)
{
    return statement(QStringLiteral("patient_Id, Patient_Name, SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME, "
                                    "Scheduled_procedure_desc, Modality"),
                     viewName, useBaseView, todayOnly, today);
}

QString statement(const QString &columns, const QString &viewName, bool useBaseView, bool todayOnly, const QDate &today)
{
    const QString yyyymmdd = QStringLiteral("yyyyMMdd");
    QString sql = QStringLiteral("Select ") + columns + QStringLiteral(" ");
    sql += useBaseView ? QStringLiteral("From  VMWL ") : QStringLiteral("From  ") + viewName + QStringLiteral(" ");
    if (todayOnly)
        sql += QStringLiteral("Where SCHEDULED_PROCEDURE_DATE  = ") + today.toString(yyyymmdd) + QStringLiteral(" ");
    else
        sql += QStringLiteral("Where SCHEDULED_PROCEDURE_DATE  >= ") + sevenDayBound(today).toString(yyyymmdd) +
               QStringLiteral(" ");
    sql += QStringLiteral("Order by SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME Desc");
    return sql;
}

QString listing(db::Recordset &orders)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text =
        QStringLiteral("   환자ID / 이름 / 처방일 / 처방시간 / 장비") + crlf + QStringLiteral("   검사명") + crlf;
    const QString sep = QStringLiteral(" / ");
    int n = 1;
    for (; !orders.eof(); orders.moveNext(), ++n) {
        text += crlf + QString::number(n) + QStringLiteral(". ") + orders.text(QStringLiteral("patient_Id")) + sep +
                orders.text(QStringLiteral("Patient_Name")) + sep +
                orders.text(QStringLiteral("SCHEDULED_PROCEDURE_DATE")) + sep +
                orders.text(QStringLiteral("SCHEDULED_PROCEDURE_TIME")) + sep +
                orders.text(QStringLiteral("Modality")) + crlf + QStringLiteral("       ") +
                orders.text(QStringLiteral("Scheduled_procedure_desc"));
    }
    return text;
}

} // namespace worklist::preview
