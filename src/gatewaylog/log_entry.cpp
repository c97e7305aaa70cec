#include "log_entry.h"

#include "log_format.h"

namespace gatewaylog {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

// The entry is taken apart as logged, so that no value can move a marker; each
// piece shown is then read back to what the device sent.
Inspection inspect(const QString &s)
{
    Inspection r;
    if (s.contains(QLatin1String(kAeOpen))) {
        r.aeTitle = format::unescape(format::between(s, kAeOpen, kAeClose).value_or(QString()));
        r.text = QStringLiteral("장비 Ae Title : ") + r.aeTitle + kCrLf;
    } else {
        r.text = QStringLiteral("장비 Ae Title : ");
    }

    const QString charset = format::unescape(format::between(s, kCharsetOpen, kCharsetClose).value_or(QString()));
    r.text += kCrLf + QStringLiteral("Character_Set : ") + charset + kCrLf;

    const qsizetype queryStart = s.indexOf(QLatin1String(kQueryOpen));
    if (queryStart < 0)
        return r;
    qsizetype queryEnd = s.indexOf(QLatin1String(kQueryClose), queryStart + 4);
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
        const QString view =
            format::unescape(format::trimBlanks(s.mid(from + 5, qMax<qsizetype>(where - from - 5, 0))));
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
    r.text += kCrLf + format::unescape(conditions);
    return r;
}

} // namespace gatewaylog
