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

// The text between the quotes of a statement's string back to its value: each
// doubled quote one quote.
inline QString unquoted(const QString &text)
{
    QString u = text;
    u.replace(QLatin1String("''"), QLatin1String("'"));
    return u;
}

} // namespace db
