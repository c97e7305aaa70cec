#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QThread>

// What another process writes (a log line, a file, a port that opens) arrives
// when that process gets to it, and later still on a loaded machine: a test
// reads it again until it holds, within a bound that only a broken system
// reaches, and shows what it saw last when it does not.
namespace poll {

struct Seen
{
    bool ok = false;
    QString last; // the last reading, for the failure message
};

// Reads with `read` until `holds` says yes for the reading or `seconds` pass,
// every `stepMs` milliseconds.
template <class Read, class Holds> Seen until(Read read, Holds holds, int seconds = 60, int stepMs = 100)
{
    const QDeadlineTimer deadline(qint64(seconds) * 1000);
    Seen seen;
    for (;;) {
        seen.last = read();
        if (holds(seen.last)) {
            seen.ok = true;
            return seen;
        }
        if (deadline.hasExpired())
            return seen;
        QThread::msleep(stepMs);
    }
}

// Polls `ready` until it holds or `seconds` pass.
template <class Ready> bool ready(Ready ready, int seconds = 60)
{
    const QDeadlineTimer deadline(qint64(seconds) * 1000);
    while (!ready()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

// The end of a long reading, enough to see why it did not hold.
inline QString tail(const QString &text, qsizetype size = 1500)
{
    return text.size() > size ? QStringLiteral("…") + text.right(size) : text;
}

} // namespace poll
