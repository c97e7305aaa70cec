#include "gateway_log.h"

#include "gatewaylog/log_format.h"
#include "platform/codepage.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace gateway {

QString printable(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x") + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
        else
            out += c;
    }
    return out;
}

QString peerText(const QString &text)
{
    QString out;
    for (const QChar c : printable(text)) {
        if (c == QLatin1Char(':') || c == QLatin1Char('=') || c == QLatin1Char('(') || c == QLatin1Char(')'))
            out += QStringLiteral("\\x") + QString::number(c.unicode(), 16).toUpper();
        else
            out += c;
    }
    return out;
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
        bytes += platform::toAnsi(gatewaylog::format::line(when, printable(text))) + "\r\n";
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
