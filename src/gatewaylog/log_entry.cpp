#include "log_entry.h"

namespace gatewaylog {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The text between the first `open` and the first `close` after it; nothing
// when either is missing.
std::optional<QString> between(const QString &s, const QString &open, const QString &close)
{
    const qsizetype a = s.indexOf(open);
    if (a < 0)
        return std::nullopt;
    const qsizetype b = s.indexOf(close, a + open.size());
    if (b < 0)
        return std::nullopt;
    return s.mid(a + open.size(), b - a - open.size());
}

} // namespace

Inspection inspect(const QString &s)
{
    Inspection r;
    if (s.contains(QLatin1String("+//+"))) {
        r.aeTitle = between(s, QStringLiteral("+//+"), QStringLiteral("+///+")).value_or(QString());
        r.text = QStringLiteral("장비 Ae Title : ") + r.aeTitle + kCrLf;
    } else {
        r.text = QStringLiteral("장비 Ae Title : ");
    }

    const QString charset = between(s, QStringLiteral("*//*"), QStringLiteral("*///*")).value_or(QString());
    r.text += kCrLf + QStringLiteral("Character_Set : ") + charset + kCrLf;

    const qsizetype queryStart = s.indexOf(QLatin1String("-//-"));
    if (queryStart < 0)
        return r;
    qsizetype queryEnd = s.indexOf(QLatin1String("-///-"), queryStart + 4);
    if (queryEnd < 0)
        queryEnd = s.size(); // an unclosed query runs to the end of the entry

    // The view: after the first "FROM" and one blank, up to the first "WHERE".
    // A "FROM" among the first five characters (an entry that starts with its
    // query) gives no view.
    const qsizetype from = s.indexOf(QLatin1String("FROM"));
    if (from >= 5) {
        qsizetype where = s.indexOf(QLatin1String("WHERE"), from + 4);
        if (where < 0 || where > queryEnd)
            where = queryEnd;
        const QString view = s.mid(from + 5, qMax<qsizetype>(where - from - 5, 0)).trimmed();
        r.text += kCrLf + QStringLiteral("Table 명 : ") + view + kCrLf;
        r.view = view;
    } else {
        r.text += kCrLf + QStringLiteral("Table 명 : ") + kCrLf;
        r.view = QString();
    }

    // The conditions after "(1 = 1) AND"; without it, after "WHERE".
    qsizetype condStart = -1;
    const qsizetype first = s.indexOf(QLatin1String("(1 = 1) AND"));
    if (first >= 0 && first < queryEnd) {
        condStart = first + 12;
    } else {
        const qsizetype where = s.indexOf(QLatin1String("WHERE"), queryStart);
        if (where >= 0 && where < queryEnd)
            condStart = where + 6;
    }
    QString conditions;
    if (condStart >= 0 && condStart <= queryEnd)
        conditions = s.mid(condStart, queryEnd - condStart);
    conditions.replace(QLatin1String("AND "), kCrLf);
    r.text += kCrLf + conditions;
    return r;
}

} // namespace gatewaylog
