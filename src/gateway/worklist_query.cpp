#include "worklist_query.h"

#include "db/sql_text.h"
#include "gatewaylog/log_format.h"

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

// A text between quotes: as it runs, or as the log holds it.
using Literal = QString (*)(const QString &);

static QString loggedLiteral(const QString &text)
{
    return gatewaylog::format::escape(db::quoted(text));
}

static QString textCondition(const char *column, const QString &value, Literal literal)
{
    if (hasWildcard(value))
        return QLatin1String(column) + QStringLiteral(" LIKE '") + literal(likePattern(value)) +
               QStringLiteral("' ESCAPE '\\'");
    return QLatin1String(column) + QStringLiteral(" = '") + literal(value) + QLatin1Char('\'');
}

static bool matchesAll(const QString &value)
{
    return value.trimmed().isEmpty() || value.trimmed() == QLatin1String("*");
}

static QString statement(const QString &view, const WorklistKeys &keys, Literal literal)
{
    QString sql = QStringLiteral("SELECT * FROM ") + view + QStringLiteral(" WHERE (1 = 1)");
    auto add = [&sql](const QString &condition) { sql += QStringLiteral(" AND ") + condition; };

    if (!matchesAll(keys.modality))
        add(textCondition("modality", keys.modality.trimmed(), literal));
    if (!matchesAll(keys.date)) {
        const QString date = keys.date.trimmed();
        const qsizetype dash = date.indexOf(QLatin1Char('-'));
        if (dash < 0) {
            add(QStringLiteral("SCHEDULED_PROCEDURE_DATE = '") + literal(date) + QLatin1Char('\''));
        } else {
            const QString from = date.left(dash).trimmed();
            const QString to = date.mid(dash + 1).trimmed();
            if (!from.isEmpty())
                add(QStringLiteral("SCHEDULED_PROCEDURE_DATE >= '") + literal(from) + QLatin1Char('\''));
            if (!to.isEmpty())
                add(QStringLiteral("SCHEDULED_PROCEDURE_DATE <= '") + literal(to) + QLatin1Char('\''));
        }
    }
    if (!matchesAll(keys.stationAeTitle))
        add(textCondition("scheduled_station_aetitle", keys.stationAeTitle.trimmed(), literal));
    if (!matchesAll(keys.patientId))
        add(textCondition("patient_id", keys.patientId.trimmed(), literal));
    if (!matchesAll(keys.patientName))
        add(textCondition("patient_name", keys.patientName.trimmed(), literal));
    return sql;
}

QString worklistSql(const QString &view, const WorklistKeys &keys)
{
    return statement(view, keys, &db::quoted);
}

QString loggedWorklistSql(const QString &view, const WorklistKeys &keys)
{
    return statement(view, keys, &loggedLiteral);
}

} // namespace gateway
