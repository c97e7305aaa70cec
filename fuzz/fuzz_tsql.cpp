// Any statement text through the T-SQL lexer and translator: it is translated
// or refused with a reason, never crashes; the tokens give the statement back
// byte for byte; what is translated is SQL that SQLite prepares or refuses
// cleanly, against the archive's own schema.
#include "fuzz_support.h"

#include "db/embedded/tsql_lexer.h"
#include "db/embedded/tsql_translator.h"
#include "platform/error.h"

#include <QFile>

#include <sqlite3.h>

#include <cstring>

namespace {

void noFunction(sqlite3_context *context, int, sqlite3_value **)
{
    sqlite3_result_null(context);
}

// Statements are only prepared, never run: any order will do.
int anyOrder(void *, int a, const void *x, int b, const void *y)
{
    const int common = std::memcmp(x, y, size_t(qMin(a, b)));
    return common != 0 ? common : a - b;
}

sqlite3 *archive()
{
    static sqlite3 *db = [] {
        sqlite3 *d = nullptr;
        sqlite3_open(":memory:", &d);
        // What the archive registers, by the names its schema uses.
        sqlite3_create_collation(d, "SITE_CI", SQLITE_UTF8, nullptr, anyOrder);
        QFile schema(QStringLiteral(KZ_SITE_DIR "/archive/schema.sql"));
        if (!schema.open(QIODevice::ReadOnly))
            fuzzsupport::fail("the archive schema cannot be read");
        // The archive's own objects, then its schema.
        const QByteArray sql =
            "CREATE TABLE kz_sequences(name TEXT PRIMARY KEY COLLATE NOCASE, current_value INTEGER, increment INTEGER);"
            "CREATE TABLE kz_view_source(name TEXT PRIMARY KEY COLLATE NOCASE, source TEXT NOT NULL);"
            "CREATE TABLE kz_sys_objects(name, object_id, type, type_desc);"
            "CREATE TABLE kz_sys_sequences(name, object_id, start_value, increment, current_value);" +
            schema.readAll();
        if (sqlite3_exec(d, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fuzzsupport::fail("the archive schema does not run", QString::fromUtf8(sqlite3_errmsg(d)));
        sqlite3_create_function(d, db::tsql::kNextValue, 1, SQLITE_UTF8, nullptr, noFunction, nullptr, nullptr);
        sqlite3_create_function(d, db::tsql::kHanConvert, 2, SQLITE_UTF8, nullptr, noFunction, nullptr, nullptr);
        return d;
    }();
    return db;
}

// Every statement in sql is prepared, as the archive runs them; a refusal is fine.
void prepareAll(const QString &sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = utf8.constData();
    const char *end = tail + utf8.size();
    while (tail < end) {
        sqlite3_stmt *stmt = nullptr;
        const char *before = tail;
        const int rc = sqlite3_prepare_v2(archive(), tail, int(end - tail), &stmt, &tail);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_OK || !stmt || tail == before)
            break;
    }
}

void prepareStatement(const db::tsql::Statement &s)
{
    using Kind = db::tsql::Statement::Kind;
    if (s.kind == Kind::Query || s.kind == Kind::CreateView || s.kind == Kind::AlterView || s.kind == Kind::IfNotExists)
        prepareAll(s.sql);
    for (const auto &inner : s.body)
        prepareStatement(inner);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int how = in.ConsumeIntegral<uint8_t>();
    const QString statement = fuzzsupport::text(fuzzsupport::rest(in), how);

    try {
        QString joined;
        for (const auto &token : db::tsql::tokenize(statement))
            joined += token.text;
        fuzzsupport::check(joined == statement, "the tokens do not give the statement back", statement);
    } catch (const platform::Error &e) {
        fuzzsupport::check(!e.text().isEmpty(), "a refusal without a reason", statement);
    }

    try {
        prepareStatement(db::tsql::translate(statement));
    } catch (const platform::Error &e) {
        fuzzsupport::check(!e.text().isEmpty(), "a refusal without a reason", statement);
    }
    return 0;
}
