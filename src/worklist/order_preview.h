#pragma once

#include "db/recordset.h"

#include <QDate>
#include <QString>

// The orders a worklist view serves for today or the last seven days.
namespace worklist::preview {

// A name that can stand in a statement as it is: letters, digits and "_",
// and after the first character also "$", "#" and "@", with an optional
// schema part before a ".".
bool isPlainObjectName(const QString &name);
// Why a name is not such a name, in Korean, naming the character; empty when it is.
QString objectNameFault(const QString &name);

// The first day "7일" lists: seven calendar days before today.
QDate sevenDayBound(const QDate &today);

// The preview's statement: the base view "VMWL" when useBaseView, else the
// named view; today's orders only, or those from the seven-day bound on.
QString statement(const QString &viewName, bool useBaseView, bool todayOnly, const QDate &today);
// The same over other columns, for a check that reads more of each row.
QString statement(const QString &columns, const QString &viewName, bool useBaseView, bool todayOnly,
                  const QDate &today);

// The listing: two header lines, an empty line, then per order a numbered line
// and the exam name indented below it.
QString listing(db::Recordset &orders);

} // namespace worklist::preview
