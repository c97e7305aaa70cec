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
            fragment = callingFragment(platform::fromAnsi(line.toByteArray()), cut);
        } else if ((found & Charset) && !m_charsetTaken) {
            fragment = charsetFragment(platform::fromAnsi(line.toByteArray()), cut);
            m_charsetTaken = true;
        } else if (bool(found & Query) != bool(found & OtherQuery)) {
            fragment = queryFragment(platform::fromAnsi(line.toByteArray()), cut);
        }
        m_cut = m_cut || (cut && fragment.contains(QString::fromUtf16(kCutMark)));
        m_entry += fragment;
    }
    m_skip = false;
    if (found & End) {
        // "<yyyy-mm-dd"
        const QDate day =
            line.startsWith('<')
                ? QDate::fromString(QString::fromLatin1(line.sliced(1, qMin<qsizetype>(10, line.size() - 1))),
                                    QStringLiteral("yyyy-MM-dd"))
                : QDate();
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
