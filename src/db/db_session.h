#pragma once

#include "backend.h"
#include "recordset.h"

#include "platform/error.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>

namespace db {

// Whether a missing embedded archive file is made anew from the demo scripts
// (the tool) or is an error (the gateway, which serves only an archive that exists).
enum class OpenMode { CreateDemo, ExistingOnly };

// The one connection of the main window to the archive, with the small
// procedures every operation reaches the database through. Statements run one
// at a time; every result is fetched whole (its row count is known before its
// rows are read). Failures throw platform::Error carrying the database's text;
// the session stays usable after a failed statement.
class DbSession final
{
public:
    DbSession() = default;
    ~DbSession();

    DbSession(const DbSession &) = delete;
    DbSession &operator=(const DbSession &) = delete;

    // ConnectDatabase: a new connection from DB.ini in appDir. Every failure
    // gives false; lastError() keeps the reason. today dates the demo orders of
    // an embedded archive that is created now.
    bool connect(const QString &appDir, const QDate &today, OpenMode mode = OpenMode::CreateDemo);
    // CloseDatabase.
    void close();
    // Open, or lost by the server and made anew before the next statement.
    bool isOpen() const;

    // ExecuteSql: runs a statement; rows it returns are discarded.
    void executeSql(const QString &sql);
    // Opens a result set with the statement.
    Recordset open(const QString &sql);
    // ObjectExists: kind 1 looks among the schema objects, any other among the sequences.
    bool objectExists(const QString &name, int kind);
    // QueryScalar: field 0 of the first row as text; "0" when there is no row.
    QString queryScalar(const QString &sql);

    void begin();
    void commit();
    void rollback();

    // Every statement sent, in order, failed ones included.
    const QStringList &journal() const { return m_journal; }
    // A long-running session (the gateway's) keeps no history.
    void clearJournal() { m_journal.clear(); }
    const QString &connectionString() const { return m_connectionString; }
    const QString &lastError() const { return m_lastError; }

    // Opens the session on a backend made elsewhere (tests, the gateway).
    void attach(std::unique_ptr<Backend> backend);

private:
    Backend &backend();

    // Where connect() found the archive: a connection the server dropped is
    // made anew from there before the next statement.
    QString m_appDir;
    QDate m_today;
    OpenMode m_mode = OpenMode::CreateDemo;

    std::unique_ptr<Backend> m_backend;
    QStringList m_journal;
    QString m_connectionString;
    QString m_lastError;
};

// A statement the database refused: its text() is the database's text followed
// by the statement, whichever backend refused it.
class StatementError final : public platform::Error
{
public:
    StatementError(const QString &text, QString statement);
    const QString &serverText() const { return m_serverText; }
    const QString &statement() const { return m_statement; }

private:
    QString m_serverText;
    QString m_statement;
};

// Runs a group of statements as one unit: rolled back unless commit() is reached.
class Transaction final
{
public:
    explicit Transaction(DbSession &session);
    ~Transaction();
    void commit();

    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    DbSession &m_session;
    bool m_done = false;
};

} // namespace db
