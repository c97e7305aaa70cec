#include "device_keys.h"

#include "db/sql_text.h"
#include "gatewaylog/log_format.h"

#include <QRegularExpression>

namespace devicequery {

namespace {

namespace format = gatewaylog::format;

// A LIKE pattern of the gateway back to the DICOM wildcard value.
QString wildcardValue(const QString &pattern)
{
    QString value;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\\') && i + 1 < pattern.size())
            value += pattern.at(++i);
        else if (c == QLatin1Char('%'))
            value += QLatin1Char('*');
        else if (c == QLatin1Char('_'))
            value += QLatin1Char('?');
        else
            value += c;
    }
    return value;
}

} // namespace

QueryKeys keysFromEntry(const QString &entry)
{
    QueryKeys keys;
    keys.fromLog = true;
    QString cs = format::trimBlanks(
        format::between(entry, gatewaylog::kCharsetOpen, gatewaylog::kCharsetClose).value_or(QString()));
    if (cs.startsWith(QLatin1Char('[')) && cs.endsWith(QLatin1Char(']')))
        cs = cs.mid(1, cs.size() - 2);
    keys.characterSet = format::unescape(format::trimBlanks(cs));

    const QString query = format::between(entry, gatewaylog::kQueryOpen, gatewaylog::kQueryClose).value_or(QString());
    static const QRegularExpression condition(QStringLiteral("(\\w+) (=|>=|<=|LIKE) '((?:[^']|'')*)'"));
    QString from, to;
    for (auto m = condition.globalMatch(query); m.hasNext();) {
        const QRegularExpressionMatch c = m.next();
        const QString column = c.captured(1).toLower();
        const QString op = c.captured(2);
        QString value = db::unquoted(format::unescape(c.captured(3)));
        if (op == QLatin1String("LIKE"))
            value = wildcardValue(value);
        if (column == QLatin1String("modality"))
            keys.modality = value;
        else if (column == QLatin1String("scheduled_station_aetitle"))
            keys.stationAeTitle = value;
        else if (column == QLatin1String("patient_id"))
            keys.patientId = value;
        else if (column == QLatin1String("patient_name"))
            keys.patientName = value;
        else if (column == QLatin1String("scheduled_procedure_date")) {
            if (op == QLatin1String("="))
                keys.date = value;
            else if (op == QLatin1String(">="))
                from = value;
            else if (op == QLatin1String("<="))
                to = value;
        }
    }
    if (keys.date.isEmpty() && (!from.isEmpty() || !to.isEmpty()))
        keys.date = from + QLatin1Char('-') + to;
    return keys;
}

void replayDates(QueryKeys &keys, const QDate &loggedOn, const QDate &today)
{
    if (!loggedOn.isValid() || !today.isValid() || loggedOn >= today || keys.date.isEmpty())
        return;
    const qint64 days = loggedOn.daysTo(today);
    const QString format = QStringLiteral("yyyyMMdd");
    QStringList parts = keys.date.split(QLatin1Char('-'));
    bool moved = false;
    for (QString &part : parts) {
        const QDate day = QDate::fromString(part, format);
        if (day.isValid()) {
            part = day.addDays(days).toString(format);
            moved = true;
        }
    }
    if (!moved)
        return;
    keys.loggedDate = keys.date;
    keys.date = parts.join(QLatin1Char('-'));
}

QString entryAeTitle(const QString &entry)
{
    return format::unescape(format::between(entry, gatewaylog::kAeOpen, gatewaylog::kAeClose).value_or(QString()));
}

// The newest day wins; of one day, the entry listed last.
std::optional<LoggedEntry> newestEntryOf(const QList<LoggedEntry> &entries, const QString &aeTitle)
{
    std::optional<LoggedEntry> newest;
    for (const LoggedEntry &e : entries) {
        if (aeTitle.isEmpty() || entryAeTitle(e.text) != aeTitle ||
            !e.text.contains(QLatin1String(gatewaylog::kQueryOpen)))
            continue;
        if (!newest || !(e.day.isValid() && newest->day.isValid() && e.day < newest->day))
            newest = e;
    }
    return newest;
}

QueryKeys typicalKeys(const QString &aeTitle, const QString &modality, const QDate &today)
{
    QueryKeys keys;
    keys.modality = modality;
    keys.date = today.toString(QStringLiteral("yyyyMMdd"));
    keys.stationAeTitle = aeTitle;
    return keys;
}

std::optional<QString> setKey(QueryKeys &keys, const QString &assignment)
{
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return QStringLiteral("키는 TAG=VALUE 형식이어야 합니다: ") + assignment;
    const QString tag = assignment.left(eq).trimmed().toLower();
    const QString value = assignment.mid(eq + 1);
    static const QRegularExpression control(QStringLiteral("[\\x00-\\x1f\\x7f]"));
    if (value.size() > 64 || value.contains(control))
        return QStringLiteral("키 값이 너무 길거나 제어 문자를 담고 있습니다: ") + assignment.left(eq);
    auto is = [&tag](const char *keyword, const char *number) {
        return tag == QLatin1String(keyword) || tag == QLatin1String(number) ||
               tag == QLatin1Char('(') + QLatin1String(number) + QLatin1Char(')');
    };
    if (is("specificcharacterset", "0008,0005"))
        keys.characterSet = value;
    else if (is("modality", "0008,0060"))
        keys.modality = value;
    else if (is("scheduledprocedurestepstartdate", "0040,0002"))
        keys.date = value;
    else if (is("scheduledstationaetitle", "0040,0001"))
        keys.stationAeTitle = value;
    else if (is("patientid", "0010,0020"))
        keys.patientId = value;
    else if (is("patientname", "0010,0010"))
        keys.patientName = value;
    else
        return QStringLiteral("워크리스트 조회에 쓰지 않는 키입니다: ") + assignment.left(eq);
    return std::nullopt;
}

QString aeTitleOfView(const QString &viewName)
{
    static const QRegularExpression prefix(QStringLiteral("^VMWL_[A-Z]{2}_"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = prefix.match(viewName);
    if (!m.hasMatch())
        return QString();
    return viewName.mid(m.capturedLength()).replace(QStringLiteral("1_1"), QStringLiteral("-"));
}

} // namespace devicequery
