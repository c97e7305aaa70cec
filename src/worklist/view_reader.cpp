#include "view_reader.h"

#include "view_kinds.h"

namespace worklist::reader {

QString titleOf(const QString &viewName)
{
    QString title = viewName.size() >= 7 && viewName.at(6) == QLatin1Char('_') ? viewName.mid(7) : viewName.mid(8);
    title.replace(QLatin1String("1_1"), QLatin1String("-"));
    return title;
}

KindReading kindOf(const QString &viewName)
{
    struct Marker
    {
        const char *marker;
        ViewKind kind;
        bool cut;
    };
    static const Marker markers[] = {
        {"_K_", ViewKind::KK, false},  {"_E_", ViewKind::EK, false},  {"_KK_", ViewKind::KK, false},
        {"_KE_", ViewKind::KE, false}, {"_EK_", ViewKind::EK, false}, {"_EE_", ViewKind::EE, true},
    };
    for (const Marker &m : markers) {
        if (viewName.contains(QLatin1String(m.marker)))
            return {caption(m.kind), m.cut};
    }
    return {caption(ViewKind::EG), std::nullopt};
}

std::optional<QString> quotedValue(const QString &line)
{
    const qsizetype open = line.indexOf(QLatin1Char('\''));
    if (open < 0)
        return std::nullopt;
    QString value;
    for (qsizetype i = open + 1; i < line.size(); ++i) {
        if (line.at(i) != QLatin1Char('\'')) {
            value += line.at(i);
        } else if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('\'')) {
            value += QLatin1Char('\'');
            ++i;
        } else {
            return value;
        }
    }
    return std::nullopt; // the quote is never closed
}

std::optional<QString> listValue(const QString &line)
{
    const qsizetype open = line.indexOf(QLatin1Char('\''));
    if (open < 0)
        return std::nullopt;
    QString value;
    bool inside = true;
    for (qsizetype i = open + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inside) {
            if (c != QLatin1Char('\'')) {
                value += c;
            } else if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('\'')) {
                value += QLatin1Char('\'');
                ++i;
            } else {
                inside = false;
            }
        } else if (c == QLatin1Char('\'')) {
            inside = true;
        } else if (c == QLatin1Char(')')) {
            return value;
        } else {
            value += c;
        }
    }
    return std::nullopt; // no closing parenthesis after the list
}

static void take(std::optional<QString> &field, const std::optional<QString> &value, bool trim)
{
    if (value)
        field = trim ? value->trimmed() : *value;
}

QStringList definitionLines(const QStringList &rows)
{
    QString text = rows.join(QString());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the text ends with a line end
    return lines;
}

DefinitionReading readDefinition(const QStringList &lines)
{
    DefinitionReading r;
    for (const QString &line : lines) {
        const QString upper = line.toUpper();
        if (upper.contains(QLatin1String("AS SCHEDULED_STATION_AETITLE")) &&
            !upper.contains(QLatin1String("'AETITLE'")))
            take(r.stationAe, quotedValue(line), true);
        if (upper.contains(QLatin1String("AS MODALITY")) && !upper.contains(QLatin1String("A.ORDER_MODALITY")))
            take(r.deviceModality, quotedValue(line), true);
        if (upper.contains(QLatin1String("A.ORDER_MODALITY IN")))
            take(r.orderModalities, listValue(line), false);
        if (upper.contains(QLatin1String("A.ORDER_CODE IN"))) {
            if (const auto codes = listValue(line)) {
                r.orderCodes = codes;
                r.excludeCodes = false;
            }
        }
        if (upper.contains(QLatin1String("A.ORDER_CODE NOT IN"))) {
            if (const auto codes = listValue(line)) {
                r.orderCodes = codes;
                r.excludeCodes = true;
            }
        }
        if (upper.contains(QLatin1String("AS SPECIFIC_CHARACTER_SET")))
            take(r.characterSet, quotedValue(line), true);
    }
    return r;
}

} // namespace worklist::reader
