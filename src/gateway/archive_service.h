#pragma once

#include "db/recordset.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace gateway {

class GatewayLog;

// The gateway's sessions with the archive, each on a thread of its own (a
// database handle belongs to the thread that opened it); the associations'
// workers hand them their queries, which the first free session runs. A
// session connects when first asked, and a query that fails is tried once
// more on a new connection. The archive is opened as it exists; a missing
// embedded file is an error, never made anew.
class ArchiveService final
{
public:
    enum class Outcome { Rows, ArchiveDown, QueryFailed };
    struct Answer
    {
        Outcome outcome = Outcome::ArchiveDown;
        db::Recordset rows;
        QString error;
    };

    ArchiveService(QString appDir, GatewayLog &log, int sessions = 2);
    ~ArchiveService();

    ArchiveService(const ArchiveService &) = delete;
    ArchiveService &operator=(const ArchiveService &) = delete;

    Answer query(const QString &sql);

    // Says once per view that it lacks a column the gateway reads.
    void noteMissingColumns(const QString &view, const QStringList &columns);

private:
    void run();
    Answer serve(const QString &sql);

    QString m_appDir;
    GatewayLog &m_log;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_stopping = false;
    QSet<QString> m_viewsNoted;
    std::atomic<bool> m_down{false}; // the last attempt to reach the archive failed
    std::vector<std::thread> m_threads;
};

} // namespace gateway
