#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <mutex>

namespace gateway {

// A value from outside (what a peer sent, the archive's message, a file or
// host name) as a log line holds it: gatewaylog::format::escape(), so that it
// can neither break a line nor forge a marker, and reads back as it was.
QString peerText(const QString &text);

// The gateway's log: one file a day, "ZORadoDidService_yyyymmdd.log", in the
// log folder, every line "<yyyy-mm-dd hh:mm:ss> : " and its text, in the ANSI
// code page with CR LF, control characters written as "\xNN". Level 4 writes every association in detail, levels 1
// to 3 one line at its start, its final response and its end, level 0 only
// errors. Without a usable log folder the lines go to stderr. Safe to use from
// several threads; a block's lines stay together.
class GatewayLog final
{
public:
    using Lines = QList<QPair<QDateTime, QString>>;

    GatewayLog(QString folder, int level, std::function<QDateTime()> clock = &QDateTime::currentDateTime);

    int level() const { return m_level; }
    bool detailed() const { return m_level >= 4; }
    bool summary() const { return m_level >= 1; }
    // False when the lines go to stderr.
    bool toFolder() const { return m_toFolder; }

    QDateTime now() const { return m_clock(); }
    void write(const QString &text);
    void error(const QString &text) { write(text); }
    void writeBlock(const Lines &lines);

private:
    QString m_folder;
    int m_level;
    std::function<QDateTime()> m_clock;
    bool m_toFolder = true;
    std::mutex m_mutex;
};

} // namespace gateway
