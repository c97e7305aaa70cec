#include "archive_service.h"

#include "gateway_log.h"

#include "db/db_session.h"
#include "platform/error.h"

#include <QDate>

#include <future>
#include <memory>

namespace gateway {

namespace {

// Lives on its archive thread only.
struct Session
{
    db::DbSession db;
};

thread_local Session *t_session = nullptr;

} // namespace

ArchiveService::ArchiveService(QString appDir, GatewayLog &log, int sessions) : m_appDir(std::move(appDir)), m_log(log)
{
    for (int i = 0; i < sessions; ++i)
        m_threads.emplace_back([this] { run(); });
}

ArchiveService::~ArchiveService()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &t : m_threads)
        t.join();
}

void ArchiveService::run()
{
    Session session;
    t_session = &session;
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                break;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
    session.db.close();
    t_session = nullptr;
}

ArchiveService::Answer ArchiveService::query(const QString &sql)
{
    auto promise = std::make_shared<std::promise<Answer>>();
    std::future<Answer> answer = promise->get_future();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_tasks.push_back([this, sql, promise] { promise->set_value(serve(sql)); });
    }
    m_wake.notify_one();
    return answer.get();
}

ArchiveService::Answer ArchiveService::serve(const QString &sql)
{
    Session &s = *t_session;
    Answer answer;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!s.db.isOpen() && !s.db.connect(m_appDir, QDate::currentDate(), db::OpenMode::ExistingOnly)) {
            if (!m_down.exchange(true))
                m_log.error(QStringLiteral("Archive not reachable: ") + peerText(s.db.lastError()));
            answer.outcome = Outcome::ArchiveDown;
            answer.error = s.db.lastError();
            return answer;
        }
        try {
            answer.rows = s.db.open(sql);
            s.db.clearJournal();
            answer.outcome = Outcome::Rows;
            if (m_down.exchange(false))
                m_log.error(QStringLiteral("Archive reachable again"));
            return answer;
        } catch (const platform::Error &e) {
            // The connection may have died under us: the query gets one more
            // try on a new one.
            answer.outcome = Outcome::QueryFailed;
            answer.error = e.text();
            s.db.clearJournal();
            s.db.close();
        }
    }
    if (m_down.exchange(false))
        m_log.error(QStringLiteral("Archive reachable again"));
    return answer;
}

void ArchiveService::noteMissingColumns(const QString &view, const QStringList &columns)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_viewsNoted.contains(view))
            return;
        m_viewsNoted.insert(view);
    }
    m_log.error(QStringLiteral("Worklist view ") + view + QStringLiteral(" lacks the columns ") +
                columns.join(QStringLiteral(", ")) + QStringLiteral("; their attributes go back empty"));
}

} // namespace gateway
