#include "worklist_query.h"

#include "dicom_text.h"

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

bool matchesText(const QString &value, const QString &key, Qt::CaseSensitivity cs)
{
    if (matchesAll(key))
        return true;
    const QString pattern = key.trimmed();
    const QString v = value.trimmed();
    if (!hasWildcard(pattern))
        return v.compare(pattern, cs) == 0;
    return matchesWildcard(v, pattern, cs);
}

namespace {

struct Range
{
    bool range = false;
    QString from, to; // empty: open
};

Range rangeOf(const QString &key)
{
    const QString k = key.trimmed();
    const qsizetype dash = k.indexOf(QLatin1Char('-'));
    if (dash < 0)
        return {false, k, k};
    return {true, k.left(dash).trimmed(), k.mid(dash + 1).trimmed()};
}

// A time as "hhmmss.ffffff", so that times compare as text: the digits given,
// filled with `fill` ('0' for a start, '9' for an end); old "hh:mm" colons dropped.
QString fullTime(QString time, QChar fill)
{
    time.remove(QLatin1Char(':'));
    QString whole = time.section(QLatin1Char('.'), 0, 0);
    QString fraction = time.section(QLatin1Char('.'), 1);
    whole = whole.leftJustified(6, fill, true);
    fraction = fraction.leftJustified(6, fraction.isEmpty() ? fill : QLatin1Char('0'), true);
    return whole + QLatin1Char('.') + fraction;
}

bool within(const QString &value, const QString &from, const QString &to)
{
    return (from.isEmpty() || value >= from) && (to.isEmpty() || value <= to);
}

bool matchesDateTime(const QString &dateKey, const QString &timeKey, const QString &dateValue, const QString &timeValue)
{
    const QString date = dateValue.trimmed();
    const QString time = timeValue.trimmed();
    const Range d = rangeOf(dateKey);
    const Range t = rangeOf(timeKey);
    const bool anyDate = matchesAll(dateKey), anyTime = matchesAll(timeKey);
    if (!anyDate && !anyTime && t.range) {
        // One range of instants: from the first day's start time to the last day's end time.
        if (date.isEmpty() || time.isEmpty())
            return false;
        const QString value = date + fullTime(time, QLatin1Char('0'));
        const QString from = d.from.isEmpty() ? QString() : d.from + fullTime(t.from, QLatin1Char('0'));
        const QString to = d.to.isEmpty()
                               ? QString()
                               : d.to + fullTime(t.to.isEmpty() ? QStringLiteral("24") : t.to, QLatin1Char('9'));
        return within(value, from, to);
    }
    if (!anyDate && !(d.range ? within(date, d.from, d.to) && !date.isEmpty() : date == d.from))
        return false;
    if (anyTime)
        return true;
    if (time.isEmpty())
        return false;
    const QString value = fullTime(time, QLatin1Char('0'));
    if (!t.range)
        return value == fullTime(t.from, QLatin1Char('0'));
    return within(value, t.from.isEmpty() ? QString() : fullTime(t.from, QLatin1Char('0')),
                  t.to.isEmpty() ? QString() : fullTime(t.to, QLatin1Char('9')));
}

} // namespace

bool matchesKeys(const WorklistKeys &keys, const OrderValues &order)
{
    return matchesText(order.modality, keys.modality, Qt::CaseSensitive) &&
           matchesText(order.stationAeTitle, keys.stationAeTitle, Qt::CaseSensitive) &&
           matchesText(order.patientId, keys.patientId, Qt::CaseSensitive) &&
           matchesText(order.patientName, keys.patientName, Qt::CaseInsensitive) &&
           matchesText(order.performingPhysician, keys.performingPhysician, Qt::CaseInsensitive) &&
           matchesDateTime(keys.date, keys.time, order.date, order.time);
}

} // namespace gateway
