#include "gateway_log.h"

#include "gatewaylog/log_format.h"
#include "platform/codepage.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace gateway {

QString peerText(const QString &text)
{
    return gatewaylog::format::escape(text);
}

GatewayLog::GatewayLog(QString folder, int level, std::function<QDateTime()> clock)
    : m_folder(std::move(folder)), m_level(level), m_clock(std::move(clock))
{
    if (!QDir().mkpath(m_folder) || !QFileInfo(m_folder).isWritable()) {
        m_toFolder = false;
        std::fprintf(stderr, "%s\n",
                     (QStringLiteral("No usable log folder ") + m_folder + QStringLiteral(": logging to stderr"))
                         .toLocal8Bit()
                         .constData());
    }
}

void GatewayLog::write(const QString &text)
{
    writeBlock({{m_clock(), text}});
}

void GatewayLog::writeBlock(const Lines &lines)
{
    if (lines.isEmpty())
        return;
    QByteArray bytes;
    for (const auto &[when, text] : lines)
        bytes += platform::toAnsi(gatewaylog::format::line(when, gatewaylog::format::escapeControls(text))) + "\r\n";
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_toFolder) {
        QFile file(QDir(m_folder).filePath(QStringLiteral("ZORadoDidService_") +
                                           lines.first().first.toString(QStringLiteral("yyyyMMdd")) +
                                           QStringLiteral(".log")));
        if (file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(bytes) == bytes.size())
            return;
    }
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace gateway
