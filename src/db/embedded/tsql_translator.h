#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Turns the T-SQL statements the tool and the view templates send into SQLite
// statements for the embedded archive. It works over tokens (string literals,
// [bracketed] and "quoted" names, comments and numbers are kept whole), never
// over raw text. A form it does not know is refused with an error naming the
// statement, never guessed at.
namespace db::tsql {

// Names the translated SQL uses; the embedded archive provides them.
inline constexpr const char *kSysObjects = "kz_sys_objects";     // Sys.Objects (column Name, type)
inline constexpr const char *kSysSequences = "kz_sys_sequences"; // sys.Sequences (column Name)
inline constexpr const char *kNextValue = "kz_next_value";       // Next Value For S -> kz_next_value('S')
inline constexpr const char *kHanConvert = "kz_f_hanconvert";    // VUR_TCOMMON.F_HANCONVERT(x, m)

struct Statement
{
    enum class Kind {
        Query,       // any select/insert/update/delete: run `sql`
        CreateView,  // create view `name` (columns) as `sql` (a SQLite select)
        AlterView,   // replace view `name` (columns) by `sql`
        DropView,    // drop view `name`
        HelpText,    // SP_HELPTEXT `name`: the stored source of an object
        IfNotExists, // run `body` unless the select `sql` returns a row
    };

    Kind kind = Kind::Query;
    QString sql;
    QString name;
    QStringList columns;
    std::vector<Statement> body;
};

// The declared type of a column by its name ("VARCHAR(64)"), empty when the
// archive cannot tell it.
using ColumnTypes = std::function<QString(const QString &column)>;

// Throws platform::Error (text names the statement) for anything it does not know.
Statement translate(const QString &tsql, const ColumnTypes &columnType = {});

} // namespace db::tsql
