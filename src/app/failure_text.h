#pragma once

#include <QString>

namespace app {

// The short sentence a failed statement is shown with: the operation the
// operator started and the view, table or sequence the statement was about.
// The database's own text and the statement go under the box's details.
QString statementFailure(const QString &operation, const QString &statement);
QString statementFailureDetail(const QString &serverText, const QString &statement);

} // namespace app
