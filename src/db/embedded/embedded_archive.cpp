#include "embedded_archive.h"

#include "tsql_translator.h"

#include "db/sql_text.h"
#include "platform/codepage.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <QRegularExpression>

#include <cmath>
#include <limits>
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

// Full-width forms (U+FF01 to U+FF5E, the ideographic space) and the
// half-width ones (U+FF61 to U+FFEE) as their ordinary characters: the
// sites' collation ignores width.
QString widthFolded(const QString &text)
{
    QString folded = text;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const char16_t c = folded.at(i).unicode();
        if (c >= 0xFF01 && c <= 0xFF5E)
            folded[i] = QChar(char16_t(c - 0xFEE0));
        else if (c == 0x3000)
            folded[i] = QLatin1Char(' ');
        else if (c >= 0xFF61 && c <= 0xFFEE)
            folded.replace(i, 1, QString(QChar(c)).normalized(QString::NormalizationForm_KC));
    }
    return folded;
}

// SITE_CI: text compared as the sites' servers compare it by default
// (Korean_Wansung_CI_AS): letter case ignored over the whole of Unicode
// (Hangul has none and is compared as it stands), width ignored and trailing
// blanks ignored, so that 'CT01' = 'ｃｔ01  ' holds.
QString collationKey(const void *text, int bytes)
{
    QString key = widthFolded(QString::fromUtf8(static_cast<const char *>(text), bytes));
    qsizetype end = key.size();
    while (end > 0 && key.at(end - 1) == QLatin1Char(' '))
        --end;
    key.truncate(end);
    return key.toCaseFolded();
}

// What the server keeps of a text in a varchar: code page 949, every
// character it cannot hold as '?'.
QByteArray cp949Bytes(const QString &text)
{
    return platform::encodeReplacing(text, platform::toCp949);
}

// A text as the server makes it for a character type of that length: varchar
// and char in code page 949, cut to the length in bytes (never inside a
// character); nvarchar and nchar cut to the length in characters; char and
// nchar filled with blanks to their length. A length below 0 stands for max.
QString typedText(const QString &text, const QString &type, qint64 length)
{
    const bool unicode = type.startsWith(QLatin1Char('N'));
    const bool fixed = !type.contains(QLatin1String("VAR"));
    QString result;
    if (unicode) {
        result = length >= 0 ? text.left(length) : text;
        if (fixed && length >= 0)
            result = result.leftJustified(length, QLatin1Char(' '));
        return result;
    }
    result = platform::fromCp949(cp949Bytes(text));
    if (length < 0)
        return result;
    QString cut;
    qint64 bytes = 0;
    for (const QChar c : std::as_const(result)) {
        const qint64 size = c.unicode() < 0x80 ? 1 : 2;
        if (bytes + size > length)
            break;
        cut += c;
        bytes += size;
    }
    if (fixed)
        cut += QString(length - bytes, QLatin1Char(' '));
    return cut;
}

// The server's conversion of a text compared with a number: blanks around
// it allowed, an empty text is 0, anything else that is no number fails.
std::optional<QVariant> numberOf(const QString &text, const QString &kind, QString &error)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QVariant(qlonglong(0));
    if (kind == QLatin1String("int")) {
        static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
        if (whole.match(t).hasMatch()) {
            bool ok = false;
            const qlonglong value = t.toLongLong(&ok);
            if (ok && value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max())
                return QVariant(value);
            error =
                QStringLiteral("Msg 248: The conversion of the varchar value '%1' overflowed an int column.").arg(text);
            return std::nullopt;
        }
        error = QStringLiteral("Msg 245: Conversion failed when converting the varchar value '%1' to data type int.")
                    .arg(text);
        return std::nullopt;
    }
    static const QRegularExpression decimal(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    static const QRegularExpression real(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if ((kind == QLatin1String("float") ? real : decimal).match(t).hasMatch())
        return QVariant(t.toDouble());
    error = QStringLiteral("Msg 8114: Error converting data type varchar to %1.").arg(kind);
    return std::nullopt;
}

void numberFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        sqlite3_result_value(context, argv[0]);
        return;
    default:
        break;
    }
    QString error;
    const std::optional<QVariant> value =
        numberOf(fromSqlite(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0])),
                 fromSqlite(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1])), error);
    if (!value) {
        const QByteArray message = error.toUtf8();
        sqlite3_result_error(context, message.constData(), static_cast<int>(message.size()));
    } else if (value->typeId() == QMetaType::Double) {
        sqlite3_result_double(context, value->toDouble());
    } else {
        sqlite3_result_int64(context, value->toLongLong());
    }
}

// CAST(x AS int) as the server does it: a fraction cut off, a value beyond
// int an overflow (Msg 8115), a text that is no whole number an error.
void intFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    const auto overflow = [context] {
        sqlite3_result_error(context, "Msg 8115: Arithmetic overflow error converting expression to data type int.",
                             -1);
    };
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
        sqlite3_result_null(context);
        return;
    case SQLITE_INTEGER: {
        const qint64 value = sqlite3_value_int64(argv[0]);
        if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
            return overflow();
        sqlite3_result_int64(context, value);
        return;
    }
    case SQLITE_FLOAT: {
        const double value = std::trunc(sqlite3_value_double(argv[0]));
        if (!(value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max()))
            return overflow();
        sqlite3_result_int64(context, static_cast<qint64>(value));
        return;
    }
    default:
        break;
    }
    QString error;
    const std::optional<QVariant> value = numberOf(argText(argv[0]), QStringLiteral("int"), error);
    if (!value) {
        const QByteArray message = error.toUtf8();
        sqlite3_result_error(context, message.constData(), static_cast<int>(message.size()));
        return;
    }
    sqlite3_result_int64(context, value->toLongLong());
}

void textFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const QString type = fromSqlite(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1])).toUpper();
    const qint64 length = sqlite3_value_int64(argv[2]);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && length >= 0 &&
        QByteArray::number(sqlite3_value_int64(argv[0])).size() > length) {
        // A whole number too long for its text: "*" in varchar and char, an error in the national types.
        if (type.startsWith(QLatin1Char('N'))) {
            const QByteArray message = QStringLiteral("Msg 8115: Arithmetic overflow error converting expression "
                                                      "to data type %1.")
                                           .arg(type.toLower())
                                           .toUtf8();
            sqlite3_result_error(context, message.constData(), static_cast<int>(message.size()));
            return;
        }
        resultText(context, typedText(QStringLiteral("*"), type, length));
        return;
    }
    resultText(context, typedText(fromSqlite(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0])), type,
                                  sqlite3_value_int64(argv[2])));
}

// The length a text takes in a column: bytes in code page 949 for varchar,
// characters for nvarchar.
void storedLengthFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const QString text = fromSqlite(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]));
    sqlite3_result_int64(context, sqlite3_value_int(argv[1]) ? text.size() : cp949Bytes(text).size());
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
    // Trailing blanks of the value matched are ignored, those of the pattern are not.
    QString text = widthFolded(argText(argv[1])).toCaseFolded();
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
    sqlite3_result_int(context, likeMatches(widthFolded(argText(argv[0])).toCaseFolded(), text, escape));
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

// SP_HELPTEXT's rows as the server returns them: the text split after each
// CR LF (which the row keeps), a line longer than a row cut into rows of 255
// characters.
QStringList helpTextRows(const QString &source)
{
    constexpr qsizetype kRow = 255;
    QStringList rows;
    qsizetype start = 0;
    while (start < source.size()) {
        const qsizetype crlf = source.indexOf(QLatin1String("\r\n"), start);
        const qsizetype end = crlf < 0 ? source.size() : crlf + 2;
        for (qsizetype at = start; at < end; at += kRow)
            rows.append(source.mid(at, qMin(kRow, end - at)));
        start = end;
    }
    return rows;
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
    sqlite3_create_function(m_db, "kz_number", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, numberFunction, nullptr,
                            nullptr);
    sqlite3_create_function(m_db, "kz_int", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, intFunction, nullptr,
                            nullptr);
    sqlite3_create_function(m_db, "kz_text", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, textFunction, nullptr,
                            nullptr);
    sqlite3_create_function(m_db, "kz_stored_length", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            storedLengthFunction, nullptr, nullptr);
    try {
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        // Rows come back in no order the tool may rely on without ORDER BY,
        // as on the server: here the reverse of the order they were made in.
        exec(QStringLiteral("PRAGMA reverse_unordered_selects=ON"));
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
    if (m_db && !sqlite3_get_autocommit(m_db)) {
        // A connection closed inside a transaction ends it as a rollback
        // does, the drawn values kept.
        try {
            rollback();
        } catch (const platform::Error &) {
            // Closing goes on; SQLite rolls back what is left.
        }
    }
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
        createColumnChecks();
        exec(QStringLiteral("CREATE TEMP TABLE kz_seed(today TEXT); INSERT INTO kz_seed VALUES (%1);")
                 .arg(quoteText(today.toString(Qt::ISODate))));
        runScript(QDir(siteDir).filePath(QStringLiteral("archive/demo.sql")));
        exec(QStringLiteral("DROP TABLE temp.kz_seed; COMMIT"));
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void EmbeddedArchive::readColumnTypes()
{
    m_columnTypes.clear();
    m_tableColumns.clear();
    const Recordset tables = query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"
                                                  " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"
                                                  " AND name NOT LIKE 'kz\\_%' ESCAPE '\\'"),
                                   QString());
    std::vector<QString> names;
    for (Recordset t = tables; !t.eof(); t.moveNext())
        names.push_back(t.text(0));
    for (const QString &table : names) {
        for (Recordset c = query(QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)), QString()); !c.eof();
             c.moveNext()) {
            const QString column = c.text(QStringLiteral("name")).toUpper();
            const QString type = c.text(QStringLiteral("type")).toUpper();
            // A name with two types in two tables tells nothing by itself.
            auto it = m_columnTypes.find(column);
            if (it == m_columnTypes.end())
                m_columnTypes.insert(column, type);
            else if (*it != type)
                *it = QString();
            m_tableColumns.append({table, c.text(QStringLiteral("name")), type});
        }
    }
}

// The server keeps a varchar in code page 949 and refuses a text longer than
// its column (Msg 8152); SQLite keeps any text. Triggers on every column
// declared with a length do what the server does.
void EmbeddedArchive::createColumnChecks()
{
    readColumnTypes();
    // VARCHAR without a length stands for varchar(max).
    static const QRegularExpression sized(QStringLiteral("^(N?)(VAR)?CHAR\\s*(\\(\\s*([0-9]+)\\s*\\))?$"));
    for (const auto &[table, column, type] : std::as_const(m_tableColumns)) {
        const QRegularExpressionMatch m = sized.match(type);
        if (!m.hasMatch())
            continue;
        const bool unicode = !m.captured(1).isEmpty();
        const QString t = quoteName(table);
        const QString c = quoteName(column);
        QString body;
        if (!m.captured(4).isEmpty()) {
            body += QStringLiteral("SELECT RAISE(ABORT, %1) WHERE kz_stored_length(NEW.%2, %3) > %4;")
                        .arg(quoteText(QStringLiteral("Msg 8152: String or binary data would be truncated in table "
                                                      "'%1', column '%2'.")
                                           .arg(table, column)),
                             c, QString::number(unicode ? 1 : 0), m.captured(4));
        }
        if (!unicode) {
            body += QStringLiteral(" UPDATE %1 SET %2 = kz_text(NEW.%2, 'VARCHAR', -1) WHERE rowid = NEW.rowid"
                                   " AND typeof(NEW.%2) = 'text' AND NEW.%2 <> kz_text(NEW.%2, 'VARCHAR', -1)"
                                   " COLLATE BINARY;")
                        .arg(t, c);
        }
        if (body.isEmpty())
            continue;
        const QString name = QStringLiteral("kz_check_%1_%2").arg(table, column);
        exec(QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 BEGIN %3 END;"
                            "CREATE TRIGGER %4 AFTER UPDATE OF %5 ON %2 BEGIN %3 END;")
                 .arg(quoteName(name + QStringLiteral("_i")), t, body, quoteName(name + QStringLiteral("_u")), c));
    }
}

// SQLite's message for the last failure, as the server words it where the
// tool may meet it.
QString EmbeddedArchive::errorText() const
{
    const QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
    if (sqlite3_extended_errcode(m_db) == SQLITE_CONSTRAINT_PRIMARYKEY) {
        static const QRegularExpression failed(QStringLiteral("constraint failed: ([^.,]+)\\."));
        const QString table = failed.match(text).captured(1);
        return QStringLiteral("Msg 2627: Violation of PRIMARY KEY constraint 'PK_%1'. Cannot insert duplicate key in "
                              "object 'dbo.%1'.")
            .arg(table);
    }
    // A name the archive does not hold, as the server says it.
    static const QRegularExpression missing(QStringLiteral("^no such (table|column): (?:\\w+\\.)?(.+)$"));
    if (const QRegularExpressionMatch m = missing.match(text); m.hasMatch())
        return m.captured(1) == u"table" ? QStringLiteral("Msg 208: Invalid object name '%1'.").arg(m.captured(2))
                                         : QStringLiteral("Msg 207: Invalid column name '%1'.").arg(m.captured(2));
    return text;
}

[[noreturn]] void EmbeddedArchive::fail(const QString &original) const
{
    throw platform::Error(errorText() + QStringLiteral("\n") + original);
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
            const QString text = errorText();
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
    if (m_columnTypes.isEmpty())
        readColumnTypes();
    const tsql::Statement statement =
        tsql::translate(sql, [this](const QString &column) { return m_columnTypes.value(column.toUpper()); });
    // Each statement is all or nothing, as on the server.
    const QString savepoint = QStringLiteral("kz_statement_%1").arg(++m_savepoint);
    exec(QStringLiteral("SAVEPOINT ") + savepoint);
    try {
        Recordset result = run(statement, sql);
        exec(QStringLiteral("RELEASE ") + savepoint);
        --m_savepoint;
        if (sqlite3_get_autocommit(m_db))
            m_drawn.clear();
        return result;
    } catch (...) {
        // Values already drawn from a sequence stay drawn, as on the server:
        // put back before the savepoint ends, while the file is still locked.
        sqlite3_exec(m_db, QString(QStringLiteral("ROLLBACK TO ") + savepoint).toUtf8().constData(), nullptr, nullptr,
                     nullptr);
        try {
            keepDrawnValues();
        } catch (const platform::Error &) {
            // The statement's own error is the one to report.
        }
        sqlite3_exec(m_db, QString(QStringLiteral("RELEASE ") + savepoint).toUtf8().constData(), nullptr, nullptr,
                     nullptr);
        --m_savepoint;
        if (sqlite3_get_autocommit(m_db))
            m_drawn.clear();
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

QStringList EmbeddedArchive::columnNames(const QString &sql, const QString &original)
{
    sqlite3_stmt *stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), static_cast<int>(utf8.size()), &stmt, nullptr) != SQLITE_OK)
        fail(original);
    QStringList names;
    for (int i = 0; stmt && i < sqlite3_column_count(stmt); ++i)
        names.append(QString::fromUtf8(sqlite3_column_name(stmt, i)));
    sqlite3_finalize(stmt);
    return names;
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
            throw platform::Error(QStringLiteral("Msg 208: Invalid object name '%1'.\n%2").arg(name, original));
        exec(QStringLiteral("DROP VIEW %1").arg(quoteName(name)));
    } else if (objectExists(name)) {
        throw platform::Error(
            QStringLiteral("Msg 2714: There is already an object named '%1' in the database.\n%2").arg(name, original));
    }
    QString create = QStringLiteral("CREATE VIEW ") + quoteName(name);
    if (!statement.columns.isEmpty()) {
        QStringList quoted;
        for (const QString &column : statement.columns)
            quoted.append(quoteName(column));
        create += QLatin1Char('(') + quoted.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    // On the server every text column of a view has the database's
    // collation, whatever made it (a literal, +, a subquery); SQLite keeps a
    // collation only where a column or COLLATE gives it, so each column is
    // given it.
    const QString body = QStringLiteral("(") + statement.sql + QStringLiteral("\n)");
    QStringList collated;
    for (const QString &column : columnNames(QStringLiteral("SELECT * FROM ") + body, original))
        collated.append(QStringLiteral("%1 COLLATE SITE_CI AS %1").arg(quoteName(column)));
    create += QStringLiteral(" AS SELECT ") + collated.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + body;
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
                "Msg 15009: The object '%1' does not exist in database 'QoRVA_Clinic' or is invalid for this "
                "operation.")
                .arg(name));
    }
    std::vector<QVariantList> rows;
    for (const QString &line : helpTextRows(source.text(0)))
        rows.push_back({line});
    return Recordset({QStringLiteral("Text")}, std::move(rows));
}

// Read and advanced in one statement, under the file's write lock: no two
// sessions on the file ever draw the same value.
qint64 EmbeddedArchive::nextSequenceValue(const QString &name)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db,
                           "UPDATE kz_sequences SET current_value = current_value + increment WHERE name = ?1"
                           " RETURNING name, current_value",
                           -1, &stmt, nullptr) != SQLITE_OK)
        throw platform::Error(QString::fromUtf8(sqlite3_errmsg(m_db)));
    const QByteArray utf8 = name.toUtf8();
    sqlite3_bind_text(stmt, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    QString stored;
    qint64 value = 0;
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        stored = fromSqlite(sqlite3_column_text(stmt, 0), sqlite3_column_bytes(stmt, 0));
        value = sqlite3_column_int64(stmt, 1);
        rc = sqlite3_step(stmt);
    }
    if (rc != SQLITE_DONE) {
        const QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(stmt);
        throw platform::Error(text);
    }
    sqlite3_finalize(stmt);
    if (stored.isEmpty())
        throw platform::Error(QStringLiteral("Msg 208: Invalid object name '%1'.").arg(name));
    m_drawn.insert(stored, value);
    return value;
}

// After a rollback: the values drawn in what was undone go back in, as the
// server never gives a drawn value back.
void EmbeddedArchive::keepDrawnValues()
{
    for (auto it = m_drawn.cbegin(); it != m_drawn.cend(); ++it) {
        exec(QStringLiteral("UPDATE kz_sequences SET current_value = CASE WHEN increment < 0"
                            " THEN min(current_value, %1) ELSE max(current_value, %1) END WHERE name = %2")
                 .arg(it.value())
                 .arg(quoteText(it.key())));
    }
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
    // The savepoint lets a rollback undo the work and still put the drawn
    // values back before the file is unlocked.
    exec(QStringLiteral("BEGIN; SAVEPOINT kz_transaction"));
}

void EmbeddedArchive::commit()
{
    exec(QStringLiteral("COMMIT"));
    m_drawn.clear();
}

void EmbeddedArchive::rollback()
{
    if (m_drawn.isEmpty() || sqlite3_get_autocommit(m_db)) {
        m_drawn.clear();
        exec(QStringLiteral("ROLLBACK"));
        return;
    }
    try {
        exec(QStringLiteral("ROLLBACK TO kz_transaction"));
        keepDrawnValues();
        exec(QStringLiteral("COMMIT"));
    } catch (const platform::Error &) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_drawn.clear();
        throw;
    }
    m_drawn.clear();
}

} // namespace db
