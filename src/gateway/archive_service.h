#pragma once

#include "db/recordset.h"

#include <QSet>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace gateway {

class GatewayLog;

// The gateway's one session with the archive, on a thread of its own: the
// session's database handle belongs to that thread, and the associations'
// workers hand it their queries one at a time. It connects when first asked,
// and a query that fails is tried once more on a new connection. The archive
// is opened as it exists; a missing embedded file is an error, never made anew.
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

    ArchiveService(QString appDir, GatewayLog &log);
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
    std::thread m_thread;
};

} // namespace gateway
