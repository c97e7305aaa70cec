#pragma once

#include <QString>

namespace db {

// A text put between single quotes in a statement, each quote in it doubled,
// so that it reaches the database as typed.
inline QString quoted(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return q;
}

// quoted(), and a backslash right before a line end kept as well: SQL Server
// removes a backslash that ends a line inside a string together with the line
// end (a line continuation), so the string is closed after the backslash and
// a new one, joined with +, opens before the line end ('a\'+'<CR LF>b').
// Texts joined with + are cut at 8000 bytes (4000 characters for N'…') unless
// one of them is a large value type, so the first join brings in an empty
// varchar(max): a long text comes through whole.
// Only for a string that stands by itself as a value; unicode writes N'.
inline QString quotedKeepingLineEnds(const QString &text, bool unicode = false)
{
    const QString reopen = unicode ? QStringLiteral("'+N'") : QStringLiteral("'+'");
    QString q = quoted(text);
    qsizetype first = -1;
    for (qsizetype i = q.size() - 1; i > 0; --i) {
        if (q.at(i) != QLatin1Char('\n'))
            continue;
        const qsizetype lineEnd = q.at(i - 1) == QLatin1Char('\r') ? i - 1 : i;
        if (lineEnd > 0 && q.at(lineEnd - 1) == QLatin1Char('\\')) {
            q.insert(lineEnd, reopen);
            first = lineEnd;
        }
    }
    if (first >= 0)
        q.insert(first + 2, unicode ? QStringLiteral("Cast(N'' As nvarchar(max))+") : QStringLiteral("Cast('' As varchar(max))+"));
    return q;
}

// The text between the quotes of a statement's string back to its value: each
// doubled quote one quote.
inline QString unquoted(const QString &text)
{
    QString u = text;
    u.replace(QLatin1String("''"), QLatin1String("'"));
    return u;
}

} // namespace db
