#include "log_scanner.h"

#include "marked_lines.h"

#include "platform/codepage.h"

namespace gatewaylog {

QList<QByteArray> Scanner::markers()
{
    return {kCallingMarker, kCharsetMarker, kQueryMarker, kOtherQueryMarker, kEndMarker};
}

static QString cutMark(bool cut)
{
    return cut ? QString::fromUtf16(kCutMark) : QString();
}

// A marker found only past the head of a cut line leaves nothing but the mark.
QString callingFragment(const QString &line, bool cut)
{
    const qsizetype at = line.indexOf(QLatin1String(kCallingMarker));
    const QString value = at < 0 ? QString() : format::trimBlanks(line.mid(at + qsizetype(qstrlen(kCallingMarker))));
    return QLatin1String(kAeOpen) + value + cutMark(cut) + QLatin1String(kAeClose);
}

// The value stands between the tag with its representation and blank, and the
// first "#" after it; a line without one gives the value to its end.
QString charsetFragment(const QString &line, bool cut)
{
    const qsizetype at = line.indexOf(QLatin1String(kCharsetMarker));
    if (at < 0)
        return QStringLiteral("*//*") + cutMark(cut) + QStringLiteral("*///*");
    const qsizetype start = at + 15;
    const qsizetype hash = line.indexOf(QLatin1Char('#'), start);
    const QString value = hash < 0 ? line.mid(start) : line.mid(start, hash - start);
    return QLatin1String(kCharsetOpen) + format::trimBlanks(value) + cutMark(cut && hash < 0) +
           QLatin1String(kCharsetClose);
}

// The query from its first "FROM" to the very end of the line; a query line
// without "FROM" gives what follows its "=".
QString queryFragment(const QString &line, bool cut)
{
    qsizetype from = line.indexOf(QLatin1String("FROM"));
    if (from < 0) {
        from = line.indexOf(QLatin1Char('=')) + 1;
        while (from < line.size() && line.at(from) == QLatin1Char(' '))
            ++from;
    }
    return QLatin1String(kQueryOpen) + line.mid(from) + cutMark(cut) + QLatin1String(kQueryClose);
}

QString cutNote()
{
    return QStringLiteral("%1 KB를 넘는 로그 줄은 앞부분만 읽었습니다 (잘린 곳: %2).")
        .arg(MarkedLineReader::kLineBound / 1024)
        .arg(QString::fromUtf16(kCutMark));
}

namespace {
enum : quint32 { Calling = 1, Charset = 2, Query = 4, OtherQuery = 8, End = 16 };

// "<yyyy-mm-dd hh:mm:ss> : ", digits where the letters are.
constexpr char kStamp[] = "<0000-00-00 00:00:00> : ";
constexpr qsizetype kStampSize = sizeof(kStamp) - 1;
// What is remembered of the texts, per kind: a few devices' lines fit many
// times over; whatever the logs hold, it stays within a few megabytes.
constexpr qsizetype kMadeLongest = 4096;
constexpr qsizetype kMadeBytes = 2 * 1024 * 1024;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool hasStamp(QByteArrayView line)
{
    if (line.size() < kStampSize)
        return false;
    for (qsizetype i = 0; i < kStampSize; ++i) {
        if (kStamp[i] == '0' ? !isDigit(line[i]) : line[i] != kStamp[i])
            return false;
    }
    return true;
}

// The same stamp with every digit changed.
QByteArray otherStamp(QByteArrayView line)
{
    QByteArray stamp = line.first(kStampSize).toByteArray();
    for (char &c : stamp) {
        if (isDigit(c))
            c = char('0' + (c - '0' + 1) % 10);
    }
    return stamp;
}
} // namespace

// The stamp is plain ASCII, which every ANSI code page reads alike and apart
// from what follows, and holds none of the texts the fragments are cut at; a
// fragment that still takes in the stamp (a query line with neither "FROM" nor
// "=") is made anew each time.
QString Scanner::fragmentOf(Kind kind, QByteArrayView line, bool cut)
{
    using Make = QString (*)(const QString &, bool);
    static constexpr Make make[] = {callingFragment, charsetFragment, queryFragment};
    const auto made = [&](QByteArrayView l) { return make[kind](platform::fromAnsiCut(l.toByteArray(), cut), cut); };
    if (cut || !hasStamp(line))
        return made(line);
    const QByteArrayView rest = line.sliced(kStampSize);
    QHash<size_t, Made> &memo = m_made[kind];
    const size_t key = qHash(rest);
    const auto it = memo.constFind(key);
    if (it != memo.cend() && it->rest == rest)
        return it->fragment;
    QString fragment = made(line);
    if (rest.size() <= kMadeLongest && fragment == made(otherStamp(line).append(rest))) {
        qsizetype &bytes = m_madeBytes[kind];
        const qsizetype size = rest.size() + fragment.size() * qsizetype(sizeof(QChar));
        if (bytes + size > kMadeBytes) {
            memo.clear();
            bytes = 0;
        }
        memo.insert(key, {rest.toByteArray(), fragment});
        bytes += size;
    }
    return fragment;
}

// Most end lines of a file fall on the day of the one before.
QDate Scanner::endDay(QByteArrayView line)
{
    // "<yyyy-mm-dd"
    if (!line.startsWith('<'))
        return QDate();
    const QByteArrayView text = line.sliced(1, qMin<qsizetype>(10, line.size() - 1));
    if (text != QByteArrayView(m_dayText)) {
        m_day = QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd"));
        m_dayText = text.toByteArray();
    }
    return m_day;
}

void Scanner::feed(QByteArrayView line, bool adjacent)
{
    quint32 found = 0;
    const QList<QByteArray> all = markers();
    for (int i = 0; i < all.size(); ++i) {
        if (line.contains(all.at(i)))
            found |= 1u << i;
    }
    feed(line, adjacent, found);
}

void Scanner::feed(QByteArrayView line, bool adjacent, quint32 found)
{
    if (!(m_skip && adjacent)) {
        const bool cut = found & MarkedLineReader::kCut;
        QString fragment;
        if (found & Calling) {
            fragment = fragmentOf(CallingKind, line, cut);
        } else if ((found & Charset) && !m_charsetTaken) {
            fragment = fragmentOf(CharsetKind, line, cut);
            m_charsetTaken = true;
        } else if (bool(found & Query) != bool(found & OtherQuery)) {
            fragment = fragmentOf(QueryKind, line, cut);
        }
        m_cut = m_cut || (cut && fragment.contains(QString::fromUtf16(kCutMark)));
        m_entry += fragment;
    }
    m_skip = false;
    if (found & End) {
        const QDate day = endDay(line);
        const auto seen = m_lastDay.find(m_entry);
        if (seen == m_lastDay.end()) {
            m_lastDay.insert(m_entry, day);
            m_entries.append(m_entry);
        } else if (day.isValid()) {
            *seen = day;
        }
        m_entry.clear();
        m_charsetTaken = false;
        m_skip = true;
    }
}

} // namespace gatewaylog
