#include "log_scanner.h"

#include "platform/codepage.h"

namespace gatewaylog {

QList<QByteArray> Scanner::markers()
{
    return {kCallingMarker, kCharsetMarker, kQueryMarker, kOtherQueryMarker, kEndMarker};
}

QString callingFragment(const QString &line)
{
    const qsizetype at = line.indexOf(QLatin1String(kCallingMarker));
    return QStringLiteral("+//+") + line.mid(at + qsizetype(qstrlen(kCallingMarker))).trimmed() +
           QStringLiteral("+///+");
}

// The value stands between the tag with its representation and blank, and the
// first "#" after it; a line without one gives the value to its end.
QString charsetFragment(const QString &line)
{
    const qsizetype at = line.indexOf(QLatin1String(kCharsetMarker));
    const qsizetype start = at + 15;
    const qsizetype hash = line.indexOf(QLatin1Char('#'), start);
    const QString value = hash < 0 ? line.mid(start) : line.mid(start, hash - start);
    return QStringLiteral("*//*") + value.trimmed() + QStringLiteral("*///*");
}

// The query from its first "FROM" to the very end of the line; a query line
// without "FROM" gives what follows its "=".
QString queryFragment(const QString &line)
{
    qsizetype from = line.indexOf(QLatin1String("FROM"));
    if (from < 0) {
        from = line.indexOf(QLatin1Char('=')) + 1;
        while (from < line.size() && line.at(from) == QLatin1Char(' '))
            ++from;
    }
    return QStringLiteral("-//-") + line.mid(from) + QStringLiteral("-///-");
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
        if (found & Calling) {
            m_entry += callingFragment(platform::fromAnsi(line.toByteArray()));
        } else if ((found & Charset) && !m_charsetTaken) {
            m_entry += charsetFragment(platform::fromAnsi(line.toByteArray()));
            m_charsetTaken = true;
        } else if (bool(found & Query) != bool(found & OtherQuery)) {
            m_entry += queryFragment(platform::fromAnsi(line.toByteArray()));
        }
    }
    m_skip = false;
    if (found & End) {
        if (!m_seen.contains(m_entry)) {
            m_seen.insert(m_entry);
            m_entries.append(m_entry);
        }
        m_entry.clear();
        m_charsetTaken = false;
        m_skip = true;
    }
}

} // namespace gatewaylog
