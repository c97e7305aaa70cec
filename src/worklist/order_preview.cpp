#include "order_preview.h"

namespace worklist::preview {

bool isPlainObjectName(const QString &name)
{
    return objectNameFault(name).isEmpty();
}

QString objectNameFault(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("이름이 비어 있습니다.");
    const QStringList parts = name.split(QLatin1Char('.'));
    if (parts.size() > 2)
        return QStringLiteral("점(.)은 스키마 이름 뒤에 한 번만 쓸 수 있습니다.");
    for (const QString &part : parts) {
        if (part.isEmpty())
            return QStringLiteral("점(.) 앞이나 뒤에 이름이 없습니다.");
        for (qsizetype i = 0; i < part.size(); ++i) {
            const QChar c = part.at(i);
            const bool later = i > 0 && (c == QLatin1Char('$') || c == QLatin1Char('#') || c == QLatin1Char('@'));
            if (c.isLetterOrNumber() || c == QLatin1Char('_') || later)
                continue;
            if (c == QLatin1Char(' '))
                return QStringLiteral("이름 가운데에 공백이 있습니다.");
            const QString shown = c.isHighSurrogate() && i + 1 < part.size() ? part.mid(i, 2) : QString(c);
            return c.unicode() < 0x20 || c.unicode() == 0x7f
                       ? QStringLiteral("제어 문자(문자 코드 %1)는 이름에 쓸 수 없습니다.").arg(c.unicode())
                       : QStringLiteral("'%1' 문자는 이름에 쓸 수 없습니다. (쓸 수 있는 글자: 글자, 숫자, _, 그리고 "
                                        "첫 글자가 아니면 $ # @)")
                             .arg(shown);
        }
    }
    return QString();
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
