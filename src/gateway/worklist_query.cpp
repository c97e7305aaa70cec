#include "worklist_query.h"

#include "db/sql_text.h"

namespace gateway {

QString likePattern(const QString &value)
{
    QString pattern;
    for (const QChar c : value) {
        if (c == QLatin1Char('*'))
            pattern += QLatin1Char('%');
        else if (c == QLatin1Char('?'))
            pattern += QLatin1Char('_');
        else if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('[') || c == QLatin1Char('\\'))
            pattern += QLatin1Char('\\') + c;
        else
            pattern += c;
    }
    return pattern;
}

static bool hasWildcard(const QString &value)
{
    return value.contains(QLatin1Char('*')) || value.contains(QLatin1Char('?'));
}

static QString textCondition(const char *column, const QString &value)
{
    if (hasWildcard(value))
        return QLatin1String(column) + QStringLiteral(" LIKE '") + db::quoted(likePattern(value)) +
               QStringLiteral("' ESCAPE '\\'");
    return QLatin1String(column) + QStringLiteral(" = '") + db::quoted(value) + QLatin1Char('\'');
}

static bool matchesAll(const QString &value)
{
    return value.trimmed().isEmpty() || value.trimmed() == QLatin1String("*");
}

QString worklistSql(const QString &view, const WorklistKeys &keys)
{
    QString sql = QStringLiteral("SELECT * FROM ") + view + QStringLiteral(" WHERE (1 = 1)");
    auto add = [&sql](const QString &condition) { sql += QStringLiteral(" AND ") + condition; };

    if (!matchesAll(keys.modality))
        add(textCondition("modality", keys.modality.trimmed()));
    if (!matchesAll(keys.date)) {
        const QString date = keys.date.trimmed();
        const qsizetype dash = date.indexOf(QLatin1Char('-'));
        if (dash < 0) {
            add(QStringLiteral("SCHEDULED_PROCEDURE_DATE = '") + db::quoted(date) + QLatin1Char('\''));
        } else {
            const QString from = date.left(dash).trimmed();
            const QString to = date.mid(dash + 1).trimmed();
            if (!from.isEmpty())
                add(QStringLiteral("SCHEDULED_PROCEDURE_DATE >= '") + db::quoted(from) + QLatin1Char('\''));
            if (!to.isEmpty())
                add(QStringLiteral("SCHEDULED_PROCEDURE_DATE <= '") + db::quoted(to) + QLatin1Char('\''));
        }
    }
    if (!matchesAll(keys.stationAeTitle))
        add(textCondition("scheduled_station_aetitle", keys.stationAeTitle.trimmed()));
    if (!matchesAll(keys.patientId))
        add(textCondition("patient_id", keys.patientId.trimmed()));
    if (!matchesAll(keys.patientName))
        add(textCondition("patient_name", keys.patientName.trimmed()));
    return sql;
}

} // namespace gateway
