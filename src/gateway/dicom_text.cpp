#include "dicom_text.h"

#include "platform/codepage.h"

#include <QByteArrayList>
#include <QRegularExpression>
#include <QStringList>
#include <QUuid>

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
    return kKoreanDesignation + platform::encodeReplacing(text, platform::toEucKr);
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

QString decodeValue(const QByteArray &bytes, const QString &characterSet)
{
    const QString cs = characterSet.trimmed();
    if (cs == QLatin1String("ISO_IR 192"))
        return QString::fromUtf8(bytes);
    if (cs == QLatin1String("ISO_IR 100"))
        return QString::fromLatin1(bytes);
    const bool korean = cs.contains(QLatin1String("ISO 2022 IR 149"));
    QString text;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uchar c = uchar(bytes.at(i));
        if (c == 0x1b) {
            // ESC and its intermediate bytes up to the final byte.
            ++i;
            while (i < bytes.size() && uchar(bytes.at(i)) >= 0x20 && uchar(bytes.at(i)) <= 0x2f)
                ++i;
            if (i < bytes.size())
                ++i;
            continue;
        }
        if (c < 0x80) {
            text += QLatin1Char(char(c));
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < bytes.size() && uchar(bytes.at(end)) >= 0x80)
            ++end;
        if (korean && (end - i) % 2 == 0) {
            text += platform::fromCp949(bytes.mid(i, end - i));
        } else {
            text += QString(end - i, QChar::ReplacementCharacter);
        }
        i = end;
    }
    return text;
}

QString derivedStudyUid(const QString &accessionNumber, const QString &patientId)
{
    static const QUuid kNamespace(QStringLiteral("{5f0b6e0a-3c1d-4c7e-9a52-6b1f0d2e8a41}"));
    const QByteArray id = QUuid::createUuidV5(kNamespace, accessionNumber + QLatin1Char('\\') + patientId).toRfc4122();
    // The UUID's 128 bits in decimal, by long division of its bytes.
    QList<int> digits{0};
    for (const char byte : id) {
        int carry = uchar(byte);
        for (int &d : digits) {
            const int v = d * 256 + carry;
            d = v % 10;
            carry = v / 10;
        }
        while (carry > 0) {
            digits.append(carry % 10);
            carry /= 10;
        }
    }
    QString decimal;
    for (qsizetype i = digits.size(); i-- > 0;)
        decimal += QChar(u'0' + digits.at(i));
    return QStringLiteral("2.25.") + decimal;
}

bool matchesWildcard(const QString &value, const QString &key, Qt::CaseSensitivity cs)
{
    // Runs between wildcards are escaped whole: one half of a surrogate pair
    // alone is no pattern.
    QString re;
    QString run;
    for (const QChar c : key) {
        if (c != QLatin1Char('*') && c != QLatin1Char('?')) {
            run += c;
            continue;
        }
        re += QRegularExpression::escape(run) + (c == QLatin1Char('*') ? QStringLiteral(".*") : QStringLiteral("."));
        run.clear();
    }
    re += QRegularExpression::escape(run);
    QRegularExpression::PatternOptions options = QRegularExpression::DotMatchesEverythingOption;
    if (cs == Qt::CaseInsensitive)
        options |= QRegularExpression::CaseInsensitiveOption;
    return QRegularExpression(QRegularExpression::anchoredPattern(re), options).match(value).hasMatch();
}

} // namespace gateway
