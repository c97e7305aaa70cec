#include "device_keys.h"

#include "db/sql_text.h"

#include <QRegularExpression>

namespace devicequery {

namespace {

QString between(const QString &s, const QString &open, const QString &close)
{
    const qsizetype a = s.indexOf(open);
    if (a < 0)
        return QString();
    const qsizetype b = s.indexOf(close, a + open.size());
    return b < 0 ? QString() : s.mid(a + open.size(), b - a - open.size());
}

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
    QString cs = between(entry, QStringLiteral("*//*"), QStringLiteral("*///*")).trimmed();
    if (cs.startsWith(QLatin1Char('[')) && cs.endsWith(QLatin1Char(']')))
        cs = cs.mid(1, cs.size() - 2);
    keys.characterSet = cs.trimmed();

    const QString query = between(entry, QStringLiteral("-//-"), QStringLiteral("-///-"));
    static const QRegularExpression condition(QStringLiteral("(\\w+) (=|>=|<=|LIKE) '((?:[^']|'')*)'"));
    QString from, to;
    for (auto m = condition.globalMatch(query); m.hasNext();) {
        const QRegularExpressionMatch c = m.next();
        const QString column = c.captured(1).toLower();
        const QString op = c.captured(2);
        QString value = db::unquoted(c.captured(3));
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

QString entryAeTitle(const QString &entry)
{
    return between(entry, QStringLiteral("+//+"), QStringLiteral("+///+"));
}

std::optional<QString> newestEntryOf(const QStringList &entries, const QString &aeTitle)
{
    for (qsizetype i = entries.size(); i-- > 0;) {
        if (!aeTitle.isEmpty() && entryAeTitle(entries.at(i)) == aeTitle &&
            entries.at(i).contains(QLatin1String("-//-")))
            return entries.at(i);
    }
    return std::nullopt;
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

bool isValidAeTitle(const QString &aeTitle)
{
    if (aeTitle.isEmpty() || aeTitle.size() > 16 || aeTitle.trimmed().isEmpty())
        return false;
    for (const QChar c : aeTitle) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == QLatin1Char('\\'))
            return false;
    }
    return true;
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
