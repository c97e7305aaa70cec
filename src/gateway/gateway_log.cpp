#include "gateway_log.h"

#include "gatewaylog/log_format.h"
#include "platform/codepage.h"

#include <QDir>
#include <QFile>

namespace gateway {

GatewayLog::GatewayLog(QString folder, int level, std::function<QDateTime()> clock)
    : m_folder(std::move(folder)), m_level(level), m_clock(std::move(clock))
{
    QDir().mkpath(m_folder);
}

void GatewayLog::write(const QString &text)
{
    const QDateTime now = m_clock();
    QFile file(QDir(m_folder).filePath(QStringLiteral("ZORadoDidService_") + now.toString(QStringLiteral("yyyyMMdd")) +
                                       QStringLiteral(".log")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return; // nowhere to say it
    QByteArray bytes;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        QString l = line;
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
        bytes += platform::toAnsi(gatewaylog::format::line(now, l)) + "\r\n";
    }
    file.write(bytes);
}

} // namespace gateway
