#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace gateway {

// The gateway's log: one file a day, "ZORadoDidService_yyyymmdd.log", in the
// log folder, every line "<yyyy-mm-dd hh:mm:ss> : " and its text, in the ANSI
// code page with CR LF. Level 4 writes every association in detail, levels 1
// to 3 one line at its start, its final response and its end, level 0 only
// errors.
class GatewayLog final
{
public:
    GatewayLog(QString folder, int level, std::function<QDateTime()> clock = &QDateTime::currentDateTime);

    int level() const { return m_level; }
    bool detailed() const { return m_level >= 4; }
    bool summary() const { return m_level >= 1; }

    void write(const QString &text);
    void error(const QString &text) { write(text); }

private:
    QString m_folder;
    int m_level;
    std::function<QDateTime()> m_clock;
};

} // namespace gateway
