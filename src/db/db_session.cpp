#include "db_session.h"

#include "connection.h"
#include "embedded/embedded_archive.h"
#include "embedded/tsql_lexer.h"
#include "odbc_backend.h"
#include "sql_text.h"

#include "platform/codepage.h"
#include "platform/error.h"

#include <QDir>

namespace db {

DbSession::~DbSession()
{
    close();
}

bool DbSession::connect(const QString &appDir, const QDate &today, OpenMode mode)
{
    m_backend.reset();
    m_lastError.clear();
    m_appDir = appDir;
    m_today = today;
    m_mode = mode;
    try {
        const QString server = readDbIniLine(appDir, 1);
        const QString password = readDbIniLine(appDir, 2);
        QString user = readDbIniLine(appDir, 3);
        if (user.isEmpty())
            user = QStringLiteral("sa");
        m_connectionString = adoConnectionString(server, password, user);

        const QString serverValue = connectionValue(m_connectionString, QStringLiteral("Server"));
        if (serverValue.startsWith(QLatin1String(kEmbeddedPrefix), Qt::CaseInsensitive)) {
            const QString file = serverValue.mid(static_cast<qsizetype>(qstrlen(kEmbeddedPrefix)));
            m_backend = std::make_unique<EmbeddedArchive>(QDir(appDir).absoluteFilePath(file), appDir, today,
                                                          mode == OpenMode::CreateDemo);
        } else {
            m_backend = std::make_unique<OdbcBackend>(odbcConnectionString(m_connectionString, odbcDriverName()));
        }
        return m_backend->isOpen();
    } catch (const platform::Error &e) {
        m_backend.reset();
        m_lastError = e.text();
    } catch (const std::exception &e) {
        m_backend.reset();
        m_lastError = QString::fromLocal8Bit(e.what());
    }
    return false;
}

void DbSession::attach(std::unique_ptr<Backend> backend)
{
    m_backend = std::move(backend);
}

void DbSession::close()
{
    if (m_backend) {
        m_backend->close();
        m_backend.reset();
    }
}

bool DbSession::isOpen() const
{
    return m_backend && m_backend->isOpen();
}

Backend &DbSession::backend()
{
    // The statement that met the broken link failed with the server's words;
    // the next one gets a new connection (the statement is never sent twice).
    if (m_backend && m_backend->lost() && !m_appDir.isEmpty() && !connect(m_appDir, m_today, m_mode))
        throw platform::Error(QStringLiteral("데이터베이스 연결이 끊어져 다시 연결하지 못했습니다.\n") + m_lastError);
    if (!isOpen())
        throw platform::Error(QStringLiteral("데이터베이스에 연결되어 있지 않습니다."));
    return *m_backend;
}

// The server's own words without the statement: the embedded archive names it
// in its text, SQL Server never does.
static QString withoutStatement(QString text, const QString &statement)
{
    const QString tail = QStringLiteral("\n") + statement;
    if (text.endsWith(tail))
        text.chop(tail.size());
    return text;
}

StatementError::StatementError(const QString &text, QString statement)
    : platform::Error(withoutStatement(text, statement) + QStringLiteral("\n") + statement),
      m_serverText(withoutStatement(text, statement)), m_statement(std::move(statement))
{
}

Recordset DbSession::open(const QString &sql)
{
    Backend &b = backend();
    m_journal.append(sql);
    try {
        return b.execute(sql);
    } catch (const StatementError &) {
        throw;
    } catch (const platform::Error &e) {
        throw StatementError(e.text(), sql);
    }
}

// A text without N reaches the server in its code page, 949: a character that
// code page cannot hold would be stored as "?" and the operator told it was
// saved. Such a statement is refused before it is sent, naming the characters.
static void refuseWhatCp949CannotHold(const QString &sql)
{
    std::vector<tsql::Token> tokens;
    try {
        tokens = tsql::tokenize(sql);
    } catch (const platform::Error &) {
        return; // the server says what is wrong with it
    }
    QString refused;
    for (const tsql::Token &t : tokens) {
        if (t.kind != tsql::Token::Kind::String)
            continue;
        for (const char32_t c : tsql::stringValue(t).toUcs4()) {
            const QString character = QString::fromUcs4(&c, 1);
            if (!platform::toCp949(character) && !refused.contains(character))
                refused += character;
        }
    }
    if (!refused.isEmpty())
        throw platform::Error(QStringLiteral("한국어 코드 페이지(949)에 없는 문자는 데이터베이스에 저장할 수 없어 "
                                             "아무것도 바꾸지 않았습니다: ") +
                              refused);
}

void DbSession::executeSql(const QString &sql)
{
    refuseWhatCp949CannotHold(sql);
    open(sql);
}

bool DbSession::objectExists(const QString &name, int kind)
{
    const QString sql = kind == 1
                            ? QStringLiteral("Select * ") + QStringLiteral("From   Sys.Objects ") +
                                  QStringLiteral("Where  upper(Name) = upper('") + quoted(name) + QStringLiteral("')")
                            : QStringLiteral("Select * ") + QStringLiteral("From sys.Sequences ") +
                                  QStringLiteral("Where  upper(Name) = upper('") + quoted(name) + QStringLiteral("')");
    return open(sql).recordCount() > 0;
}

QString DbSession::queryScalar(const QString &sql)
{
    const Recordset result = open(sql);
    if (result.recordCount() == 0)
        return QStringLiteral("0");
    if (result.isNull(0))
        throw platform::Error(QStringLiteral("조회 결과의 첫 값이 NULL이어서 사용할 수 없습니다.\n") + sql);
    return result.text(0);
}

void DbSession::begin()
{
    backend().begin();
}

void DbSession::commit()
{
    backend().commit();
}

void DbSession::rollback()
{
    backend().rollback();
}

Transaction::Transaction(DbSession &session) : m_session(session)
{
    m_session.begin();
}

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            m_session.rollback();
        } catch (const platform::Error &) {
            // The connection is gone; nothing is left to roll back.
        }
    }
}

void Transaction::commit()
{
    m_session.commit();
    m_done = true;
}

} // namespace db
