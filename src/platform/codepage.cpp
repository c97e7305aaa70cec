#include "codepage.h"

namespace platform {

namespace {

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// A lead byte at the very end, without the byte that completes it, would be
// dropped without a trace; followed by a line feed (never part of a
// double-byte character) it reads as U+FFFD like any other broken character,
// so that writing the text back refuses it.
QString decodeWhole(QString (*decode)(const QByteArray &), const QByteArray &bytes)
{
    QString text = decode(bytes + '\n');
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

// Half a surrogate pair is no character at all: no code page writes it (a
// codec would drop it without a word).
bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            return true;
    }
    return false;
}

} // namespace

QString fromAnsi(const QByteArray &bytes)
{
    // Most lines are plain ASCII, which every ANSI code page writes alike.
    return isAscii(bytes) ? QString::fromLatin1(bytes) : decodeWhole(decodeAnsi, bytes);
}

QString fromAnsiCut(const QByteArray &bytes, bool cut)
{
    const QString text = fromAnsi(bytes);
    if (!cut || !text.endsWith(QChar::ReplacementCharacter))
        return text;
    const QString shorter = fromAnsi(bytes.chopped(1));
    return shorter.endsWith(QChar::ReplacementCharacter) ? text : shorter;
}

std::optional<QByteArray> toAnsiExact(const QString &text)
{
    if (isAscii(text))
        return text.toLatin1();
    if (hasLoneSurrogate(text))
        return std::nullopt;
    return encodeAnsi(text);
}

QByteArray encodeReplacing(const QString &text, std::optional<QByteArray> (*encode)(const QString &))
{
    if (std::optional<QByteArray> whole = encode(text))
        return *whole;
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character; a lone surrogate is one that
        // cannot be written, and never takes the next character with it.
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const qsizetype n = pair ? 2 : 1;
        const std::optional<QByteArray> one = encode(text.mid(i, n));
        bytes += one ? *one : QByteArray("?");
        i += n - 1;
    }
    return bytes;
}

QByteArray toAnsi(const QString &text)
{
    return encodeReplacing(text, toAnsiExact);
}

QString fromCp949(const QByteArray &bytes)
{
    return isAscii(bytes) ? QString::fromLatin1(bytes) : decodeWhole(decodeCp949, bytes);
}

std::optional<QByteArray> toCp949(const QString &text)
{
    if (isAscii(text))
        return text.toLatin1();
    if (hasLoneSurrogate(text))
        return std::nullopt;
    return encodeCp949(text);
}

std::optional<QByteArray> toEucKr(const QString &text)
{
    std::optional<QByteArray> bytes = toCp949(text);
    if (!bytes)
        return std::nullopt;
    // KS X 1001 writes both bytes of a character in A1-FE; CP949's own
    // additions use lead or trail bytes below A1.
    const QByteArray &b = *bytes;
    for (qsizetype i = 0; i < b.size(); ++i) {
        const auto lead = static_cast<unsigned char>(b.at(i));
        if (lead < 0x80)
            continue;
        if (i + 1 >= b.size())
            return std::nullopt;
        const auto trail = static_cast<unsigned char>(b.at(++i));
        if (lead < 0xA1 || lead > 0xFE || trail < 0xA1 || trail > 0xFE)
            return std::nullopt;
    }
    return bytes;
}

} // namespace platform
