#pragma once

#include <QString>

// The statements of the view catalogue, the deletion and the definition
// reader. Names reach them only after the field checks, and are written as
// plain identifiers.
namespace worklist::statements {

// Every object named like a worklist view.
QString viewList();

QString dropView(const QString &viewName);

// The definition of a listed view, line by line; "-" in the listed name is
// read as "1_1", as the name rule writes it. Throws platform::Error for a
// name that is not a plain identifier.
QString definition(const QString &listedName);

} // namespace worklist::statements
