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

} // namespace db
