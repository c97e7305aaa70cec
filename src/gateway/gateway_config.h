#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace gateway {

// What the gateway takes from its control file when it starts: the devices it
// serves and from which view, its log level and the FCR XG5000 flag (lines the
// site-configuration tool writes), and its own lines "Port=" and "LogPath=".
struct Config
{
    QHash<QString, QString> views; // AE title (exact letter case) -> view
    int logLevel = 0;
    bool fcrXg5000 = false;
    int port = 104;
    QString logFolder = QStringLiteral("C:\\RUDIVUV\\Log\\");
};

Config parseControlFile(const QStringList &lines);

// The view a calling AE title is served from; a device that is not listed gets
// the base view.
QString viewFor(const Config &config, const QString &callingAeTitle);

} // namespace gateway
