#include "dicom_text.h"

#include "platform/codepage.h"

#include <QByteArrayList>
#include <QStringList>

namespace gateway {

namespace {

const QByteArray kKoreanDesignation("\x1b$)C");

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

QByteArray ascii(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes += c.unicode() < 0x80 ? char(c.unicode()) : '?';
    return bytes;
}

// Korean text in KS X 1001 (EUC-KR) behind its designation; ASCII stays as it
// is, and a character KS X 1001 lacks becomes '?'.
QByteArray korean(const QString &text)
{
    if (isAscii(text))
        return text.toLatin1();
    if (const std::optional<QByteArray> whole = platform::toEucKr(text))
        return kKoreanDesignation + *whole;
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const std::optional<QByteArray> one = platform::toEucKr(text.mid(i, n));
        bytes += one ? *one : QByteArray("?");
        i += n - 1;
    }
    return kKoreanDesignation + bytes;
}

} // namespace

QByteArray encodeValue(const QString &value, const QString &characterSet, bool personName)
{
    const QString cs = characterSet.trimmed();
    if (cs == QLatin1String("ISO_IR 192"))
        return value.toUtf8();
    if (cs == QLatin1String("ISO_IR 100")) {
        QByteArray bytes;
        for (const QChar c : value)
            bytes += c.unicode() < 0x100 ? char(c.unicode()) : '?';
        return bytes;
    }
    if (!cs.contains(QLatin1String("ISO 2022 IR 149")))
        return ascii(value);
    if (!personName)
        return korean(value);
    QByteArrayList groups;
    for (const QString &group : value.split(QLatin1Char('='))) {
        QByteArrayList components;
        for (const QString &component : group.split(QLatin1Char('^')))
            components.append(korean(component));
        groups.append(components.join('^'));
    }
    return groups.join('=');
}

} // namespace gateway
