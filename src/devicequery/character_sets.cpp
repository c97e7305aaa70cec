#include "character_sets.h"

#include "platform/codepage.h"

#include <QStringList>

namespace devicequery {

namespace {

bool isKorean(const QString &cs)
{
    return cs.contains(QLatin1String("ISO 2022 IR 149")) || cs.contains(QLatin1String("ISO_IR 149"));
}

} // namespace

QString normalizedSet(const QString &characterSet)
{
    QStringList values;
    for (const QString &v : characterSet.split(QLatin1Char('\\'))) {
        if (!v.trimmed().isEmpty())
            values.append(v.trimmed());
    }
    return values.join(QLatin1Char('\\'));
}

QString decodeValue(const QByteArray &bytes, const QString &characterSet)
{
    const QString cs = normalizedSet(characterSet);
    if (cs == QLatin1String("ISO_IR 192"))
        return QString::fromUtf8(bytes);
    if (cs == QLatin1String("ISO_IR 100"))
        return QString::fromLatin1(bytes);
    if (isKorean(cs)) {
        // G1 holds KS X 1001 once designated; the escapes themselves are no text.
        QByteArray plain = bytes;
        plain.replace("\x1b$)C", "").replace("\x1b(B", "");
        return platform::fromCp949(plain);
    }
    QString text;
    for (const char c : bytes)
        text += uchar(c) < 0x80 ? QChar(QLatin1Char(c)) : QChar(QChar::ReplacementCharacter);
    return text;
}

bool fits(const QString &text, const QString &characterSet)
{
    const QString cs = normalizedSet(characterSet);
    if (cs == QLatin1String("ISO_IR 192"))
        return true;
    const char16_t limit = cs == QLatin1String("ISO_IR 100") ? 0x100 : 0x80;
    for (const QChar c : text) {
        if (c.unicode() < limit)
            continue;
        if (!isKorean(cs))
            return false;
        // CP949's extension syllables are not KS X 1001 and cannot be written
        // after ESC $ ) C.
        if (!platform::toEucKr(QString(c)))
            return false;
    }
    return true;
}

} // namespace devicequery
