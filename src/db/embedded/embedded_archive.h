#pragma once

#include "db/backend.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

namespace tsql {
struct Statement;
}

// The archive as a SQLite file, for machines without SQL Server. It takes the
// T-SQL the tool sends (translated over tokens), keeps each view's original
// text for SP_HELPTEXT, keeps the sequences that "Next Value For" draws from,
// and serves Sys.Objects and sys.Sequences.
class EmbeddedArchive final : public Backend
{
public:
    // Opens the file, creating it when missing (and create is set) from siteDir's
    // archive/schema.sql and archive/demo.sql, the demo orders dated relative to
    // today. Throws platform::Error when the file cannot be opened or created.
    EmbeddedArchive(const QString &file, const QString &siteDir, const QDate &today, bool create = true);
    ~EmbeddedArchive() override;

    EmbeddedArchive(const EmbeddedArchive &) = delete;
    EmbeddedArchive &operator=(const EmbeddedArchive &) = delete;

    Recordset execute(const QString &sql) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool isOpen() const override { return m_db != nullptr; }
    void close() override;

    // Used by the SQL functions the archive registers.
    qint64 nextSequenceValue(const QString &name);
    QVariant hanConvert(const QVariant &text, qint64 mode);

private:
    void createInternalObjects();
    void readColumnTypes();
    void createColumnChecks();
    void createFromScripts(const QString &siteDir, const QDate &today);
    void runScript(const QString &path);
    void exec(const QString &sql);
    Recordset query(const QString &sql, const QString &original);
    Recordset run(const tsql::Statement &statement, const QString &original);
    QStringList columnNames(const QString &sql, const QString &original);
    void createView(const tsql::Statement &statement, const QString &original, bool replace);
    void dropView(const QString &name, const QString &original);
    Recordset helpText(const QString &name);
    bool objectExists(const QString &name, const char *type = nullptr);
    void keepDrawnValues();
    QString errorText() const;
    [[noreturn]] void fail(const QString &original) const;

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_hanConvert = nullptr;
    bool m_hanConvertPrepared = false;
    QHash<QString, qint64> m_drawn; // sequence -> last value drawn in the open transaction
    int m_savepoint = 0;
    QHash<QString, QString> m_columnTypes; // upper-case column name -> declared type, empty when ambiguous
    struct TableColumn
    {
        QString table, column, type;
    };
    QList<TableColumn> m_tableColumns;
};

} // namespace db
