#include "log_format.h"

#include <algorithm>

#include "platform/codepage.h"

namespace gatewaylog::format {

namespace {

bool isUpperHex(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7f;
}

// The characters escape() writes as "\xNN" wherever they stand.
bool alwaysEscaped(char16_t c)
{
    switch (c) {
    case u'#':
    case u'(':
    case u')':
    case u'/':
    case u':':
    case u'=':
        return true;
    default:
        return isControl(c);
    }
}

// The characters escape() may write as "\xNN": those above, and those it
// escapes only where a reader would take them for part of a marker.
bool escapedByte(char16_t c)
{
    return alwaysEscaped(c) || c == u' ' || c == u'F' || c == u'W' || c == u'\\';
}

// The characters escape() writes as "\uNNNN": what the code page cannot write.
bool escapedUnit(char16_t c)
{
    return c >= 0x80 && (QChar::isSurrogate(c) || !platform::toAnsiExact(QString(QChar(c))).has_value());
}

// The character a sequence escape() writes stands for, at `at` (the
// backslash); nothing when the text there is no such sequence.
std::optional<std::pair<QChar, qsizetype>> sequenceAt(const QString &text, qsizetype at)
{
    if (at + 3 < text.size() && text.at(at + 1) == QLatin1Char('x') && isUpperHex(text.at(at + 2)) &&
        isUpperHex(text.at(at + 3))) {
        const char16_t c = char16_t(text.mid(at + 2, 2).toUInt(nullptr, 16));
        if (escapedByte(c))
            return std::make_pair(QChar(c), qsizetype(4));
    }
    if (at + 5 < text.size() && text.at(at + 1) == QLatin1Char('u') && isUpperHex(text.at(at + 2)) &&
        isUpperHex(text.at(at + 3)) && isUpperHex(text.at(at + 4)) && isUpperHex(text.at(at + 5))) {
        const char16_t c = char16_t(text.mid(at + 2, 4).toUInt(nullptr, 16));
        if (escapedUnit(c))
            return std::make_pair(QChar(c), qsizetype(6));
    }
    return std::nullopt;
}

QString byteSequence(char16_t c)
{
    return QStringLiteral("\\x") + QString::number(c, 16).toUpper().rightJustified(2, u'0');
}

} // namespace

QString escape(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value.at(i).unicode();
        const QStringView rest = QStringView(value).mid(i + 1);
        bool escaped = false;
        switch (c) {
        case u'F':
            escaped = rest.startsWith(u"ROM");
            break;
        case u'W':
            escaped = rest.startsWith(u"HERE");
            break;
        case u' ':
            escaped = QStringView(value).left(i).endsWith(u"AND");
            break;
        case u'\\':
            escaped = sequenceAt(value, i).has_value();
            break;
        default:
            escaped = alwaysEscaped(c);
        }
        if (escaped)
            out += byteSequence(c);
        else if (escapedUnit(c))
            out += QStringLiteral("\\u") + QString::number(c, 16).toUpper().rightJustified(4, u'0');
        else
            out += QChar(c);
    }
    return out;
}

QString escapeControls(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c.unicode()))
            out += byteSequence(c.unicode());
        else
            out += c;
    }
    return out;
}

QString unescape(const QString &text)
{
    if (!text.contains(QLatin1Char('\\')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i) == QLatin1Char('\\')) {
            if (const auto s = sequenceAt(text, i)) {
                out += s->first;
                i += s->second;
                continue;
            }
        }
        out += text.at(i++);
    }
    return out;
}

QString trimBlanks(const QString &text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

std::optional<QString> between(const QString &text, const char *open, const char *close)
{
    const QLatin1String o(open), c(close);
    const qsizetype a = text.indexOf(o);
    if (a < 0)
        return std::nullopt;
    const qsizetype b = text.indexOf(c, a + o.size());
    if (b < 0)
        return std::nullopt;
    return text.mid(a + o.size(), b - a - o.size());
}

QString prefix(const QDateTime &when)
{
    return QLatin1Char('<') + when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("> : ");
}

QString element(const QString &tag, const QString &vr, const QString &value, int length, int multiplicity,
                const QString &name)
{
    // Padded by the value as read back, so that a reader counts the columns
    // after the escapes are undone as on a line that holds none.
    const QString padding(std::max<qsizetype>(0, 40 - unescape(value).size()), QLatin1Char(' '));
    return tag + QLatin1Char(' ') + vr + QLatin1Char(' ') + value + padding + QStringLiteral(" # ") +
           QString::number(length).rightJustified(3) + QStringLiteral(", ") + QString::number(multiplicity) +
           QLatin1Char(' ') + name;
}

QString line(const QDateTime &when, const QString &text)
{
    return prefix(when) + text;
}

QString callingText(const QString &aeTitle)
{
    return QLatin1String(kCallingMarker) + QLatin1Char(' ') + escape(aeTitle);
}

QString viewText(const QString &viewName)
{
    return QStringLiteral("Worklist view: ") + viewName;
}

QString queryText(const QString &sql)
{
    return QLatin1String(kQueryMarker) + QLatin1Char(' ') + sql;
}

// "Worklist Find SCP Response" fills characters 25 to 50; " : " puts the
// number at character 54, after the blank at 53.
QString responseText(int number, const QString &status)
{
    return QLatin1String(kResponseMarker) + QStringLiteral(" : ") + QString::number(number) + QStringLiteral(" (") +
           status + QLatin1Char(')');
}

QString endText()
{
    return QLatin1String(kEndMarker);
}

QString callingLine(const QDateTime &when, const QString &aeTitle)
{
    return line(when, callingText(aeTitle));
}

QString viewLine(const QDateTime &when, const QString &viewName)
{
    return line(when, viewText(viewName));
}

QString queryLine(const QDateTime &when, const QString &sql)
{
    return line(when, queryText(sql));
}

QString responseLine(const QDateTime &when, int number)
{
    return line(when, responseText(number));
}

QString endLine(const QDateTime &when)
{
    return line(when, endText());
}

} // namespace gatewaylog::format
