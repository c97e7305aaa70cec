#include "embedded_archive.h"

#include "tsql_translator.h"

#include "db/sql_text.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <optional>

#include <sqlite3.h>

namespace db {

namespace {

QString fromSqlite(const unsigned char *text, int bytes)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text), bytes);
}

QString quoteName(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString quoteText(const QString &text)
{
    return QLatin1Char('\'') + quoted(text) + QLatin1Char('\'');
}

QVariant columnValue(sqlite3_stmt *stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_TEXT:
        return QVariant(fromSqlite(sqlite3_column_text(stmt, i), sqlite3_column_bytes(stmt, i)));
    case SQLITE_BLOB:
        return QVariant(
            QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, i)), sqlite3_column_bytes(stmt, i)));
    default:
        return QVariant();
    }
}

QString argText(sqlite3_value *value)
{
    return fromSqlite(sqlite3_value_text(value), sqlite3_value_bytes(value));
}

void resultText(sqlite3_context *context, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(context, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

// upper() and lower() over the whole of Unicode, as the server's are.
void caseFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const bool upper = sqlite3_user_data(context) != nullptr;
    const QString text = argText(argv[0]);
    resultText(context, upper ? text.toUpper() : text.toLower());
}

// SITE_CI: text compared as the sites' servers compare it by default, letter
// case ignored over the whole of Unicode (Hangul has none and is compared as
// it stands) and trailing blanks ignored, so that 'CT01' = 'ct01  ' holds.
QString collationKey(const void *text, int bytes)
{
    const char *s = static_cast<const char *>(text);
    while (bytes > 0 && s[bytes - 1] == ' ')
        --bytes;
    return QString::fromUtf8(s, bytes).toCaseFolded();
}

int siteCollation(void *, int bytesA, const void *a, int bytesB, const void *b)
{
    return collationKey(a, bytesA).compare(collationKey(b, bytesB));
}

// A set in brackets at pattern[p] ("[" included): whether it holds c, and
// where the pattern goes on after it; nothing when the "]" is missing, which
// matches nothing, as on the server. "[^…]" is the set's complement, "a-c"
// a range (by code point, after case folding).
std::optional<std::pair<bool, qsizetype>> bracketSet(const QString &pattern, qsizetype p, QChar c)
{
    qsizetype i = p + 1;
    const bool negated = i < pattern.size() && pattern.at(i) == QLatin1Char('^');
    if (negated)
        ++i;
    bool in = false;
    for (; i < pattern.size() && pattern.at(i) != QLatin1Char(']'); ++i) {
        const QChar from = pattern.at(i);
        if (i + 2 < pattern.size() && pattern.at(i + 1) == QLatin1Char('-') && pattern.at(i + 2) != QLatin1Char(']')) {
            in = in || (c >= from && c <= pattern.at(i + 2));
            i += 2;
        } else {
            in = in || c == from;
        }
    }
    if (i >= pattern.size())
        return std::nullopt;
    return std::make_pair(in != negated, i + 1);
}

// LIKE with letter case ignored beyond ASCII too, as on the server: "%" any
// run of characters, "_" one character, "[…]" one character of a set or
// range, the escape character (when given) taking the next one as it stands.
bool likeMatches(const QString &pattern, const QString &text, std::optional<QChar> escape)
{
    qsizetype p = 0, t = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            const QChar c = pattern.at(p);
            if (escape && c == *escape && p + 1 < pattern.size()) {
                if (pattern.at(p + 1) == text.at(t)) {
                    p += 2;
                    ++t;
                    continue;
                }
            } else if (c == QLatin1Char('%')) {
                starP = p++;
                starT = t;
                continue;
            } else if (c == QLatin1Char('[')) {
                const auto set = bracketSet(pattern, p, text.at(t));
                if (!set)
                    return false;
                if (set->first) {
                    p = set->second;
                    ++t;
                    continue;
                }
            } else if (c == QLatin1Char('_') || c == text.at(t)) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP + 1;
        t = ++starT;
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('%'))
        ++p;
    return p == pattern.size();
}

void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    std::optional<QChar> escape;
    if (argc == 3) {
        const QString e = argText(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.at(0).toCaseFolded();
    }
    sqlite3_result_int(context, likeMatches(argText(argv[0]).toCaseFolded(), argText(argv[1]).toCaseFolded(), escape));
}

void nextValueFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    auto *archive = static_cast<EmbeddedArchive *>(sqlite3_user_data(context));
    try {
        sqlite3_result_int64(context, archive->nextSequenceValue(argText(argv[0])));
    } catch (const platform::Error &e) {
        const QByteArray message = e.text().toUtf8();
        sqlite3_result_error(context, message.constData(), static_cast<int>(message.size()));
    }
}

void hanConvertFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    auto *archive = static_cast<EmbeddedArchive *>(sqlite3_user_data(context));
    QVariant text;
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        text = argText(argv[0]);
    const QVariant result = archive->hanConvert(text, sqlite3_value_int64(argv[1]));
    if (!result.isValid())
        sqlite3_result_null(context);
    else
        resultText(context, result.toString());
}

QStringList sourceLines(const QString &source)
{
    QString text = source;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

EmbeddedArchive::EmbeddedArchive(const QString &file, const QString &siteDir, const QDate &today, bool create)
{
    const bool existed = QFileInfo::exists(file);
    if (!existed && !create)
        throw platform::Error(QStringLiteral("내장 아카이브 파일이 없습니다: %1").arg(file));
    const QByteArray path = QFile::encodeName(file);
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString text = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw platform::Error(QStringLiteral("내장 아카이브를 열 수 없습니다: %1 (%2)").arg(file, text));
    }
    sqlite3_busy_timeout(m_db, 10000);
    sqlite3_create_collation(m_db, "SITE_CI", SQLITE_UTF8, nullptr, siteCollation);
    sqlite3_create_function(m_db, "upper", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, reinterpret_cast<void *>(1),
                            caseFunction, nullptr, nullptr);
    sqlite3_create_function(m_db, "lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, caseFunction, nullptr,
                            nullptr);
    for (int argc : {2, 3})
        sqlite3_create_function(m_db, "like", argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction, nullptr,
                                nullptr);
    sqlite3_create_function(m_db, tsql::kNextValue, 1, SQLITE_UTF8, this, nextValueFunction, nullptr, nullptr);
    sqlite3_create_function(m_db, tsql::kHanConvert, 2, SQLITE_UTF8, this, hanConvertFunction, nullptr, nullptr);
    try {
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        if (!existed) {
            createFromScripts(siteDir, today);
        } else {
            createInternalObjects();
        }
    } catch (...) {
        close();
        if (!existed) {
            QFile::remove(file);
            QFile::remove(file + QStringLiteral("-wal"));
            QFile::remove(file + QStringLiteral("-shm"));
        }
        throw;
    }
}

EmbeddedArchive::~EmbeddedArchive()
{
    close();
}

void EmbeddedArchive::close()
{
    if (m_hanConvert) {
        sqlite3_finalize(m_hanConvert);
        m_hanConvert = nullptr;
    }
    m_hanConvertPrepared = false;
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void EmbeddedArchive::exec(const QString &sql)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
        sqlite3_free(message);
        throw platform::Error(text);
    }
}

void EmbeddedArchive::createInternalObjects()
{
    exec(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS kz_sequences(name TEXT PRIMARY KEY COLLATE NOCASE,"
        " current_value INTEGER NOT NULL, increment INTEGER NOT NULL DEFAULT 1);"
        "CREATE TABLE IF NOT EXISTS kz_view_source(name TEXT PRIMARY KEY COLLATE NOCASE, source TEXT NOT NULL);"
        "CREATE VIEW IF NOT EXISTS kz_sys_objects(name, object_id, type, type_desc) AS"
        " SELECT name, rowid, CASE type WHEN 'view' THEN 'V' ELSE 'U' END,"
        "        CASE type WHEN 'view' THEN 'VIEW' ELSE 'USER_TABLE' END"
        " FROM sqlite_master WHERE type IN ('table', 'view')"
        "   AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND name NOT LIKE 'kz\\_%' ESCAPE '\\'"
        " UNION ALL SELECT name, 1000000 + rowid, 'SO', 'SEQUENCE_OBJECT' FROM kz_sequences;"
        "CREATE VIEW IF NOT EXISTS kz_sys_sequences(name, object_id, start_value, increment, current_value) AS"
        " SELECT name, 1000000 + rowid, current_value, increment, current_value FROM kz_sequences;"));
}

void EmbeddedArchive::runScript(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Error(
            QStringLiteral("내장 아카이브 스크립트를 열 수 없습니다: %1 (%2)").arg(path, file.errorString()));
    try {
        exec(QString::fromUtf8(file.readAll()));
    } catch (const platform::Error &e) {
        throw platform::Error(QStringLiteral("%1: %2").arg(path, e.text()));
    }
}

void EmbeddedArchive::createFromScripts(const QString &siteDir, const QDate &today)
{
    exec(QStringLiteral("BEGIN"));
    try {
        createInternalObjects();
        runScript(QDir(siteDir).filePath(QStringLiteral("archive/schema.sql")));
        exec(QStringLiteral("CREATE TEMP TABLE kz_seed(today TEXT); INSERT INTO kz_seed VALUES (%1);")
                 .arg(quoteText(today.toString(Qt::ISODate))));
        runScript(QDir(siteDir).filePath(QStringLiteral("archive/demo.sql")));
        exec(QStringLiteral("DROP TABLE temp.kz_seed; COMMIT"));
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

[[noreturn]] void EmbeddedArchive::fail(const QString &original) const
{
    throw platform::Error(QString::fromUtf8(sqlite3_errmsg(m_db)) + QStringLiteral("\n") + original);
}

Recordset EmbeddedArchive::query(const QString &sql, const QString &original)
{
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = utf8.constData();
    const char *end = tail + utf8.size();
    QStringList columns;
    std::vector<QVariantList> rows;
    bool haveResult = false;
    while (tail < end) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, tail, static_cast<int>(end - tail), &stmt, &tail) != SQLITE_OK)
            fail(original);
        if (!stmt)
            break; // only blanks or comments were left
        const int count = sqlite3_column_count(stmt);
        const bool keep = !haveResult && count > 0;
        if (keep) {
            haveResult = true;
            for (int i = 0; i < count; ++i)
                columns.append(QString::fromUtf8(sqlite3_column_name(stmt, i)));
        }
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (!keep)
                continue;
            QVariantList row;
            row.reserve(count);
            for (int i = 0; i < count; ++i)
                row.append(columnValue(stmt, i));
            rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) {
            const QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_finalize(stmt);
            throw platform::Error(text + QStringLiteral("\n") + original);
        }
        sqlite3_finalize(stmt);
    }
    return Recordset(std::move(columns), std::move(rows));
}

Recordset EmbeddedArchive::execute(const QString &sql)
{
    if (!m_db)
        throw platform::Error(QStringLiteral("데이터베이스 연결이 닫혀 있습니다."));
    const tsql::Statement statement = tsql::translate(sql);
    // Each statement is all or nothing, as on the server.
    const QString savepoint = QStringLiteral("kz_statement_%1").arg(++m_savepoint);
    exec(QStringLiteral("SAVEPOINT ") + savepoint);
    try {
        Recordset result = run(statement, sql);
        flushSequences();
        exec(QStringLiteral("RELEASE ") + savepoint);
        --m_savepoint;
        return result;
    } catch (...) {
        // Values already drawn from a sequence stay drawn, as on the server.
        sqlite3_exec(m_db,
                     QString(QStringLiteral("ROLLBACK TO ") + savepoint + QStringLiteral("; RELEASE ") + savepoint)
                         .toUtf8()
                         .constData(),
                     nullptr, nullptr, nullptr);
        --m_savepoint;
        try {
            flushSequences();
        } catch (const platform::Error &) {
            m_sequences.clear(); // read afresh from the table next time
        }
        throw;
    }
}

Recordset EmbeddedArchive::run(const tsql::Statement &statement, const QString &original)
{
    using Kind = tsql::Statement::Kind;
    switch (statement.kind) {
    case Kind::Query:
        return query(statement.sql, original);
    case Kind::CreateView:
        createView(statement, original, false);
        return Recordset();
    case Kind::AlterView:
        createView(statement, original, true);
        return Recordset();
    case Kind::DropView:
        dropView(statement.name, original);
        return Recordset();
    case Kind::HelpText:
        return helpText(statement.name);
    case Kind::IfNotExists:
        if (query(statement.sql, original).recordCount() == 0) {
            for (const tsql::Statement &inner : statement.body)
                run(inner, original);
        }
        return Recordset();
    }
    return Recordset();
}

bool EmbeddedArchive::objectExists(const QString &name, const char *type)
{
    QString sql = QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = %1 COLLATE NOCASE").arg(quoteText(name));
    if (type)
        sql += QStringLiteral(" AND type = '%1'").arg(QLatin1String(type));
    return query(sql, sql).recordCount() > 0;
}

void EmbeddedArchive::createView(const tsql::Statement &statement, const QString &original, bool replace)
{
    const QString &name = statement.name;
    if (replace) {
        if (!objectExists(name, "view"))
            throw platform::Error(QStringLiteral("Invalid object name '%1'.\n%2").arg(name, original));
        exec(QStringLiteral("DROP VIEW %1").arg(quoteName(name)));
    } else if (objectExists(name)) {
        throw platform::Error(
            QStringLiteral("There is already an object named '%1' in the database.\n%2").arg(name, original));
    }
    QString create = QStringLiteral("CREATE VIEW ") + quoteName(name);
    if (!statement.columns.isEmpty()) {
        QStringList quoted;
        for (const QString &column : statement.columns)
            quoted.append(quoteName(column));
        create += QLatin1Char('(') + quoted.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    create += QStringLiteral(" AS ") + statement.sql;
    query(create, original);
    // The server checks a view's body when it is made; so does the archive.
    query(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(quoteName(name)), original);
    query(QStringLiteral("INSERT OR REPLACE INTO kz_view_source(name, source) VALUES (%1, %2)")
              .arg(quoteText(name), quoteText(original)),
          original);
}

void EmbeddedArchive::dropView(const QString &name, const QString &original)
{
    if (!objectExists(name, "view")) {
        throw platform::Error(
            QStringLiteral("Cannot drop the view '%1', because it does not exist or you do not have permission.\n%2")
                .arg(name, original));
    }
    exec(QStringLiteral("DROP VIEW %1").arg(quoteName(name)));
    exec(QStringLiteral("DELETE FROM kz_view_source WHERE name = %1 COLLATE NOCASE").arg(quoteText(name)));
}

Recordset EmbeddedArchive::helpText(const QString &name)
{
    const QString sql =
        QStringLiteral("SELECT source FROM kz_view_source WHERE name = %1 COLLATE NOCASE").arg(quoteText(name));
    Recordset source = query(sql, sql);
    if (source.recordCount() == 0) {
        if (objectExists(name))
            throw platform::Error(QStringLiteral("There is no text for object '%1'.").arg(name));
        throw platform::Error(
            QStringLiteral(
                "The object '%1' does not exist in database 'QoRVA_Clinic' or is invalid for this operation.")
                .arg(name));
    }
    std::vector<QVariantList> rows;
    for (const QString &line : sourceLines(source.text(0)))
        rows.push_back({line});
    return Recordset({QStringLiteral("Text")}, std::move(rows));
}

qint64 EmbeddedArchive::nextSequenceValue(const QString &name)
{
    const QString key = name.toUpper();
    auto it = m_sequences.find(key);
    if (it == m_sequences.end()) {
        const QString sql = QStringLiteral("SELECT name, current_value, increment FROM kz_sequences WHERE name = %1")
                                .arg(quoteText(name));
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            throw platform::Error(QString::fromUtf8(sqlite3_errmsg(m_db)));
        const bool found = sqlite3_step(stmt) == SQLITE_ROW;
        if (found) {
            m_sequenceNames.insert(key, fromSqlite(sqlite3_column_text(stmt, 0), sqlite3_column_bytes(stmt, 0)));
            it = m_sequences.insert(key, sqlite3_column_int64(stmt, 1));
            m_increments.insert(key, sqlite3_column_int64(stmt, 2));
        }
        sqlite3_finalize(stmt);
        if (!found)
            throw platform::Error(QStringLiteral("Invalid object name '%1'.").arg(name));
    }
    *it += m_increments.value(key, 1);
    m_dirtySequences.insert(key);
    return *it;
}

void EmbeddedArchive::flushSequences()
{
    for (const QString &key : std::as_const(m_dirtySequences)) {
        exec(QStringLiteral("UPDATE kz_sequences SET current_value = %1 WHERE name = %2")
                 .arg(m_sequences.value(key))
                 .arg(quoteText(m_sequenceNames.value(key))));
    }
    m_dirtySequences.clear();
}

QVariant EmbeddedArchive::hanConvert(const QVariant &text, qint64 mode)
{
    if (!text.isValid() || mode != 1)
        return text;
    if (!m_hanConvertPrepared) {
        m_hanConvertPrepared = true;
        if (sqlite3_prepare_v2(m_db, "SELECT ENG_NAME FROM TEXAMNAME_ENG WHERE KOR_NAME = ?1", -1, &m_hanConvert,
                               nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_hanConvert);
            m_hanConvert = nullptr;
        }
    }
    if (!m_hanConvert)
        return text;
    const QByteArray utf8 = text.toString().toUtf8();
    sqlite3_reset(m_hanConvert);
    sqlite3_bind_text(m_hanConvert, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    QVariant result = text;
    if (sqlite3_step(m_hanConvert) == SQLITE_ROW && sqlite3_column_type(m_hanConvert, 0) != SQLITE_NULL)
        result = fromSqlite(sqlite3_column_text(m_hanConvert, 0), sqlite3_column_bytes(m_hanConvert, 0));
    sqlite3_reset(m_hanConvert);
    return result;
}

void EmbeddedArchive::begin()
{
    exec(QStringLiteral("BEGIN"));
}

void EmbeddedArchive::commit()
{
    exec(QStringLiteral("COMMIT"));
}

void EmbeddedArchive::rollback()
{
    exec(QStringLiteral("ROLLBACK"));
    // Sequence values drawn inside the transaction are given back with it.
    m_sequences.clear();
    m_dirtySequences.clear();
}

} // namespace db
